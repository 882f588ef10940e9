#include "cli_support.h"

#include <pthread.h>

#include <csignal>
#include <iostream>
#include <thread>

#include "settings/user_folder.h"

namespace lumenda::cli {

void Warn(const std::string& text) {
  std::cerr << text << "\n";
}

void Fail(const std::string& message, int code) {
  if (!message.empty()) std::cerr << message << "\n";
  std::cout.flush();
  throw CLI::RuntimeError(code);
}

std::stop_token InterruptToken() {
  static std::stop_source source;
  [[maybe_unused]] static const bool watching = [] {
    // SIGINT is blocked here and in every thread started later; one thread
    // waits for it and turns it into a stop request.
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread([set] {
      int signal = 0;
      sigwait(&set, &signal);
      source.request_stop();
      sigwait(&set, &signal);
      std::signal(SIGINT, SIG_DFL);
      pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
      std::raise(SIGINT);
    }).detach();
    return true;
  }();
  return source.get_token();
}

void PrintLine(const std::string& name, const std::string& value) {
  std::cout << name << " " << value << "\n";
}

Settings LoadUserSettings() {
  Settings settings;
  const std::string dir = AppDir();
  SeedUserFiles(dir, ProgramDataDir());
  if (Status status = LoadSettings(dir, settings); !status.ok()) Warn(status.message);
  return settings;
}

}  // namespace lumenda::cli
