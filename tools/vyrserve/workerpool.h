// A fixed number of worker threads running queued jobs in their order. The
// server queues one job per accepted connection; `waiting` tells it that a
// connection is queued with no worker free, so that connections idling
// between requests make room instead of starving it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vyr {

class WORKERPOOL {
 public:
  explicit WORKERPOOL(int workers);
  ~WORKERPOOL();  // as shutdown
  WORKERPOOL(const WORKERPOOL&) = delete;
  WORKERPOOL& operator=(const WORKERPOOL&) = delete;

  void enqueue(std::function<void()> job);
  // Runs the jobs still queued, then ends the workers. Idempotent.
  void shutdown();
  // The jobs queued that no worker has taken yet.
  [[nodiscard]] int waiting() const { return waiting_.load(std::memory_order_relaxed); }
  // On a worker's thread, when the job it runs was queued.
  static std::chrono::steady_clock::time_point queuedAt();

 private:
  void work();

  struct JOB {
    std::chrono::steady_clock::time_point queued;
    std::function<void()> run;
  };

  std::vector<std::thread> workers_;
  std::deque<JOB> jobs_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::atomic<int> waiting_{0};
  bool stopping_ = false;
};

}  // namespace vyr
