// Work asked for again and again while the user changes options (a report, a
// variable search): each request runs on a worker of its own, so a new one
// never waits for an older one, and only the result of the latest request is
// handed back.
#pragma once

#include <QObject>
#include <list>
#include <memory>
#include <utility>

#include "platform/background_job.h"

namespace lumenda::ui {

class LatestWork {
 public:
  // `work(std::stop_token)` on a worker; `done(result)` on the thread of
  // `context` (which owns this object), unless a later request came since.
  // The works still running are asked to stop: nobody waits for them.
  template <typename Work, typename Done>
  void Start(QObject* context, Work work, Done done) {
    const int request = ++latest_;
    jobs_.remove_if([](const std::unique_ptr<BackgroundJob>& job) { return !job->Running(); });
    for (const auto& job : jobs_) job->RequestStop();
    jobs_.push_back(std::make_unique<BackgroundJob>());
    jobs_.back()->Start(context, std::move(work),
                        [this, request, done = std::move(done)](auto result) mutable {
                          if (request != latest_) return;
                          delivered_ = request;
                          done(std::move(result));
                        });
  }
  // The work under way is forgotten: its result will not be handed back.
  void Drop() {
    delivered_ = ++latest_;
    for (const auto& job : jobs_) job->RequestStop();
  }
  // A result asked for is not handed back yet.
  bool Pending() const { return delivered_ != latest_; }

 private:
  std::list<std::unique_ptr<BackgroundJob>> jobs_;
  int latest_ = 0;
  int delivered_ = 0;
};

}  // namespace lumenda::ui
