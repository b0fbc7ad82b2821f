// Which open documents wait for a check. Changes come faster than checks:
// a document changed again while it waits keeps its one place in the queue,
// so a burst of changes costs one check of the latest text, and the checks
// never fall behind the typing.
#pragma once

#include <deque>
#include <set>
#include <string>

namespace vyr {

class CHECKSCHEDULER {
 public:
  // Asks for a check of the document; one that already waits keeps its place.
  void request(const std::string& uri);
  // The document waits no longer (it was closed).
  void drop(const std::string& uri);
  // Takes the document that has waited longest: 1, or 0 when none waits.
  [[nodiscard]] int next(std::string& uri);
  [[nodiscard]] int waiting() const { return waiting_.empty() ? 0 : 1; }
  [[nodiscard]] int isWaiting(const std::string& uri) const { return waiting_.count(uri) > 0 ? 1 : 0; }

 private:
  std::deque<std::string> order_;  // may hold dropped documents, passed over by `next`
  std::set<std::string> waiting_;
};

}  // namespace vyr
