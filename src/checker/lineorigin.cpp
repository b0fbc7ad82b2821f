#include "checker/lineorigin.h"

namespace vyr {

namespace {

constexpr int kEchoIndent = 2;

}  // namespace

int LINEORIGIN::pastEnd() const {
  std::size_t length = written.size();
  if (length > 0 && written[length - 1] == '\r') --length;
  return static_cast<int>(length) + 1;
}

int LINEORIGIN::column(int echoPosition) const {
  const int index = echoPosition - kEchoIndent;
  if (echoPosition < 0 || index >= static_cast<int>(from.size())) return pastEnd();
  if (index < 0) return 1;
  return from[static_cast<std::size_t>(index)] + 1;
}

int LINEORIGIN::endColumn(int echoEnd) const {
  const int last = echoEnd - 1 - kEchoIndent;
  if (echoEnd < 0 || last >= static_cast<int>(from.size())) return pastEnd();
  if (last < 0) return 1;
  return from[static_cast<std::size_t>(last)] + 2;
}

}  // namespace vyr
