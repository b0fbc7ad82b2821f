// The lines of an orders file as the check pass walks them: the check lines
// and summary of an earlier run already left out, a byte-order mark gone. A
// source hands out one line at a time and can start again from the first, so
// the pass can look for the header line first and then check, without the
// lines ever being stored for it.
#pragma once

#include <string>
#include <string_view>

#include "text/buffer.h"
#include "text/linereader.h"

namespace vyr {

class ORDERLINES {
 public:
  virtual ~ORDERLINES() = default;
  // The next line; valid until the next call. 0 at the end.
  virtual int next(std::string_view& line) = 0;
  // Starts again at the first line; 0 when that is impossible.
  virtual int rewind() = 0;
  // 1 when the lines still need the pre-pass (tabs, a glued ';', trimming).
  [[nodiscard]] virtual int needsPreparing() const = 0;
  // The pass has found where checking starts: the lines from the next one on
  // are checked (and may be released once handed out).
  virtual void startChecking() {}
  // The pass is over.
  virtual void finish() {}
};

// An orders file read as VyrSyn loads an input file, in blocks.
class FILEORDERLINES final : public ORDERLINES {
 public:
  // 1 when the file can be read.
  int open(const std::string& path) { return reader_.open(path); }
  // 1 when the file holds at least one line.
  int hasLines() { return reader_.hasLines(); }
  int next(std::string_view& line) override;
  int rewind() override;
  [[nodiscard]] int needsPreparing() const override { return 1; }
  [[nodiscard]] std::size_t fileSize() const { return reader_.fileSize(); }
  // Lines read from the file so far, check lines included (the most of all walks).
  [[nodiscard]] int linesRead() const { return linesRead_; }
  // The line of the file that the line handed out last is, check lines counted.
  [[nodiscard]] int lineNumber() const { return read_; }

 private:
  LINEREADER reader_;
  int read_ = 0;  // lines of the file read in this walk
  int linesRead_ = 0;
};

// Orders given as bytes in memory, cut into lines as VyrSyn reads standard
// input (readOrderLines: pieces of at most 29,999 characters, a NUL byte
// ending a piece's text, a carriage return kept), the byte-order mark dropped
// from the first and the check lines of an earlier run left out. The lines are
// views into the bytes, which must outlive the walk; nothing is copied.
class TEXTORDERLINES final : public ORDERLINES {
 public:
  explicit TEXTORDERLINES(std::string_view bytes = {}) { reset(bytes); }
  // Walks these bytes from now on, from their first line.
  void reset(std::string_view bytes);
  int next(std::string_view& line) override;
  int rewind() override;
  [[nodiscard]] int needsPreparing() const override { return 1; }
  // The line of the text that the line handed out last came from (a piece of
  // a long line counts as its line), check lines counted.
  [[nodiscard]] int lineNumber() const { return pieceLine_; }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;     // the first byte not yet cut
  std::size_t nulAt_ = 0;  // the first NUL byte from at_ on, or the end
  int nextLine_ = 1;       // the line of the text that the next piece starts on
  int pieceLine_ = 0;      // the line of the piece handed out last
  bool first_ = true;       // the next piece is the first line: it may carry the byte-order mark
  bool afterFull_ = false;  // the last piece filled its 29,999 characters without a newline
};

// The lines of a buffer, as they stand. With `release` every line handed out
// after `startChecking` is deleted from the buffer once the pass moves on (or
// finishes), up to the last one handed out.
class BUFFERORDERLINES final : public ORDERLINES {
 public:
  BUFFERORDERLINES(BUFFER& buffer, int prepared, int release)
      : buffer_(buffer), prepared_(prepared), release_(release) {}
  int next(std::string_view& line) override;
  int rewind() override;
  [[nodiscard]] int needsPreparing() const override { return prepared_ == 0 ? 1 : 0; }
  void startChecking() override;
  void finish() override;

 private:
  void leaveLine();

  BUFFER& buffer_;
  int prepared_;
  int release_;
  int releasing_ = 0;
  int position_ = 1;  // the line handed out last, or the next to hand out
  int handed_ = 0;    // 1 while line position_ is handed out
};

}  // namespace vyr
