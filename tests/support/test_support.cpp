#include "test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace lumenda::test {

TempDir::TempDir() {
  std::random_device rd;
  auto base = fs::temp_directory_path();
  for (;;) {
    auto candidate = base / ("lumenda-test-" + std::to_string(rd()));
    std::error_code ec;
    if (fs::create_directory(candidate, ec)) {
      path_ = candidate.string() + "/";
      break;
    }
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string RealDataDir() {
  std::string base;
  if (const char* env = std::getenv("LUMENDA_SHARED"); env && *env) base = env;
#ifdef LUMENDA_SHARED_DEFAULT
  if (base.empty()) base = LUMENDA_SHARED_DEFAULT;
#endif
  if (base.empty()) return "";
  fs::path real = fs::path(base) / "data" / "real";
  std::error_code ec;
  if (!fs::is_directory(real, ec)) return "";
  return real.string() + "/";
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void ExpectSameAsReference(const std::string& path, const std::string& actual) {
  if (std::getenv("LUMENDA_UPDATE_REFERENCE")) WriteBytes(path, actual);
  const std::string expected = ReadBytes(path);
  if (expected == actual) return;
  const auto lines = [](const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  };
  const auto want = lines(expected), got = lines(actual);
  size_t i = 0;
  while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
  ADD_FAILURE() << path << " differs from line " << i + 1
                << ":\n  reference: " << (i < want.size() ? want[i] : "(end)")
                << "\n  now:       " << (i < got.size() ? got[i] : "(end)")
                << "\n(line ends or bytes differ when the lines are equal)";
}

std::string Digest(const std::string& bytes) {
  uint64_t h = 14695981039346656037ULL;
  for (unsigned char c : bytes) {
    h ^= c;
    h *= 1099511628211ULL;
  }
  static const char kHex[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, h >>= 4) text[static_cast<size_t>(i)] = kHex[h & 15];
  return text;
}

}  // namespace lumenda::test
