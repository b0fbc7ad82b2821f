#include "vyrls/scheduler.h"

namespace vyr {

void CHECKSCHEDULER::request(const std::string& uri) {
  if (waiting_.insert(uri).second) order_.push_back(uri);
}

void CHECKSCHEDULER::drop(const std::string& uri) { waiting_.erase(uri); }

int CHECKSCHEDULER::next(std::string& uri) {
  while (!order_.empty()) {
    std::string first = std::move(order_.front());
    order_.pop_front();
    if (waiting_.erase(first) > 0) {
      uri = std::move(first);
      return 1;
    }
  }
  return 0;
}

}  // namespace vyr
