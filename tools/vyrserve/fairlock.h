// A lock handed on in the order it was asked for, so that under load every
// waiting check gets the engine in turn instead of the luckiest ones again
// and again (std::mutex promises no order). Each waiter sleeps on its own
// condition: a release wakes exactly the next one.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>

namespace vyr {

class FAIRLOCK {
 public:
  FAIRLOCK() = default;
  FAIRLOCK(const FAIRLOCK&) = delete;
  FAIRLOCK& operator=(const FAIRLOCK&) = delete;

  void lock() {
    std::unique_lock<std::mutex> guard(mutex_);
    if (!held_ && waiters_.empty()) {
      held_ = true;
      return;
    }
    WAITER self;
    waiters_.push_back(&self);
    self.wake.wait(guard, [&self] { return self.granted; });
  }

  // The ones waiting for the lock now.
  [[nodiscard]] std::size_t waiting() {
    const std::lock_guard<std::mutex> guard(mutex_);
    return waiters_.size();
  }

  void unlock() {
    const std::lock_guard<std::mutex> guard(mutex_);
    if (waiters_.empty()) {
      held_ = false;
      return;
    }
    WAITER* next = waiters_.front();
    waiters_.pop_front();
    next->granted = true;  // held_ stays true: the lock passes straight on
    next->wake.notify_one();
  }

 private:
  struct WAITER {
    std::condition_variable wake;
    bool granted = false;
  };

  std::mutex mutex_;
  std::deque<WAITER*> waiters_;
  bool held_ = false;
};

}  // namespace vyr
