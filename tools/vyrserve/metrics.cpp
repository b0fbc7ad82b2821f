#include "vyrserve/metrics.h"

#include <cstdio>

namespace vyr {

namespace {

void metric(std::string& text, const char* name, const char* type, const char* help) {
  text += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
}

std::string number(double value) {
  char shown[32];
  std::snprintf(shown, sizeof shown, "%g", value);
  return shown;
}

}  // namespace

void SERVERMETRICS::answered(int status, bool check, double seconds) {
  if (status >= 100 && status < 600) byClass_[static_cast<std::size_t>(status / 100 - 1)].fetch_add(1);
  if (check) {
    checks_.fetch_add(1, std::memory_order_relaxed);
    if (status >= 500) checkFaults_.fetch_add(1, std::memory_order_relaxed);
  }
  for (std::size_t k = 0; k < kBuckets.size(); ++k) {
    if (seconds <= kBuckets[k]) {
      buckets_[k].fetch_add(1, std::memory_order_relaxed);
      break;
    }
  }
  count_.fetch_add(1, std::memory_order_relaxed);
  microseconds_.fetch_add(static_cast<std::uint64_t>(seconds * 1e6), std::memory_order_relaxed);
}

std::string SERVERMETRICS::text(std::uint64_t logDropped) const {
  std::string text;
  metric(text, "vyrserve_checks_total", "counter", "Orders checks answered.");
  text += "vyrserve_checks_total " + std::to_string(checks_.load()) + "\n";
  metric(text, "vyrserve_check_errors_total", "counter", "Orders checks that could not be completed.");
  text += "vyrserve_check_errors_total " + std::to_string(checkFaults_.load()) + "\n";
  metric(text, "vyrserve_responses_total", "counter", "Answers by status class.");
  for (std::size_t k = 0; k < byClass_.size(); ++k) {
    text += "vyrserve_responses_total{code=\"" + std::to_string(k + 1) + "xx\"} " +
            std::to_string(byClass_[k].load()) + "\n";
  }
  metric(text, "vyrserve_request_duration_seconds", "histogram",
         "Time from a request's head to its written answer.");
  std::uint64_t cumulative = 0;
  for (std::size_t k = 0; k < kBuckets.size(); ++k) {
    cumulative += buckets_[k].load();
    text += "vyrserve_request_duration_seconds_bucket{le=\"" + number(kBuckets[k]) + "\"} " +
            std::to_string(cumulative) + "\n";
  }
  text += "vyrserve_request_duration_seconds_bucket{le=\"+Inf\"} " + std::to_string(count_.load()) + "\n";
  text += "vyrserve_request_duration_seconds_sum " + number(static_cast<double>(microseconds_.load()) / 1e6) +
          "\n";
  text += "vyrserve_request_duration_seconds_count " + std::to_string(count_.load()) + "\n";
  metric(text, "vyrserve_connections_open", "gauge", "Connections open now.");
  text += "vyrserve_connections_open " + std::to_string(open_.load()) + "\n";
  metric(text, "vyrserve_connections_total", "counter", "Connections accepted.");
  text += "vyrserve_connections_total " + std::to_string(accepted_.load()) + "\n";
  metric(text, "vyrserve_connections_refused_total", "counter",
         "Connections closed at once: too many in all or from one client.");
  text += "vyrserve_connections_refused_total " + std::to_string(refused_.load()) + "\n";
  metric(text, "vyrserve_log_lines_dropped_total", "counter", "Request log lines dropped.");
  text += "vyrserve_log_lines_dropped_total " + std::to_string(logDropped) + "\n";
  return text;
}

}  // namespace vyr
