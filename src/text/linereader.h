// The lines of a text file one after the other, cut as BUFFER::loadBuffer cuts
// them (a NUL byte ends a line's text, one carriage return before the newline
// is dropped, a final newline adds no empty line, a last line without one is
// still taken), without storing them: the file is read in blocks and each line
// is a view into the block, valid until the next call of `next`.
//
// A regular file is read twice when `rewind` is called; anything else (a pipe,
// a terminal) is read whole when opened, so that it can be walked again too.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace vyr {

class LINEREADER {
 public:
  LINEREADER() = default;
  ~LINEREADER();
  LINEREADER(const LINEREADER&) = delete;
  LINEREADER& operator=(const LINEREADER&) = delete;

  // 1 when the file could be opened for reading (and, unless it is a regular
  // file, read to its end); 0 for a directory too.
  int open(const std::string& path);
  // The next line; 0 at the end of the file (or when it cannot be read).
  int next(std::string_view& line);
  // 1 when a line is left to read (the file is not empty, at the start).
  int hasLines();
  // Starts again at the first line; 0 when that is impossible.
  int rewind();
  // The bytes of the file (as it was when opened).
  [[nodiscard]] std::size_t fileSize() const { return fileSize_; }

 private:
  // Moves the unfinished line to the front of the block and reads more after
  // it; the block grows when the line fills it.
  void fill();
  void readMore();
  void readToEnd();
  void findNul(std::size_t from);

  int fd_ = -1;
  bool whole_ = false;  // the whole file is in the block
  bool atEnd_ = false;  // nothing more to read
  std::unique_ptr<char[]> block_;
  std::size_t capacity_ = 0;
  std::size_t begin_ = 0;  // the first byte not yet handed out
  std::size_t end_ = 0;    // the end of the bytes read
  std::size_t nulAt_ = 0;  // the first NUL byte from begin_ on, or end_
  std::size_t fileSize_ = 0;
};

}  // namespace vyr
