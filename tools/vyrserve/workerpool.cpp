#include "vyrserve/workerpool.h"

namespace vyr {

namespace {

thread_local std::chrono::steady_clock::time_point runningSince;

}  // namespace

std::chrono::steady_clock::time_point WORKERPOOL::queuedAt() { return runningSince; }

WORKERPOOL::WORKERPOOL(int workers) {
  workers_.reserve(static_cast<std::size_t>(workers));
  for (int n = 0; n < workers; ++n) workers_.emplace_back([this] { work(); });
}

WORKERPOOL::~WORKERPOOL() { shutdown(); }

void WORKERPOOL::enqueue(std::function<void()> job) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    jobs_.push_back(JOB{std::chrono::steady_clock::now(), std::move(job)});
    waiting_.store(static_cast<int>(jobs_.size()), std::memory_order_relaxed);
  }
  wake_.notify_one();
}

void WORKERPOOL::shutdown() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& worker : workers_) {
    if (worker.joinable()) worker.join();
  }
}

void WORKERPOOL::work() {
  for (;;) {
    JOB job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (jobs_.empty()) return;  // stopping, nothing left
      job = std::move(jobs_.front());
      jobs_.pop_front();
      waiting_.store(static_cast<int>(jobs_.size()), std::memory_order_relaxed);
    }
    runningSince = job.queued;
    job.run();
  }
}

}  // namespace vyr
