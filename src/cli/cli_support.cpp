#include "cli_support.h"

#include <iostream>

#include "settings/user_folder.h"

namespace lumenda::cli {

void StderrMessenger::Error(const std::string& text) {
  std::cerr << text << "\n";
}
void StderrMessenger::Warning(const std::string& text) {
  std::cerr << text << "\n";
}
void StderrMessenger::Info(const std::string& text) {
  std::cerr << text << "\n";
}
bool StderrMessenger::Confirm(const std::string& text) {
  std::cerr << text << "\n";
  return true;
}

void Fail(const std::string& message, int code) {
  if (!message.empty()) std::cerr << message << "\n";
  std::cout.flush();
  throw CLI::RuntimeError(code);
}

void PrintLine(const std::string& name, const std::string& value) {
  std::cout << name << " " << value << "\n";
}

Settings LoadUserSettings() {
  Settings settings;
  const std::string dir = AppDir();
  SeedUserFiles(dir, ProgramDataDir());
  if (Status status = LoadSettings(dir, settings); !status.ok())
    StderrMessenger().Warning(status.message);
  return settings;
}

}  // namespace lumenda::cli
