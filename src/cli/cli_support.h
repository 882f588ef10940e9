// What every command shares: messages to stderr and exit statuses.
#pragma once

#include <CLI/CLI.hpp>
#include <stop_token>
#include <string>

#include "settings/settings.h"
#include "text/result.h"

namespace lumenda::cli {

// A warning that does not stop the command, to stderr.
void Warn(const std::string& text);

// Ends the command: prints `message` (if any) to stderr and exits with `code`.
[[noreturn]] void Fail(const std::string& message, int code = 1);

// Exit status of a command stopped by Ctrl-C.
inline constexpr int kInterruptedExit = 130;
// Ends the command with a failure of the engine: its message, and status
// 130 for a stop asked for by the user, 1 otherwise.
template <typename T>
[[noreturn]] void Fail(const Result<T>& failure) {
  Fail(failure.message, failure.Interrupted() ? kInterruptedExit : 1);
}

// Ctrl-C for the commands that do long work: from the first call on, the
// first SIGINT asks the work to stop through this token (the command then
// ends with "Proceso interrumpido." and status 130, its files whole); a
// second one ends the program at once. Call it before the work starts any
// thread.
std::stop_token InterruptToken();

// Prints one "NAME value" line on stdout.
void PrintLine(const std::string& name, const std::string& value);

// The user's settings (from the user folder), with defaults when absent.
Settings LoadUserSettings();

}  // namespace lumenda::cli
