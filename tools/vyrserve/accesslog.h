// The request log: one line per request, written by a thread of its own so
// that no request ever waits for standard error or the disk. Lines wait in
// a bounded queue; when the writer cannot keep up, new lines are dropped and
// counted instead of held. A log file is reopened on request (after a
// rotation moved it away).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace vyr {

class ACCESSLOG {
 public:
  // `path` "": standard error, each line led by "vyrserve: ". `queueBytes`
  // bounds the lines waiting.
  explicit ACCESSLOG(std::string path, std::size_t queueBytes = 1 << 20);
  ~ACCESSLOG();  // writes what waits, then ends the writer
  ACCESSLOG(const ACCESSLOG&) = delete;
  ACCESSLOG& operator=(const ACCESSLOG&) = delete;

  // Opens the file (standard error needs nothing). Answers 1, or 0 with the
  // reason in `fault`.
  int open(std::string& fault);
  // Queues one line (newline added); never blocks on the writer.
  void write(std::string_view line);
  // The file is opened again before the next line is written.
  void reopen();
  [[nodiscard]] std::uint64_t dropped() const { return dropped_.load(std::memory_order_relaxed); }

 private:
  void run();
  void writeOut(const std::string& text);

  std::string path_;
  std::string lead_;
  std::size_t queueBytes_;
  int fd_ = 2;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::string queued_;
  bool reopen_ = false;
  bool ending_ = false;
  std::atomic<std::uint64_t> dropped_{0};
  std::thread writer_;
};

}  // namespace vyr
