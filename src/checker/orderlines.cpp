#include "checker/orderlines.h"

#include "checker/ordersfile.h"
#include "text/utils.h"

namespace vyr {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

// Only the first line of the file can carry the byte-order mark; it is judged
// and kept without it.
int FILEORDERLINES::next(std::string_view& line) {
  std::string_view text;
  while (reader_.next(text)) {
    if (++read_ > linesRead_) linesRead_ = read_;
    if (read_ == 1 && text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    // A check line's first word begins with '#': most lines are told apart by
    // their first character after the indent.
    std::size_t first = 0;
    while (first < text.size() && isSpaceChar(text[first])) ++first;
    if (first == text.size() || text[first] != '#' || isCheckText(text) == 0) {
      line = text;
      return 1;
    }
  }
  return 0;
}

int FILEORDERLINES::rewind() {
  read_ = 0;
  return reader_.rewind();
}

void BUFFERORDERLINES::leaveLine() {
  if (handed_ == 0) return;
  handed_ = 0;
  if (releasing_ != 0) {
    (void)buffer_.deleteLine(position_);
  } else {
    ++position_;
  }
}

int BUFFERORDERLINES::next(std::string_view& line) {
  leaveLine();
  const STRING* text = buffer_.lineString(position_);
  if (text == nullptr) return 0;
  line = text->view();
  handed_ = 1;
  return 1;
}

int BUFFERORDERLINES::rewind() {
  position_ = 1;
  handed_ = 0;
  return 1;
}

// The line handed out last (the header) stays.
void BUFFERORDERLINES::startChecking() {
  if (handed_ != 0) {
    handed_ = 0;
    ++position_;
  }
  releasing_ = release_;
}

void BUFFERORDERLINES::finish() { leaveLine(); }

}  // namespace vyr
