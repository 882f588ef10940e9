// What every command shares: messages to stderr and exit statuses.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "settings/settings.h"
#include "text/messages.h"

namespace lumenda::cli {

// Prints every message to stderr; confirmations are answered "yes" (batch use).
class StderrMessenger : public Messenger {
 public:
  void Error(const std::string& text) override;
  void Warning(const std::string& text) override;
  void Info(const std::string& text) override;
  bool Confirm(const std::string& text) override;
};

// Ends the command: prints `message` (if any) to stderr and exits with `code`.
[[noreturn]] void Fail(const std::string& message, int code = 1);

// Prints one "NAME value" line on stdout.
void PrintLine(const std::string& name, const std::string& value);

// The user's settings (from the user folder), with defaults when absent.
Settings LoadUserSettings();

}  // namespace lumenda::cli
