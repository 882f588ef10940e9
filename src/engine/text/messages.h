// The one way the engine talks to the user. The desktop shows message boxes
// captioned "Lumenda"; the command line prints to stderr.
#pragma once

#include <string>

#include "text/result.h"

namespace lumenda {

class Messenger {
 public:
  virtual ~Messenger() = default;
  virtual void Error(const std::string& text) = 0;
  virtual void Warning(const std::string& text) = 0;
  virtual void Info(const std::string& text) = 0;
  // OK/Cancel question; true for OK.
  virtual bool Confirm(const std::string& text) = 0;
};

// Collects messages; used by tests and by batch callers.
class RecordingMessenger : public Messenger {
 public:
  std::string log;
  bool answer = true;
  void Error(const std::string& text) override { log += "E:" + text + "\n"; }
  void Warning(const std::string& text) override { log += "W:" + text + "\n"; }
  void Info(const std::string& text) override { log += "I:" + text + "\n"; }
  bool Confirm(const std::string& text) override {
    log += "C:" + text + "\n";
    return answer;
  }
};

}  // namespace lumenda
