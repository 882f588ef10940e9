#include "test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

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

}  // namespace lumenda::test
