#include "text/linereader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vyr {

namespace {

// Below the heap's threshold for blocks mapped on their own, whose mapping and
// unmapping would cost a small run more than it reads.
constexpr std::size_t kBlockSize = 64 * 1024;

// A line's text as the buffer's load keeps it, once cut at a NUL byte: one
// carriage return at its end dropped.
std::string_view withoutReturn(std::string_view raw) {
  if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
  return raw;
}

}  // namespace

LINEREADER::~LINEREADER() {
  if (fd_ >= 0) ::close(fd_);
}

int LINEREADER::open(const std::string& path) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return 0;
  struct stat status {};
  const bool known = ::fstat(fd_, &status) == 0;
  if (known && S_ISDIR(status.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    return 0;
  }
  capacity_ = kBlockSize;
  block_ = std::unique_ptr<char[]>(new char[capacity_]);  // read into at once: left unset
  begin_ = end_ = 0;
  atEnd_ = false;
  whole_ = !known || !S_ISREG(status.st_mode);
  nulAt_ = 0;
  if (whole_) {
    readToEnd();
    fileSize_ = end_;
  } else {
    fileSize_ = static_cast<std::size_t>(status.st_size);
  }
  return 1;
}

// Reads once into the free end of the block, doubling the block when it is full.
void LINEREADER::readMore() {
  if (end_ == capacity_) {
    auto larger = std::unique_ptr<char[]>(new char[2 * capacity_]);  // read into at once: left unset
    std::memcpy(larger.get(), block_.get(), end_);
    block_ = std::move(larger);
    capacity_ *= 2;
  }
  ssize_t got = 0;
  do {
    got = ::read(fd_, block_.get() + end_, capacity_ - end_);
  } while (got < 0 && errno == EINTR);
  if (got <= 0) {
    atEnd_ = true;
  } else {
    const std::size_t before = end_;
    end_ += static_cast<std::size_t>(got);
    if (nulAt_ == before) findNul(before);
  }
}

// NUL bytes are rare: the bytes read are searched for them once, not each line.
void LINEREADER::findNul(std::size_t from) {
  const void* nul = std::memchr(block_.get() + from, '\0', end_ - from);
  nulAt_ = nul == nullptr ? end_ : static_cast<std::size_t>(static_cast<const char*>(nul) - block_.get());
}

void LINEREADER::readToEnd() {
  while (!atEnd_) readMore();
}

void LINEREADER::fill() {
  const std::size_t rest = end_ - begin_;
  if (begin_ > 0) std::memmove(block_.get(), block_.get() + begin_, rest);
  nulAt_ -= begin_;
  begin_ = 0;
  end_ = rest;
  readMore();
}

int LINEREADER::next(std::string_view& line) {
  if (fd_ < 0) return 0;
  for (;;) {
    char* const start = block_.get() + begin_;
    std::size_t length = 0;
    std::size_t skip = 0;  // the newline
    if (const void* found = std::memchr(start, '\n', end_ - begin_)) {
      length = static_cast<std::size_t>(static_cast<const char*>(found) - start);
      skip = 1;
    } else if (atEnd_) {
      if (begin_ == end_) return 0;
      length = end_ - begin_;
    } else {
      fill();
      continue;
    }
    const bool nul = nulAt_ < begin_ + length;
    line = withoutReturn(std::string_view(start, nul ? nulAt_ - begin_ : length));
    begin_ += length + skip;
    if (nul) findNul(begin_);
    return 1;
  }
}

int LINEREADER::hasLines() {
  if (fd_ < 0) return 0;
  if (begin_ == end_ && !atEnd_) fill();
  return begin_ < end_ ? 1 : 0;
}

int LINEREADER::rewind() {
  if (fd_ < 0) return 0;
  begin_ = 0;
  if (whole_) {
    findNul(0);
    return 1;
  }
  if (::lseek(fd_, 0, SEEK_SET) != 0) return 0;
  end_ = 0;
  nulAt_ = 0;
  atEnd_ = false;
  return 1;
}

}  // namespace vyr
