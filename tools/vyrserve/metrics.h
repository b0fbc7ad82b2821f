// The web checker's counters, read by GET /metrics in the Prometheus text
// format: checks, answers by status class, the time requests take, the
// connections and the log lines dropped. Every counter may be bumped from
// any thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace vyr {

class SERVERMETRICS {
 public:
  // The upper bounds of the latency histogram's buckets, in seconds.
  static constexpr std::array<double, 12> kBuckets = {0.001, 0.0025, 0.005, 0.01, 0.025, 0.05,
                                                      0.1,   0.25,   0.5,   1.0,  2.5,   10.0};

  // One answered request: its status, whether it was a check, and the time
  // from its head's arrival to its answer's being written.
  void answered(int status, bool check, double seconds);
  void opened() {
    open_.fetch_add(1, std::memory_order_relaxed), accepted_.fetch_add(1, std::memory_order_relaxed);
  }
  void closed() { open_.fetch_sub(1, std::memory_order_relaxed); }
  void refused() { refused_.fetch_add(1, std::memory_order_relaxed); }

  // The text, with the log's dropped lines as the logger counts them.
  [[nodiscard]] std::string text(std::uint64_t logDropped) const;

 private:
  std::atomic<std::uint64_t> checks_{0};
  std::atomic<std::uint64_t> checkFaults_{0};
  std::array<std::atomic<std::uint64_t>, 5> byClass_{};  // 1xx..5xx
  std::array<std::atomic<std::uint64_t>, kBuckets.size()> buckets_{};
  std::atomic<std::uint64_t> count_{0};
  std::atomic<std::uint64_t> microseconds_{0};
  std::atomic<std::int64_t> open_{0};
  std::atomic<std::uint64_t> accepted_{0};
  std::atomic<std::uint64_t> refused_{0};
};

}  // namespace vyr
