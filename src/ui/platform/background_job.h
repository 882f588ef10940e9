// Long engine work off the interface thread. The work gets a stop token and
// runs on a worker thread; its end is handed back to the interface thread.
// Progress texts go through LatestText, which a window timer reads, so a
// busy worker never floods the event queue.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <utility>

namespace lumenda::ui {

class BackgroundJob {
 public:
  BackgroundJob() = default;
  // Asks the work to stop and waits for it.
  ~BackgroundJob() { Wait(); }
  BackgroundJob(const BackgroundJob&) = delete;
  BackgroundJob& operator=(const BackgroundJob&) = delete;

  // Starts `work(std::stop_token)` on a worker thread. When it returns,
  // `done(result)` runs on the thread of `context` (the interface thread).
  // The job must be a member of `context` (or die before it): its
  // destructor waits for the worker, so `context` outlives the work.
  template <typename Work, typename Done>
  void Start(QObject* context, Work work, Done done) {
    Wait();
    running_->store(true);
    thread_ = std::jthread([context, work = std::move(work), done = std::move(done),
                            running = running_](std::stop_token stop) mutable {
      auto result = std::make_shared<decltype(work(stop))>(work(stop));
      running->store(false);
      QMetaObject::invokeMethod(
          context, [done = std::move(done), result]() mutable { done(std::move(*result)); },
          Qt::QueuedConnection);
    });
  }

  bool Running() const { return running_->load(); }
  void RequestStop() { thread_.request_stop(); }
  // Stops the work (when `stop`) and waits for the worker to end; the
  // `done` of a finished work may still be queued.
  void Wait(bool stop = true) {
    if (!thread_.joinable()) return;
    if (stop) thread_.request_stop();
    thread_.join();
  }

 private:
  std::shared_ptr<std::atomic<bool>> running_ = std::make_shared<std::atomic<bool>>(false);
  std::jthread thread_;
};

// The latest value of a progress text, set from any thread and taken by the
// interface thread only when it changed.
class LatestText {
 public:
  void Set(QString text) {
    std::lock_guard lock(mutex_);
    if (text == text_) return;
    text_ = std::move(text);
    changed_ = true;
  }
  std::optional<QString> Take() {
    std::lock_guard lock(mutex_);
    if (!changed_) return std::nullopt;
    changed_ = false;
    return text_;
  }

 private:
  std::mutex mutex_;
  QString text_;
  bool changed_ = false;
};

}  // namespace lumenda::ui
