// Splits one line into fields at a separator character, honouring a quote
// character, and hands the fields out by 1-based number as text or number.
//
// A quote opens a quoted field only as the first character of a field and
// closes it only when the separator or the end of the line follows; separators
// inside a quoted part belong to the field. With `collapse` a run of separators
// counts as one and leading separators are skipped. With `keepBackup` the parser
// keeps the line exactly as passed in, so that `fieldPosition` can tell where a
// field starts in it; `trim` (only with `keepBackup`) trims the working copy.
//
// Field numbers are 1-based; out-of-range numbers give the empty text, 0, a null
// result or -1, never a failure. A parser is built for one line and then read;
// `parseLine` makes it a parser of another line with the same settings, keeping
// its storage, so that a loop over many lines allocates nothing once warm.
//
// The parser owns its fields and its backup. The line ends at its first NUL
// byte, if any. Fields may be of any length; splitting is one linear pass. In
// a line without quote characters every field is a run of the line and is read
// in place; otherwise the field texts are stored back to back in one owned
// array. The first kInlineFields field positions are held in the parser itself.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace vyr {

// The quote byte of parsers that want no quoting: no text of the program holds it.
inline constexpr char kNoQuote = static_cast<char>(0xAD);

class FIELDPARSER {
 public:
  FIELDPARSER(std::string_view line, char separator, char quote, int collapse, int keepBackup, int trim);
  FIELDPARSER(const FIELDPARSER&) = delete;
  FIELDPARSER& operator=(const FIELDPARSER&) = delete;

  // Splits another line exactly as a new parser with this one's separator,
  // quote, collapse, backup and trim settings would.
  void parseLine(std::string_view line);
  // The same for the line `prefix` followed by `line`, without joining them first.
  void parseLine(std::string_view prefix, std::string_view line);

  [[nodiscard]] int fieldCount() const { return fieldCount_; }
  // Field n without copying; the empty text when n is out of range.
  [[nodiscard]] std::string_view field(int n) const {
    if (n < 1 || n > fieldCount_) return {};
    const Span& where = span(n);
    return {base_ + where.begin, where.size};
  }

  // Copies field n into the destination and answers it; out of range the
  // destination becomes "" and the answer is null.
  std::string* getField(std::string& destination, int n) const;
  // The standard conversions of field n; out of range: 0, destination unchanged.
  int getInt(int* destination, int n) const;
  long getLong(long* destination, int n) const;
  float getFloat(float* destination, int n) const;
  double getDouble(double* destination, int n) const;

  // The backup line (the empty text without one).
  std::string& getLine(std::string& destination) const;
  [[nodiscard]] std::string_view line() const { return {backup_.data(), backupSize_}; }
  // 0-based index in the backup where field n starts, or -1.
  [[nodiscard]] int fieldPosition(int n) const;
  // 0-based index in the backup just past field n (its closing quote
  // included), or -1.
  [[nodiscard]] int fieldEnd(int n) const;
  [[nodiscard]] int fieldEquals(int n, std::string_view text, int ignoreCase) const;

  // Field k into destination k (null destinations are skipped); answers how many
  // destinations received an existing field. At most 24 destinations.
  int getFields(std::initializer_list<std::string*> destinations) const;
  // Field k read with `getInt` into destination k; answers how many readings
  // were nonzero. At most 24 destinations.
  int getInts(std::initializer_list<int*> destinations) const;
  // As `getInts` with `getFloat`; at most 20 destinations.
  int getFloats(std::initializer_list<float*> destinations) const;

 private:
  // Where field n lies, counted from `base_`: span(n).
  struct Span {
    std::size_t begin;
    std::size_t size;
  };
  static constexpr int kInlineFields = 12;

  void splitWorking(std::string_view working);
  void split(std::string_view working);
  bool splitPlain(std::string_view working, std::size_t offset);
  bool splitCollapsed(std::string_view working, std::size_t offset);
  void addSpan(Span span);
  [[nodiscard]] const Span& span(int n) const {
    return n <= kInlineFields ? inlineSpans_[n - 1] : moreSpans_[n - kInlineFields - 1];
  }
  void findPositions() const;
  bool positionsInPlace() const;
  // Makes the backup `prefix` followed by `line`, bytes past it included.
  void storeBackup(std::string_view prefix, std::string_view line);

  // The field texts: a field read in place lies in the backup (or in text_,
  // which then holds the line), a field of a quoted line in text_, which then
  // holds the field texts one after the other. base_ is where spans count from.
  std::string text_;
  const char* base_ = nullptr;
  int fieldCount_ = 0;
  Span inlineSpans_[kInlineFields];  // fields 1 to kInlineFields
  std::vector<Span> moreSpans_;      // the fields after them
  // The backup is the first backupSize_ bytes of backup_; kBackupPadding zero
  // bytes follow, so that a search may read a word past the line's end.
  static constexpr std::size_t kBackupPadding = 8;
  std::string backup_;
  std::size_t backupSize_ = 0;
  bool hasBackup_ = false;
  bool keepBackup_ = false;
  bool trim_ = false;
  // Where each field starts in the backup, found on the first `fieldPosition`.
  mutable std::vector<int> positions_;
  mutable bool positionsKnown_ = false;
  char separator_;
  char quote_;
  int collapse_;
};

}  // namespace vyr
