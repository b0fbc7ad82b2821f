#include "text/fieldparser.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "text/bytescan.h"
#include "text/charclass.h"
#include "text/numbers.h"

namespace vyr {

namespace {

constexpr std::size_t kMaxTextDestinations = 24;
constexpr std::size_t kMaxFloatDestinations = 20;

// The text up to its first NUL byte: lines are NUL-terminated texts.
std::string_view untilNul(std::string_view text) {
  if (text.empty()) return text;  // an empty view may have no data at all
  const void* nul = std::memchr(text.data(), '\0', text.size());
  if (nul == nullptr) return text;
  return text.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()));
}

// memcpy for the few dozen bytes of a line, without a library call: words,
// the last one overlapping the one before.
void copyBytes(char* to, const char* from, std::size_t n) {
  if (n >= 8) {
    for (std::size_t i = 0; i + 8 <= n; i += 8) std::memcpy(to + i, from + i, 8);
    std::memcpy(to + n - 8, from + n - 8, 8);
  } else if (n >= 4) {
    std::memcpy(to, from, 4);
    std::memcpy(to + n - 4, from + n - 4, 4);
  } else {
    for (std::size_t i = 0; i < n; ++i) to[i] = from[i];
  }
}

std::string_view trimmedView(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isSpaceChar(text[begin])) ++begin;
  while (end > begin && isSpaceChar(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// The state of one walk over a line, shared by the splitting and by
// fieldPosition so that both follow the same rules. Every index of the line is
// visited in turn, the terminating NUL included.
class Walk {
 public:
  // What the visited character does to the fields.
  struct Effect {
    bool closeQuote = false;  // the field's last character (its closing quote) goes
    bool boundary = false;    // the current field ends, the next begins
    bool append = false;      // the character belongs to the current field
  };

  Walk(char separator, char quote, int collapse)
      : separator_(separator), quote_(quote), collapse_(collapse != 0), prev_(separator) {}

  [[nodiscard]] bool outsideQuote() const { return quoteStart_ == 0; }
  [[nodiscard]] char prev() const { return prev_; }

  Effect visit(std::size_t i, char ch) {
    Effect effect;
    if (quoteStart_ != 0 && prev_ == quote_ && i > quoteStart_ && (ch == separator_ || ch == '\0')) {
      quoteStart_ = 0;
      effect.closeQuote = true;
    }
    if (ch == separator_ && quoteStart_ == 0 && (prev_ != separator_ || !collapse_)) {
      effect.boundary = true;
    } else {
      // A NUL, a leading separator and one of a collapsed run are dropped.
      effect.append = ch != '\0' && !(ch == separator_ && quoteStart_ == 0);
    }
    if (quoteStart_ == 0 && prev_ == separator_ && ch == quote_) {
      quoteStart_ = i + 1;
      effect.append = false;  // the opening quote is not part of the field
    }
    prev_ = ch;
    return effect;
  }

 private:
  char separator_;
  char quote_;
  bool collapse_;
  char prev_;
  std::size_t quoteStart_ = 0;  // one more than the opening quote's index; 0 outside
};

}  // namespace

FIELDPARSER::FIELDPARSER(std::string_view line, char separator, char quote, int collapse, int keepBackup,
                         int trim)
    : keepBackup_(keepBackup != 0),
      trim_(trim != 0),
      separator_(separator),
      quote_(quote),
      collapse_(collapse) {
  parseLine(line);
}

void FIELDPARSER::parseLine(std::string_view line) {
  line = untilNul(line);
  std::string_view working = line;
  if (keepBackup_) {
    storeBackup({}, line);
    working = this->line();
    if (trim_) working = trimmedView(working);
  }
  splitWorking(working);
}

void FIELDPARSER::parseLine(std::string_view prefix, std::string_view line) {
  if (!keepBackup_) {
    std::string joined(prefix);
    joined += line;
    parseLine(joined);
    return;
  }
  // The prefix is a few characters: looked at one by one.
  std::size_t head = 0;
  while (head < prefix.size() && prefix[head] != '\0') ++head;
  line = head == prefix.size() ? untilNul(line) : std::string_view();
  storeBackup(prefix.substr(0, head), line);
  if (!trim_) {
    splitWorking(this->line());
    return;
  }
  // Trimmed as the whole line would be: a prefix of white space only is
  // trimmed away with the line's own leading white space.
  std::size_t white = 0;
  while (white < head && isSpaceChar(prefix[white])) ++white;
  if (white < head) {
    splitWorking(trimmedView(this->line()));
    return;
  }
  const std::string_view kept = trimmedView(line);
  splitWorking(kept.empty() ? std::string_view() : this->line().substr(head + (kept.data() - line.data()), kept.size()));
}

void FIELDPARSER::storeBackup(std::string_view prefix, std::string_view line) {
  const char* const held = backup_.data();
  if (!line.empty() && line.data() >= held && line.data() < held + backup_.size()) {
    const std::string copy(line);  // a part of the backup itself, which may move
    storeBackup(prefix, copy);
    return;
  }
  const std::size_t size = prefix.size() + line.size();
  if (backup_.size() < size + kBackupPadding) backup_.resize(std::max(size + kBackupPadding, 2 * backup_.size()));
  char* const out = backup_.data();
  for (std::size_t i = 0; i < prefix.size(); ++i) out[i] = prefix[i];
  copyBytes(out + prefix.size(), line.data(), line.size());
  std::memset(out + size, 0, kBackupPadding);
  backupSize_ = size;
  hasBackup_ = true;
}

void FIELDPARSER::splitWorking(std::string_view working) {
  positions_.clear();
  positionsKnown_ = false;
  fieldCount_ = 0;
  moreSpans_.clear();
  text_.clear();
  split(working);
}

void FIELDPARSER::addSpan(Span span) {
  if (fieldCount_ < kInlineFields) {
    inlineSpans_[fieldCount_] = span;
  } else {
    moreSpans_.push_back(span);
  }
  ++fieldCount_;
}

// Without a quote character in the line the walk reduces to this: a separator
// ends the field unless it follows another one in collapse mode (or opens the
// line), every other character belongs to the field. The characters of a
// field are then one run of the line, so the field is read in place: its span
// counts from `base_`, where the line starts at `offset`. Answers false, with
// nothing recorded, when the line holds a quote character after all.
bool FIELDPARSER::splitPlain(std::string_view working, std::size_t offset) {
  const char separator = separator_;
  const char quote = quote_;
  const bool collapse = collapse_ != 0;
  const char* const line = working.data();
  const std::size_t size = working.size();
  std::size_t i = 0;
  bool afterSeparator = true;  // the line opens as if a separator stood before it
  std::size_t begin = 0;       // the current field's run: [begin, end)
  std::size_t end = 0;
  while (i < size) {
    if (line[i] == separator) {
      if (!afterSeparator || !collapse) {
        addSpan({offset + begin, end - begin});
        begin = end = i + 1;
      }
      afterSeparator = true;
      ++i;
      continue;
    }
    begin = i;
    i = findEither(working, i, separator, quote);
    if (i < size && line[i] == quote) {
      fieldCount_ = 0;
      moreSpans_.clear();
      return false;
    }
    end = i;
    afterSeparator = false;
  }
  addSpan({offset + begin, end - begin});
  return true;
}

// The same in collapse mode for a line in the backup, whose padding lets
// every search read whole words: the fields are the runs of bytes that are no
// separator, and a line that ends in separators gets one empty field more,
// starting just after the first of them (at the line's start when it holds
// separators only).
bool FIELDPARSER::splitCollapsed(std::string_view working, std::size_t offset) {
  if (padded::holds(working, quote_)) return false;
  const char separator = separator_;
  const char* const line = working.data();
  const std::size_t size = working.size();
  const auto add = [&](std::size_t begin, std::size_t length) { addSpan({offset + begin, length}); };
  std::size_t i = 0;
  std::size_t afterLast = 0;  // where an empty last field would start
  for (;;) {
    while (i < size && line[i] == separator) ++i;
    if (i == size) {
      add(afterLast, 0);
      break;
    }
    const std::size_t end = padded::find(working, i, separator);
    add(i, end - i);
    if (end == size) break;
    afterLast = end + 1;
    i = end + 1;
  }
  return true;
}

void FIELDPARSER::split(std::string_view working) {
  if (working.empty()) return;
  if (separator_ != '\0') {
    // The fields of a kept line are read in the backup; otherwise the line is
    // copied once to be owned.
    if (hasBackup_) {
      base_ = backup_.data();
      const auto offset = static_cast<std::size_t>(working.data() - backup_.data());
      if (collapse_ != 0 ? splitCollapsed(working, offset) : splitPlain(working, offset)) return;
    } else {
      text_.assign(working);
      base_ = text_.data();
      if (splitPlain(text_, 0)) return;
    }
  }
  // The fields never hold more characters than the line.
  text_.resize(working.size());
  char* out = text_.data();
  std::size_t used = 0;
  std::size_t fieldBegin = 0;
  Walk walk(separator_, quote_, collapse_);
  for (std::size_t i = 0; i <= working.size(); ++i) {
    const char ch = i < working.size() ? working[i] : '\0';
    const Walk::Effect effect = walk.visit(i, ch);
    if (effect.closeQuote && used > fieldBegin) --used;
    if (effect.boundary) {
      addSpan({fieldBegin, used - fieldBegin});
      fieldBegin = used;
    } else if (effect.append) {
      out[used++] = ch;
    }
  }
  addSpan({fieldBegin, used - fieldBegin});
  text_.resize(used);
  base_ = text_.data();
}

std::string* FIELDPARSER::getField(std::string& destination, int n) const {
  if (n < 1 || n > fieldCount()) {
    destination.clear();
    return nullptr;
  }
  destination.assign(field(n));
  return &destination;
}

int FIELDPARSER::getInt(int* destination, int n) const {
  if (n < 1 || n > fieldCount()) return 0;
  const int value = readInt(field(n));
  if (destination != nullptr) *destination = value;
  return value;
}

long FIELDPARSER::getLong(long* destination, int n) const {
  if (n < 1 || n > fieldCount()) return 0;
  const long value = readLong(field(n));
  if (destination != nullptr) *destination = value;
  return value;
}

float FIELDPARSER::getFloat(float* destination, int n) const {
  if (n < 1 || n > fieldCount()) return 0;
  const auto value = static_cast<float>(readDouble(field(n)));
  if (destination != nullptr) *destination = value;
  return value;
}

double FIELDPARSER::getDouble(double* destination, int n) const {
  if (n < 1 || n > fieldCount()) return 0;
  const double value = readDouble(field(n));
  if (destination != nullptr) *destination = value;
  return value;
}

std::string& FIELDPARSER::getLine(std::string& destination) const { return destination = line(); }

int FIELDPARSER::fieldPosition(int n) const {
  if (!hasBackup_ || backupSize_ == 0 || n < 1) return -1;
  if (!positionsKnown_) findPositions();
  return n <= static_cast<int>(positions_.size()) ? positions_[n - 1] : -1;
}

// A quoted field closes at a quote followed by the separator or the line's
// end; a plain one ends at the next separator.
int FIELDPARSER::fieldEnd(int n) const {
  const int start = fieldPosition(n);
  if (start < 0) return -1;
  const std::string_view line = this->line();
  auto i = static_cast<std::size_t>(start);
  if (line[i] == quote_) {
    for (std::size_t k = i + 1; k < line.size(); ++k) {
      if (line[k] == quote_ && (k + 1 == line.size() || line[k + 1] == separator_)) {
        return static_cast<int>(k + 1);
      }
    }
    return static_cast<int>(line.size());
  }
  while (i < line.size() && line[i] != separator_) ++i;
  return static_cast<int>(i);
}

// One walk over the backup finds where every field starts: the first index at
// which the walk stands outside a quote, right after a separator, on a
// character that is not one, while the running field number is that field's.
// Fields that never meet the condition (an empty field between two
// separators) have no position.
void FIELDPARSER::findPositions() const {
  positionsKnown_ = true;
  if (positionsInPlace()) return;
  Walk walk(separator_, quote_, collapse_);
  int fieldNumber = 1;
  const std::string_view line = this->line();
  for (std::size_t i = 0; i <= line.size(); ++i) {
    const char ch = i < line.size() ? line[i] : '\0';
    // Tested before the visit, so that a quoted field starts at its opening quote.
    if (walk.outsideQuote() && walk.prev() == separator_ && ch != separator_) {
      if (static_cast<int>(positions_.size()) < fieldNumber) positions_.resize(fieldNumber, -1);
      if (positions_[fieldNumber - 1] == -1) positions_[fieldNumber - 1] = static_cast<int>(i);
    }
    if (walk.visit(i, ch).boundary) ++fieldNumber;
  }
}

// Fields read in place in the backup start where the walk finds them when the
// walk over the backup meets the same fields: in collapse mode, with nothing
// but separators before the first field, nothing after the last, and no empty
// field. Then the positions are the fields' offsets; otherwise answers false.
bool FIELDPARSER::positionsInPlace() const {
  if (fieldCount_ == 0 || collapse_ == 0 || base_ != backup_.data()) return false;
  const Span& last = span(fieldCount_);
  if (last.begin + last.size != backupSize_) return false;
  for (std::size_t i = 0; i < span(1).begin; ++i) {
    if (backup_[i] != separator_) return false;
  }
  for (int n = 1; n <= fieldCount_; ++n) {
    if (span(n).size == 0) return false;
  }
  positions_.resize(static_cast<std::size_t>(fieldCount_));
  for (int n = 1; n <= fieldCount_; ++n) {
    positions_[static_cast<std::size_t>(n - 1)] = static_cast<int>(span(n).begin);
  }
  return true;
}

int FIELDPARSER::fieldEquals(int n, std::string_view text, int ignoreCase) const {
  if (n < 1 || n > fieldCount()) return 0;
  const std::string_view value = field(n);
  if (value.size() != text.size()) return 0;
  if (ignoreCase == 0) return value == text ? 1 : 0;
  // Equal upper-case copies, compared without making them.
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (upperChar(value[i]) != upperChar(text[i])) {
      return 0;
    }
  }
  return 1;
}

int FIELDPARSER::getFields(std::initializer_list<std::string*> destinations) const {
  int received = 0;
  int k = 0;
  for (std::string* destination : destinations) {
    if (static_cast<std::size_t>(k) == kMaxTextDestinations) break;
    ++k;
    if (destination != nullptr && getField(*destination, k) != nullptr) ++received;
  }
  return received;
}

int FIELDPARSER::getInts(std::initializer_list<int*> destinations) const {
  int nonzero = 0;
  int k = 0;
  for (int* destination : destinations) {
    if (static_cast<std::size_t>(k) == kMaxTextDestinations) break;
    ++k;
    if (destination != nullptr && getInt(destination, k) != 0) ++nonzero;
  }
  return nonzero;
}

int FIELDPARSER::getFloats(std::initializer_list<float*> destinations) const {
  int nonzero = 0;
  int k = 0;
  for (float* destination : destinations) {
    if (static_cast<std::size_t>(k) == kMaxFloatDestinations) break;
    ++k;
    if (destination != nullptr && getFloat(destination, k) != 0) ++nonzero;
  }
  return nonzero;
}

}  // namespace vyr
