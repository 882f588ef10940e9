// The one way the engine talks to the user. The desktop shows message boxes
// captioned "Lumenda"; the command line prints to stderr.
#pragma once

#include <string>
#include <utility>

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

// Outcome of an operation that can fail for the user: empty message = success.
struct Status {
  std::string message;
  bool ok() const { return message.empty(); }
  static Status Ok() { return {}; }
  static Status Fail(std::string text) { return Status{std::move(text)}; }
};

// A value, or the Spanish message saying why there is none.
template <typename T>
struct Result {
  T value{};
  std::string message;
  bool ok() const { return message.empty(); }
  static Result Ok(T v) { return Result{std::move(v), {}}; }
  static Result Fail(std::string text) { return Result{T{}, std::move(text)}; }
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
