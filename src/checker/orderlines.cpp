#include "checker/orderlines.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "checker/ordersfile.h"
#include "text/charclass.h"

namespace vyr {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A check line's first word begins with '#': most lines are told apart by
// their first character after the indent.
bool isKept(std::string_view text) {
  std::size_t first = 0;
  while (first < text.size() && isSpaceChar(text[first])) ++first;
  return first == text.size() || text[first] != '#' || isCheckText(text) == 0;
}

}  // namespace

// Only the first line of the file can carry the byte-order mark; it is judged
// and kept without it.
int FILEORDERLINES::next(std::string_view& line) {
  std::string_view text;
  while (reader_.next(text)) {
    if (++read_ > linesRead_) linesRead_ = read_;
    if (read_ == 1 && text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    if (isKept(text)) {
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

void TEXTORDERLINES::reset(std::string_view bytes) {
  bytes_ = bytes;
  (void)rewind();
}

int TEXTORDERLINES::rewind() {
  at_ = 0;
  nextLine_ = 1;
  pieceLine_ = 0;
  first_ = true;
  afterFull_ = false;
  // Empty bytes may have no data at all, which memchr must not be given.
  const void* nul = bytes_.empty() ? nullptr : std::memchr(bytes_.data(), '\0', bytes_.size());
  nulAt_ = nul == nullptr ? bytes_.size() : static_cast<std::size_t>(static_cast<const char*>(nul) - bytes_.data());
  return 1;
}

// A piece ends after a newline or when it holds kStreamPiece characters; the
// newline that ends a full piece makes a piece of its own, which adds no line.
// NUL bytes are rare: the bytes are searched for the next one once, not each piece.
int TEXTORDERLINES::next(std::string_view& line) {
  while (at_ < bytes_.size()) {
    const char* const start = bytes_.data() + at_;
    const std::size_t room = std::min(bytes_.size() - at_, kStreamPiece);
    const void* newline = std::memchr(start, '\n', room);
    const bool endsLine = newline != nullptr;
    const std::size_t length = endsLine ? static_cast<std::size_t>(static_cast<const char*>(newline) - start) + 1 : room;
    const bool onlyTheNewline = afterFull_ && length == 1 && endsLine;
    const int lineOfPiece = nextLine_;
    std::string_view text(start, length);
    if (nulAt_ < at_ + length) {
      text = text.substr(0, nulAt_ - at_);
      const void* nul = std::memchr(start + length, '\0', bytes_.size() - at_ - length);
      nulAt_ = nul == nullptr ? bytes_.size() : static_cast<std::size_t>(static_cast<const char*>(nul) - bytes_.data());
    } else if (endsLine) {
      text.remove_suffix(1);
    }
    at_ += length;
    if (endsLine) ++nextLine_;
    afterFull_ = length == kStreamPiece && !endsLine;
    if (onlyTheNewline) continue;
    if (std::exchange(first_, false) && text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    if (isKept(text)) {
      pieceLine_ = lineOfPiece;
      line = text;
      return 1;
    }
  }
  return 0;
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
