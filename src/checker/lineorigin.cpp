#include "checker/lineorigin.h"

namespace vyr {

namespace {

constexpr int kEchoIndent = 2;

}  // namespace

void LINEORIGIN::compact() {
  length = static_cast<int>(from.size());
  shift = from.empty() ? 0 : from.front();
  for (int i = 0; i < length; ++i) {
    if (from[static_cast<std::size_t>(i)] != shift + i) return;
  }
  std::vector<int>().swap(from);
}

int LINEORIGIN::preparedLength() const { return length >= 0 ? length : static_cast<int>(from.size()); }

int LINEORIGIN::source(int i) const {
  return from.empty() ? shift + i : from[static_cast<std::size_t>(i)];
}

int LINEORIGIN::pastEnd() const {
  std::size_t length = written.size();
  if (length > 0 && written[length - 1] == '\r') --length;
  return static_cast<int>(length) + 1;
}

int LINEORIGIN::column(int echoPosition) const {
  const int index = echoPosition - kEchoIndent;
  if (echoPosition < 0 || index >= preparedLength()) return pastEnd();
  if (index < 0) return 1;
  return source(index) + 1;
}

int LINEORIGIN::endColumn(int echoEnd) const {
  const int last = echoEnd - 1 - kEchoIndent;
  if (echoEnd < 0 || last >= preparedLength()) return pastEnd();
  if (last < 0) return 1;
  return source(last) + 2;
}

}  // namespace vyr
