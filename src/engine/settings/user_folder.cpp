#include "settings/user_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

namespace fs = std::filesystem;

std::string WithSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

std::string EnvOrEmpty(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string HomeDir() {
  std::string home = EnvOrEmpty("HOME");
  if (!home.empty()) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return ".";
}

// Folder of the running program, with a trailing "/"; "" when unknown.
std::string ProgramDir() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) return {};
  return WithSlash(exe.parent_path().string());
}

std::optional<std::string> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream ss;
  ss << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return ss.str();
}

}  // namespace

std::string AppDir() {
  std::string dir = EnvOrEmpty("LUMENDA_DIR");
  if (dir.empty()) {
    // The XDG rules ignore a relative XDG_DATA_HOME.
    std::string xdg = EnvOrEmpty("XDG_DATA_HOME");
    dir = (!xdg.empty() && xdg.front() == '/') ? WithSlash(xdg) + "Lumenda"
                                               : HomeDir() + "/.local/share/Lumenda";
  }
  dir = WithSlash(dir);
  // A folder that cannot be created shows up later as a failure to write a file.
  std::error_code ec;
  fs::create_directories(dir, ec);
  return dir;
}

std::string ProgramDataDir() {
  const std::string programDir = ProgramDir();
  const std::string beside = programDir + "share/lumenda/";
  if (DirectoryExists(beside)) return beside;
  const std::string installed = programDir + "../share/lumenda/";
  if (DirectoryExists(installed)) return installed;
  return beside;
}

void SeedUserFiles(const std::string& appDir, const std::string& dataDir) {
  static const char* const kSeedFiles[] = {"lumenda2.ini", "color.ini", "ast.ini", "grafico.ini"};
  for (const char* name : kSeedFiles) {
    const std::string target = WithSlash(appDir) + name;
    std::error_code ec;
    if (fs::exists(target, ec) || ec) continue;  // never overwrite what the user has
    const std::string source = WithSlash(dataDir) + name;
    if (!FileExists(source)) continue;
    // A seed that cannot be copied leaves the defaults, as a missing one does.
    if (auto bytes = ReadBytes(source)) static_cast<void>(WriteFileAtomic(target, *bytes));
  }
}

bool EnCasa() {
  const std::string programDir = ProgramDir();
  return !programDir.empty() && FileExists(programDir + "encasa.txt");
}

std::string VersionText(const std::string& version) {
  // Major number and build number (the fourth field) of "major.minor.release.build".
  std::vector<std::string> fields;
  std::string current;
  for (char c : version) {
    if (c == '.') {
      fields.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  fields.push_back(current);
  auto major = ParseInt(fields[0]);
  std::optional<long long> build = 0;
  if (fields.size() >= 4) build = ParseInt(fields[3]);
  if (!major || !build || *major < 0 || *build < 0) return "Lumenda ";
  return "Lumenda " + IntToStr(*major) + "." + FormatFloat("00", static_cast<double>(*build));
}

}  // namespace lumenda
