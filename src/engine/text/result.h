// The one result type of the engine: a value, or the Spanish message that
// tells the user why there is none, with what kind of failure it was. The
// desktop shows the message in a box captioned "Lumenda"; the command line
// prints it to stderr and picks its exit status by the kind.
#pragma once

#include <string>
#include <utility>

namespace lumenda {

enum class FailureKind : unsigned char {
  kError,        // a value that does not convert, a damaged file: the error box
  kRefusal,      // the input or the state is not accepted; nothing changed
  kIo,           // a file could not be read or written
  kAbort,        // long work stopped on bad data; what was done before stays
  kInterrupted,  // stopped by the user through its stop token
};

// The text of every stop asked for by the user.
inline constexpr char kInterruptedText[] = "Proceso interrumpido.";

// Success is an empty message; `kind` only means something on failure.
// Aggregate on purpose: `Result<int>{value}` and `Status{message}` work.
template <typename T = void>
struct [[nodiscard]] Result {
  T value{};
  std::string message;
  FailureKind kind = FailureKind::kError;

  bool ok() const { return message.empty(); }
  explicit operator bool() const { return ok(); }
  bool Interrupted() const { return !ok() && kind == FailureKind::kInterrupted; }

  static Result Ok(T v) { return Result{std::move(v), {}, FailureKind::kError}; }
  static Result Fail(std::string text, FailureKind kind = FailureKind::kError) {
    return Result{T{}, std::move(text), kind};
  }
  // The same failure as `other` (message and kind), for passing it on.
  template <typename U>
  static Result FailWith(const Result<U>& other) {
    return Fail(other.message, other.kind);
  }
  static Result Stopped() { return Fail(kInterruptedText, FailureKind::kInterrupted); }
};

template <>
struct [[nodiscard]] Result<void> {
  std::string message;
  FailureKind kind = FailureKind::kError;

  bool ok() const { return message.empty(); }
  explicit operator bool() const { return ok(); }
  bool Interrupted() const { return !ok() && kind == FailureKind::kInterrupted; }

  static Result Ok() { return {}; }
  static Result Fail(std::string text, FailureKind kind = FailureKind::kError) {
    return Result{std::move(text), kind};
  }
  template <typename U>
  static Result FailWith(const Result<U>& other) {
    return Fail(other.message, other.kind);
  }
  static Result Stopped() { return Fail(kInterruptedText, FailureKind::kInterrupted); }
};

// An outcome without a value.
using Status = Result<void>;

}  // namespace lumenda
