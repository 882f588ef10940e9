// Long work (listing images, the run, locating every star, the variable
// search, the period search, reports of large files) runs off the interface
// thread. Each such operation takes a std::stop_token and a Progress
// callback:
// - the callback is called on the thread that does the work, or on one of
//   its helper threads, never twice at the same time; it must return quickly
//   and must not touch the session (a window posts the step to its own
//   thread, or keeps the latest one in a ProgressMailbox read by a timer);
// - a stop asked for through the token ends the operation at its next
//   check with Result::Stopped() ("Proceso interrumpido."), leaving every
//   file whole: each one is as before the operation or completely written.
#pragma once

#include <array>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>

namespace lumenda {

// Which read-out of a window a step is for.
enum class ProgressLine : unsigned char {
  kOverall,  // the operation: image i of n, trial j of n, rows scanned
  kItem,     // the part of the current step: the star being measured
  kStage,    // a named stage: "Calculando fotometría, imagen 12"
};
inline constexpr int kProgressLines = 3;

struct ProgressStep {
  ProgressLine line = ProgressLine::kOverall;
  long long done = 0;   // index of the item started, or items finished
  long long total = 0;  // items in all; 0 when not known
  double value = 0;     // a number shown with the step (the trial period)
  std::string text;     // what the read-out shows ("12 - muestra_013.fit")
  // done / total as a whole percentage in 0..100 (0 when total is 0).
  int Percent() const;
};

using Progress = std::function<void(const ProgressStep&)>;

// Calls `progress` when there is one.
inline void Report(const Progress& progress, const ProgressStep& step) {
  if (progress) progress(step);
}

// The latest step of each line, posted from the working thread and taken
// by the interface thread (from a timer or after a queued signal). Posting
// never waits on the reader for longer than a copy.
class ProgressMailbox {
 public:
  void Post(const ProgressStep& step);
  // The latest step of `line` not yet taken.
  std::optional<ProgressStep> Take(ProgressLine line);
  // A callback that posts here; the mailbox must outlive the work.
  Progress Callback();

 private:
  std::mutex mutex_;
  std::array<std::optional<ProgressStep>, kProgressLines> latest_;
};

}  // namespace lumenda
