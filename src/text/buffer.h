// Text held in memory: STRING (one owned text with word queries), LINESTR (one
// line of a buffer) and BUFFER (a text file as an ordered list of lines).
//
// Words are maximal runs of characters outside the white-space class (space,
// tab, newline, vertical tab, form feed, carriage return), numbered from 1.
// Comparisons that ignore case upper-case both sides first.
//
// A BUFFER owns its lines. Line numbers are 1-based positions in key order;
// they are not the keys. Keys of a freshly loaded buffer run 1, 2, 3, ...;
// deletions leave gaps, `addLine` continues from the last key, `insertLine` and
// `insertBuffer` shift keys upwards (after `insertBuffer` several lines may
// share one key).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "containers/list.h"

namespace vyr {

// One owned text. The text lives in one block of the block store
// (containers/blockpool.h) sized to it, and there is no block at all for the
// empty text. `view` reads it without copying; `text` answers a std::string
// copy that is made on its first use and from then on kept in step with every
// change, so a reference to it stays valid as long as the STRING lives.
// Invariant: data_ is null exactly when size_ is 0; otherwise it holds the
// size_ bytes of the text (no terminating NUL) in a block of blockBytes(size_).
class STRING {
 public:
  explicit STRING(std::string_view text = {}) { assign(text); }
  STRING(const STRING& other) : STRING(other.view()) {}
  STRING& operator=(const STRING& other);
  ~STRING();

  int setText(std::string_view text);
  std::string& getText(std::string& destination) const { return destination.assign(view()); }
  [[nodiscard]] const std::string& text() const;
  // The text without copying; valid until the next change of this STRING.
  [[nodiscard]] std::string_view view() const { return {data_ != nullptr ? data_ : "", size_}; }
  [[nodiscard]] int isEmpty() const { return size_ == 0 ? 1 : 0; }
  [[nodiscard]] int isBlank() const;
  [[nodiscard]] int countWords() const;
  // Word n into the destination; out of range the destination becomes "" and
  // the answer is null.
  std::string* getWord(std::string& destination, int n) const;
  [[nodiscard]] std::string_view word(int n) const;  // the empty text when out of range
  [[nodiscard]] int wordOffset(int n) const;
  [[nodiscard]] int isUpperWord(int n) const;
  [[nodiscard]] int wordEquals(int n, std::string_view text, int ignoreCase) const;
  [[nodiscard]] int findText(std::string_view text, int ignoreCase, int wholeWords) const;
  int expandTabs(int n);

 private:
  static std::size_t blockBytes(std::size_t size);
  void assign(std::string_view text);

  char* data_ = nullptr;
  std::size_t size_ = 0;
  mutable std::unique_ptr<std::string> copy_;  // what `text` answers, once asked
};

// One line of a buffer: its key is the line's sequence key. Lines come and go
// by the million, so their objects come from the block store too.
class LINESTR : public OBJECT, private STRING {
 public:
  explicit LINESTR(int key = 0, std::string_view text = {}) : OBJECT(key), STRING(text) {}
  STRING& str() { return *this; }
  [[nodiscard]] const STRING& str() const { return *this; }

  // Null when memory is out, so that adding the line fails as a list addition does.
  static void* operator new(std::size_t bytes) noexcept;
  static void operator delete(void* block, std::size_t bytes) noexcept;
};

class BUFFER : public LIST<LINESTR> {
 public:
  BUFFER() = default;

  [[nodiscard]] int lineCount() const { return count(); }
  int addLine(std::string_view text);
  int insertLine(std::string_view text, int n);
  int insertBuffer(BUFFER* other, int n);
  int copyLines(BUFFER& target, int a, int b);
  int deleteLine(int n);
  int deleteLines(int a, int b);
  void clearBuffer();

  // Line n into the destination; out of range the destination becomes "" and
  // the answer is null.
  std::string* getLine(std::string& destination, int n);
  STRING* lineString(int n);
  int setLine(std::string_view text, int n);
  std::string& currentLine(std::string& destination);
  int setCurrentLine(std::string_view text);

  int findLine(std::string_view text, int start);
  int findBlankLine();
  int countLineWords(int n);
  int countAllWords();
  int countUniqueWords();
  void deleteEmptyLines();

  // Lines of a text file: a final newline adds no empty line, one carriage
  // return before each newline is dropped, a NUL byte ends the line's text; a
  // line of any length becomes one line. With `append` the new keys continue
  // after the last one; with `trim` each line loses its outer white space.
  // Answers the number of lines added; 0 when the file cannot be opened.
  int loadBuffer(const std::string& path, int append, int trim);
  // As above, but a line goes into the buffer only when `keep` answers true for
  // its text; a line left out still uses up its key. Answers the number of
  // lines read, kept or not; 0 when the file cannot be opened or is empty.
  int loadBuffer(const std::string& path, int append, int trim,
                 const std::function<bool(std::string_view)>& keep);
  // Writes every line followed by "\n"; 0 when the buffer is empty or the file
  // cannot be opened.
  int saveBuffer(const std::string& path, int append);
  void printBuffer(int linesPerPage, int numbered);

  void addWrappedText(const char* prefix, std::string_view text, int indent, int width, int indentFirstLine,
                      const char* lead);
  void encodeHex(BUFFER& target);
  void decodeHex(BUFFER& target);

 private:
  int firstLoadKey(int append);
};

}  // namespace vyr
