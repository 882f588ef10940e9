#include "text/progress.h"

namespace lumenda {

int ProgressStep::Percent() const {
  if (total <= 0) return 0;
  const long long p = done * 100 / total;
  return static_cast<int>(p < 0 ? 0 : p > 100 ? 100 : p);
}

void ProgressMailbox::Post(const ProgressStep& step) {
  std::lock_guard lock(mutex_);
  latest_[static_cast<size_t>(step.line)] = step;
}

std::optional<ProgressStep> ProgressMailbox::Take(ProgressLine line) {
  std::lock_guard lock(mutex_);
  std::optional<ProgressStep> out;
  out.swap(latest_[static_cast<size_t>(line)]);
  return out;
}

Progress ProgressMailbox::Callback() {
  return [this](const ProgressStep& step) { Post(step); };
}

}  // namespace lumenda
