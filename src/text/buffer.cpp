#include "text/buffer.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unordered_set>

#include "containers/blockpool.h"
#include "text/charclass.h"
#include "text/fatal.h"
#include "text/fieldparser.h"
#include "text/words.h"

namespace vyr {

namespace {

bool isWhite(char ch) { return isSpaceChar(ch); }
char upper(char ch) { return upperChar(ch); }

bool equalNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return upper(x) == upper(y); });
}

// Index where word n starts, or npos. A word starts at a non-white character
// whose predecessor is white; the position before the text counts as white.
std::size_t wordBegin(std::string_view text, int n) {
  if (n < 1) return std::string_view::npos;
  std::size_t i = 0;
  for (;;) {
    while (i < text.size() && isWhite(text[i])) ++i;
    if (i == text.size()) return std::string_view::npos;
    if (--n == 0) return i;
    while (i < text.size() && !isWhite(text[i])) ++i;
  }
}

}  // namespace

// ---------------------------------------------------------------- STRING

std::size_t STRING::blockBytes(std::size_t size) { return size; }

// Keeps the block when the new text fits the old block's class, so that
// rewriting a line in place (trimming, say) costs no allocation. The text may
// lie inside this STRING's own block.
void STRING::assign(std::string_view text) {
  if (text.empty()) {
    BLOCKPOOL::release(data_, blockBytes(size_));
    data_ = nullptr;
    size_ = 0;
    return;
  }
  if (data_ == nullptr ||
      BLOCKPOOL::blockSize(blockBytes(text.size())) != BLOCKPOOL::blockSize(blockBytes(size_))) {
    auto* block = static_cast<char*>(BLOCKPOOL::allocate(blockBytes(text.size())));
    if (block == nullptr) fatalError("Unable to allocate memory for a line of text.");
    std::memcpy(block, text.data(), text.size());
    BLOCKPOOL::release(data_, blockBytes(size_));
    data_ = block;
  } else {
    std::memmove(data_, text.data(), text.size());
  }
  size_ = text.size();
}

STRING& STRING::operator=(const STRING& other) {
  if (this != &other) setText(other.view());
  return *this;
}

STRING::~STRING() { BLOCKPOOL::release(data_, blockBytes(size_)); }

int STRING::setText(std::string_view text) {
  assign(text);
  if (copy_) copy_->assign(view());
  return 1;
}

const std::string& STRING::text() const {
  if (!copy_) copy_ = std::make_unique<std::string>(view());
  return *copy_;
}

int STRING::isBlank() const {
  const std::string_view text = view();
  return std::all_of(text.begin(), text.end(), isWhite) ? 1 : 0;
}

int STRING::countWords() const {
  int words = 0;
  bool previousWhite = true;
  for (const char ch : view()) {
    const bool white = isWhite(ch);
    if (previousWhite && !white) ++words;
    previousWhite = white;
  }
  return words;
}

std::string_view STRING::word(int n) const {
  const std::string_view text = view();
  const std::size_t begin = wordBegin(text, n);
  if (begin == std::string_view::npos) return {};
  std::size_t end = begin;
  while (end < text.size() && !isWhite(text[end])) ++end;
  return text.substr(begin, end - begin);
}

std::string* STRING::getWord(std::string& destination, int n) const {
  const std::size_t begin = wordBegin(view(), n);
  if (begin == std::string_view::npos) {
    destination.clear();
    return nullptr;
  }
  destination.assign(word(n));
  return &destination;
}

int STRING::wordOffset(int n) const {
  const std::size_t begin = wordBegin(view(), n);
  return begin == std::string_view::npos ? -1 : static_cast<int>(begin);
}

int STRING::isUpperWord(int n) const {
  const std::string_view w = word(n);
  if (w.empty()) return 0;
  return std::all_of(w.begin(), w.end(), [](char ch) { return isUpperChar(ch); }) ? 1 : 0;
}

int STRING::wordEquals(int n, std::string_view text, int ignoreCase) const {
  const std::string_view w = word(n);
  if (w.empty()) return 0;  // words are never empty: word n does not exist
  if (ignoreCase != 0) return equalNoCase(w, text) ? 1 : 0;
  return w == text ? 1 : 0;
}

int STRING::findText(std::string_view text, int ignoreCase, int wholeWords) const {
  const std::string_view held = view();
  if (held.empty()) return 0;
  if (wholeWords != 0) {
    const int words = countWords();
    for (int w = 1; w <= words; ++w) {
      const std::string_view candidate = word(w);
      if (ignoreCase != 0 ? equalNoCase(candidate, text) : candidate == text) return w;
    }
    return 0;
  }
  std::size_t at = std::string_view::npos;
  if (ignoreCase == 0) {
    at = held.find(text);
  } else {
    const auto found = std::search(held.begin(), held.end(), text.begin(), text.end(),
                                   [](char x, char y) { return upper(x) == upper(y); });
    if (found != held.end() || text.empty()) at = static_cast<std::size_t>(found - held.begin());
  }
  return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

int STRING::expandTabs(int n) {
  const std::string_view held = view();
  if (held.find('\t') == std::string_view::npos) return 0;
  const auto tabs = std::count(held.begin(), held.end(), '\t');
  const std::string spaces(static_cast<std::size_t>(std::max(n, 0)), ' ');
  std::string expanded;
  expanded.reserve(held.size() + static_cast<std::size_t>(tabs) * spaces.size());
  for (const char ch : held) {
    if (ch == '\t') {
      expanded += spaces;
    } else {
      expanded += ch;
    }
  }
  setText(expanded);
  return static_cast<int>(tabs);
}

// ---------------------------------------------------------------- LINESTR

void* LINESTR::operator new(std::size_t bytes) noexcept { return BLOCKPOOL::allocate(bytes); }

void LINESTR::operator delete(void* block, std::size_t bytes) noexcept { BLOCKPOOL::release(block, bytes); }

// ---------------------------------------------------------------- BUFFER: lines

int BUFFER::addLine(std::string_view text) {
  sortByKey();
  const int key = isEmpty() ? 1 : get(count())->key() + 1;
  if (!add(std::make_unique<LINESTR>(key, text))) fatalError("Unable to add a new line to BUFFER.");
  return 1;
}

int BUFFER::insertLine(std::string_view text, int n) {
  if (n < 1) return 0;
  if (n > lineCount()) return addLine(text);
  // A key shared with the head (lines inserted at 1 all carry the head's key)
  // would send the new line in before the head: number the lines afresh first.
  if (n > 1 && get(1)->key() == get(n)->key()) renumber(1, 1);
  const int key = get(n)->key();
  for (int i = n; i <= lineCount(); ++i) {
    LINESTR* line = get(i);
    line->setKey(line->key() + 1);
  }
  // Its key now lies below line n's, so it goes in just before it.
  if (!add(std::make_unique<LINESTR>(key, text))) fatalError("Unable to insert a new line to BUFFER.");
  return 1;
}

int BUFFER::insertBuffer(BUFFER* other, int n) {
  if (other == nullptr || n < 1) return 0;
  if (other == this) {  // the lines to insert must stay put while this buffer changes
    BUFFER copy;
    copyLines(copy, 0, 0);
    return insertBuffer(&copy, n);
  }
  if (n > lineCount()) return other->copyLines(*this, 0, 0);
  const int m = other->lineCount();
  if (m == 0) return 1;
  renumber(1, 1);
  for (int i = n; i <= lineCount(); ++i) {
    LINESTR* line = get(i);
    line->setKey(line->key() + m);
  }
  // All new lines carry key n. A line whose key equals the head's goes in
  // before the head, after equal keys anywhere else: so at line 1 the lines
  // are inserted last to first, elsewhere first to last, and they end up in
  // the other buffer's order either way.
  const bool atHead = n == 1;
  for (int j = 1; j <= m; ++j) {
    const LINESTR* source = other->get(atHead ? m + 1 - j : j);
    if (!add(std::make_unique<LINESTR>(n, source->str().view()))) {
      fatalError("Unable to insert a new line to BUFFER.");
    }
  }
  return 1;
}

int BUFFER::copyLines(BUFFER& target, int a, int b) {
  if (a == 0) a = 1;
  if (b == 0) b = lineCount();
  if (a < 1 || a > lineCount() || b < 1 || b > lineCount() || b < a) return 0;
  for (int i = a; i <= b; ++i) target.addLine(get(i)->str().view());
  return 1;
}

// Removing line n leaves the list's position cache on the line that follows,
// so a caller walking forward and deleting pays one step per line.
int BUFFER::deleteLine(int n) { return remove(n); }

int BUFFER::deleteLines(int a, int b) {
  if (a == 0) a = 1;
  if (b == 0) b = lineCount();
  if (a < 1 || a > lineCount() || b < 1 || b > lineCount() || b < a) return 0;
  for (int i = a; i <= b; ++i) remove(a);
  return 1;
}

void BUFFER::clearBuffer() { clear(); }

std::string* BUFFER::getLine(std::string& destination, int n) {
  const LINESTR* line = get(n);
  if (line == nullptr) {
    destination.clear();
    return nullptr;
  }
  destination = line->str().view();
  return &destination;
}

STRING* BUFFER::lineString(int n) {
  LINESTR* line = get(n);
  return line == nullptr ? nullptr : &line->str();
}

int BUFFER::setLine(std::string_view text, int n) {
  LINESTR* line = get(n);
  return line == nullptr ? 0 : line->str().setText(text);
}

std::string& BUFFER::currentLine(std::string& destination) {
  const LINESTR* line = current();
  if (line == nullptr) {
    destination.clear();
  } else {
    destination = line->str().view();
  }
  return destination;
}

int BUFFER::setCurrentLine(std::string_view text) {
  LINESTR* line = current();
  return line == nullptr ? 0 : line->str().setText(text);
}

void BUFFER::deleteEmptyLines() {
  int p = 1;
  while (p <= lineCount()) {
    if (get(p)->str().isEmpty()) {
      remove(p);
    } else {
      ++p;
    }
  }
}

// ---------------------------------------------------------------- BUFFER: queries

int BUFFER::findLine(std::string_view text, int start) {
  if (start == 0) start = 1;
  if (start < 1 || start > lineCount()) return 0;
  for (int i = start; i <= lineCount(); ++i) {
    if (get(i)->str().findText(text, 1, 0) != 0) return i;
  }
  return 0;
}

int BUFFER::findBlankLine() {
  for (int i = 1; i <= lineCount(); ++i) {
    if (get(i)->str().isBlank()) return i;
  }
  return 0;
}

int BUFFER::countLineWords(int n) {
  const LINESTR* line = get(n);
  return line == nullptr ? 0 : line->str().countWords();
}

int BUFFER::countAllWords() {
  int words = 0;
  for (first(); !atEnd(); next()) words += current()->str().countWords();
  return words;
}

int BUFFER::countUniqueWords() {
  constexpr int kMostWords = 30000;  // beyond this the count is not taken
  const int total = countAllWords();
  if (total > kMostWords) return 0;
  if (total <= 1) return total;
  std::unordered_set<std::string> seen;
  seen.reserve(static_cast<std::size_t>(total));
  std::string upperWord;
  for (int i = 1; i <= lineCount(); ++i) {
    const STRING& line = get(i)->str();
    const int words = line.countWords();
    for (int w = 1; w <= words; ++w) seen.insert(toUpperCopy(upperWord, line.word(w)));
  }
  return static_cast<int>(seen.size());
}

// ---------------------------------------------------------------- BUFFER: wrapped text

void BUFFER::addWrappedText(const char* prefix, std::string_view text, int indent, int width,
                            int indentFirstLine, const char* lead) {
  std::string wrapped;
  wrapText(wrapped, text, indent, width, indentFirstLine);
  std::string working = prefix == nullptr ? std::string() : std::string(prefix);
  working += wrapped;
  const FIELDPARSER pieces(working, '\n', kNoQuote, 0, 0, 0);
  const std::string_view leadText = lead == nullptr ? std::string_view() : std::string_view(lead);
  std::string line;
  for (int i = 1; i <= pieces.fieldCount(); ++i) {
    line.assign(leadText);
    line += pieces.field(i);
    addLine(line);
  }
}

// ---------------------------------------------------------------- BUFFER: hexadecimal form

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr std::size_t kFullHexLine = 74;  // a line longer than this is complete

// The value of an upper-case hexadecimal digit; any other character reads as 0.
int hexValue(char ch) {
  const char* at = std::strchr(kHexDigits, ch);
  return ch == '\0' || at == nullptr ? 0 : static_cast<int>(at - kHexDigits);
}

}  // namespace

void BUFFER::encodeHex(BUFFER& target) {
  target.clearBuffer();
  std::string out = "~";
  const auto put = [&](unsigned char byte) {
    if (out.size() > kFullHexLine) {
      target.addLine(out);
      out.clear();
    }
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
  };
  for (first(); !atEnd(); next()) {
    for (const char ch : current()->str().view()) put(static_cast<unsigned char>(ch));
    put('\n');
  }
  out += '~';
  target.addLine(out);
}

void BUFFER::decodeHex(BUFFER& target) {
  target.clearBuffer();
  std::string text;
  // A decoded NUL ends the line's text, as it would in a NUL-terminated line.
  const auto addText = [&]() {
    target.addLine(std::string_view(text.c_str()));
    text.clear();
  };
  bool inside = false;
  for (first(); !atEnd(); next()) {
    const std::string_view line = current()->str().view();
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '~') {
        inside = !inside;
        continue;
      }
      // A digit without a partner on its line is dropped.
      if (!inside || i + 1 >= line.size() || line[i + 1] == '~') continue;
      const char byte = static_cast<char>(hexValue(line[i]) * 16 + hexValue(line[i + 1]));
      ++i;
      if (byte == '\n') {
        addText();
      } else {
        text += byte;
      }
    }
  }
  if (!text.empty()) addText();
}

}  // namespace vyr
