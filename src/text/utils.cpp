// The program-wide text, number and file helpers and the fatal error report.
#include "text/utils.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <thread>

namespace vyr {

namespace {

bool isWhite(char c) { return isSpaceChar(c); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
char upper(char c) { return upperChar(c); }
char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Reads an optionally signed run of decimal digits after leading white space,
// clamped to the 32-bit range as a 32-bit strtol clamps it.
std::int32_t readClamped32(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isWhite(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  constexpr std::int64_t kLimit = 2147483648LL;  // one beyond the largest positive value
  std::int64_t value = 0;
  for (; i < text.size() && isDigit(text[i]); ++i) {
    if (value < kLimit) value = value * 10 + (text[i] - '0');
  }
  if (value > kLimit) value = kLimit;
  if (negative) return static_cast<std::int32_t>(-value);
  return static_cast<std::int32_t>(value == kLimit ? kLimit - 1 : value);
}

// Counts word starts in the text, a start being a character for which
// isPart holds and whose predecessor does not (the position before the text
// counts as a separator); answers the index of start n or text.size().
template <typename IsPart>
std::size_t nthStart(std::string_view text, int n, IsPart isPart) {
  int found = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (isPart(text[i]) && (i == 0 || !isPart(text[i - 1])) && ++found == n) return i;
  }
  return text.size();
}

const char* const kMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                 "July",    "August",   "September", "October", "November", "December"};
const char* const kShortMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

// ---------------------------------------------------------------- console basics

namespace {

std::atomic<FATALHANDLER> fatalHandler{nullptr};

}  // namespace

FATALHANDLER setFatalHandler(FATALHANDLER handler) { return fatalHandler.exchange(handler); }

void consoleFatalReport(const FATALFAULT& fault) {
  if (!fault.warning.empty()) {
    std::fwrite(fault.warning.data(), 1, fault.warning.size(), stdout);
    std::fputs("\n", stdout);
    waitForEnter();
  }
  if (!fault.detail.empty()) {
    std::fwrite(fault.detail.data(), 1, fault.detail.size(), stdout);
    std::fputs("\n", stdout);
  }
  std::fflush(stdout);
  std::fputs("\n", stdout);
  std::fflush(stdout);
  std::fwrite(fault.message.data(), 1, fault.message.size(), stdout);
  std::fputs("\n", stdout);
  std::fflush(stdout);
  waitForEnter();
  std::abort();
}

void fatalFault(const FATALFAULT& fault) {
  const FATALHANDLER handler = fatalHandler.load();
  if (handler == nullptr) consoleFatalReport(fault);
  handler(fault);
  std::abort();
}

void fatalError(std::string_view message) { fatalFault(FATALFAULT{message, {}, {}}); }

int readConsoleLine(std::string& destination) {
  destination.clear();
  char piece[512];
  bool readAny = false;
  while (std::fgets(piece, sizeof piece, stdin) != nullptr) {
    readAny = true;
    std::size_t length = std::strlen(piece);
    if (length > 0 && piece[length - 1] == '\n') {
      destination.append(piece, length - 1);
      return 1;
    }
    destination.append(piece, length);
  }
  return readAny ? 1 : 0;
}

int waitForEnter(std::string* destination) {
  std::fputs("Press ENTER to Continue! ", stdout);
  std::fflush(stdout);
  std::string answer;
  int got = readConsoleLine(answer);
  if (destination != nullptr) *destination = answer;
  return got;
}

// ---------------------------------------------------------------- wrapping

std::string& wrapText(std::string& destination, std::string_view text, int indent, int width,
                      int indentFirstLine) {
  const std::size_t margin = indent > 0 ? static_cast<std::size_t>(indent) : 0;
  std::string result(indentFirstLine == 1 ? margin : 0, ' ');
  long column = indent;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    std::size_t end = text.find(' ', i);
    if (end == std::string_view::npos) end = text.size();
    std::string_view word = text.substr(i, end - i);
    i = end;
    const long length = static_cast<long>(word.size());
    const bool startsWithNewline = word.front() == '\n';
    if (column + length > width || startsWithNewline) {
      result += '\n';
      result.append(margin, ' ');
      column = indent;
    }
    if (word.back() == '\n' && length > 1) {
      result += word;
      column = 0;
    } else if (startsWithNewline) {
      // A newline glued to the front of a word breaks the line; the rest of
      // the word is kept on the new line.
      if (length > 1) {
        result += word.substr(1);
        result += ' ';
        column += length;
      }
    } else {
      result += word;
      result += ' ';
      column += length + 1;
    }
  }
  destination = std::move(result);
  return destination;
}

// ---------------------------------------------------------------- files

int fileExists(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) return 0;
  std::fclose(file);
  return 1;
}

int pathExists(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0 ? 1 : 0;
}

int copyfile(const std::string& source, const std::string& target) {
  std::FILE* in = std::fopen(source.c_str(), "rb");
  if (in == nullptr) return 0;
  std::FILE* out = std::fopen(target.c_str(), "wb");
  if (out == nullptr) {
    std::fclose(in);
    return 0;
  }
  constexpr std::size_t kBlock = 65000;
  std::unique_ptr<char[]> block(new (std::nothrow) char[kBlock]);
  if (!block) fatalError("Unable to allocate memory in UTILS,copyfile.");
  std::size_t got;
  while ((got = std::fread(block.get(), 1, kBlock, in)) > 0) std::fwrite(block.get(), 1, got, out);
  std::fclose(in);
  std::fclose(out);
  return 1;
}

int appendWrappedToFile(const std::string& path, std::string_view text, int indent, int width) {
  std::FILE* file = std::fopen(path.c_str(), "a");
  if (file == nullptr) {
    std::fprintf(stderr, "Unable to open file for writing: %s!\n", path.c_str());
    return 0;
  }
  int written = 0;
  if (indent < width) {
    int spaces = 0;
    while (static_cast<std::size_t>(spaces) < text.size() && text[spaces] == ' ') ++spaces;
    if (indent + spaces < width) {
      std::string wrapped;
      std::string line(static_cast<std::size_t>(indent + spaces > 0 ? indent + spaces : 0), ' ');
      line += wrapText(wrapped, text, indent + spaces, width, 0);
      if (text.empty() || text.back() != '\n') line += '\n';
      std::fwrite(line.data(), 1, line.size(), file);
      written = 1;
    }
  }
  std::fclose(file);
  return written;
}

long fileSize(std::FILE* file) {
  if (file == nullptr) return 0;
  long here = std::ftell(file);
  std::fseek(file, 0, SEEK_END);
  long size = std::ftell(file);
  std::fseek(file, here, SEEK_SET);
  return size;
}

void sleepSeconds(int seconds) {
  if (seconds > 0) std::this_thread::sleep_for(std::chrono::seconds(seconds));
}

// ---------------------------------------------------------------- case

std::string& toUpperCopy(std::string& destination, std::string_view text) {
  destination.assign(text.data(), text.size());
  for (char& c : destination) c = upper(c);
  return destination;
}

std::string& toLowerCopy(std::string& destination, std::string_view text) {
  destination.assign(text.data(), text.size());
  for (char& c : destination) c = lower(c);
  return destination;
}

int compareNoCase(std::string_view a, std::string_view b) {
  for (std::size_t i = 0;; ++i) {
    const bool aEnds = i >= a.size();
    const bool bEnds = i >= b.size();
    const int position = static_cast<int>(i) + 1;
    if (aEnds && bEnds) return 0;
    if (aEnds) return -position;
    if (bEnds) return position;
    const unsigned char ca = static_cast<unsigned char>(upper(a[i]));
    const unsigned char cb = static_cast<unsigned char>(upper(b[i]));
    if (ca != cb) return ca < cb ? -position : position;
  }
}

int compareNoCaseN(std::string_view a, std::string_view b, int n) {
  const std::size_t limit = n > 0 ? static_cast<std::size_t>(n) : 0;
  return compareNoCase(a.substr(0, std::min(limit, a.size())), b.substr(0, std::min(limit, b.size())));
}

std::string& capitalise(std::string& text) {
  for (char& c : text) c = lower(c);
  if (!text.empty()) text[0] = upper(text[0]);
  return text;
}

// ---------------------------------------------------------------- trimming and words

std::string& trimText(std::string& text) {
  std::size_t end = text.size();
  while (end > 0 && isWhite(text[end - 1])) --end;
  text.erase(end);
  text.erase(0, wordStart(text, 1));
  return text;
}

std::string& trimCopy(std::string& destination, std::string_view text) {
  std::size_t begin = wordStart(text, 1);
  std::size_t end = text.size();
  while (end > begin && isWhite(text[end - 1])) --end;
  destination.assign(text.data() + begin, end - begin);
  return destination;
}

std::size_t wordStart(std::string_view text, int n) {
  return nthStart(text, n, [](char c) { return !isWhite(c); });
}

std::size_t spaceWordStart(std::string_view text, int n) {
  return nthStart(text, n, [](char c) { return c != ' '; });
}

std::size_t spaceWordLength(std::string_view text) {
  std::size_t space = text.find(' ');
  return space == std::string_view::npos ? text.size() : space;
}

int wordIndex(std::string_view text, int n) {
  std::size_t start = wordStart(text, n);
  return start < text.size() ? static_cast<int>(start) : -1;
}

int wordLength(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && !isWhite(text[i])) ++i;
  return static_cast<int>(i);
}

// ---------------------------------------------------------------- small text builders

std::string& fillChars(std::string& destination, char character, int n) {
  destination.assign(n > 0 ? static_cast<std::size_t>(n) : 0, character);
  return destination;
}

std::string& padRight(std::string& text, int width) {
  if (width > 0 && text.size() < static_cast<std::size_t>(width)) text.resize(width, ' ');
  return text;
}

std::string& justifyText(std::string& text, int width, int mode) {
  const long gap = static_cast<long>(width) - static_cast<long>(text.size());
  if (gap <= 0) return text;
  const std::size_t d = static_cast<std::size_t>(gap);
  if (mode == 0) {
    text.append(d, ' ');
  } else if (mode == 1) {
    text.insert(0, d, ' ');
  } else if (mode == 2) {
    text.insert(0, d / 2, ' ');
    text.append(d - d / 2, ' ');
  }
  return text;
}

std::string& trueFalseText(std::string& destination, int flag) {
  destination = flag ? "True" : "False";
  return destination;
}

std::string& yesNoText(std::string& destination, int flag) {
  destination = flag ? "Yes" : "No";
  return destination;
}

int containsChar(const char* text, char character) {
  if (text == nullptr || character == '\0') return 0;
  return std::strchr(text, character) != nullptr ? 1 : 0;
}

std::string& ordinalSuffix(std::string& destination, int n) {
  static const char* const kSuffixes[10] = {"th", "st", "nd", "rd", "th", "th", "th", "th", "th", "th"};
  const int lastTwo = n % 100;
  const int last = n % 10;
  destination = (lastTwo >= 11 && lastTwo <= 13) || last < 0 ? "th" : kSuffixes[last];
  return destination;
}

std::string& monthName(std::string& destination, int month, int offset, int shortForm) {
  const long number = static_cast<long>(month) + offset;
  if (number >= 1 && number <= 12) {
    destination = (shortForm == 1 ? kShortMonths : kMonths)[number - 1];
  } else {
    destination = shortForm == 1 ? "UNK" : "Unknown";
  }
  return destination;
}

void setOwnedText(std::string& slot, std::string_view text) { slot.assign(text.data(), text.size()); }

std::string& copyText(std::string_view text, std::string& destination) {
  destination.assign(text.data(), text.size());
  return destination;
}

std::string& joinPath(std::string& destination, const char* p1, const char* p2, const char* p3,
                      const char* p4, const char* p5, const char* p6) {
  std::string path;
  for (const char* part : {p1, p2, p3, p4, p5, p6}) {
    if (part == nullptr) continue;
    path += '/';
    path += part;
  }
  destination = std::move(path);
  return destination;
}

// ---------------------------------------------------------------- numbers

int isInteger(std::string_view text) {
  if (text.empty()) return 0;
  if (!isDigit(text[0]) && text[0] != '-') return 0;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (!isDigit(text[i])) return 0;
  }
  return 1;
}

int isReal(std::string_view text) {
  if (text.empty()) return 0;
  if (!isDigit(text[0]) && text[0] != '.' && text[0] != '-') return 0;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (!isDigit(text[i]) && text[i] != '.') return 0;
  }
  return 1;
}

int parseYesNo(const char* text) { return text == nullptr ? -1 : parseYesNo(std::string_view(text)); }

int parseYesNo(std::string_view text) {
  if (text.empty()) return -2;
  if (text.size() == 1) {
    const char c = upper(text[0]);
    return c == 'N' ? 0 : (c == 'Y' ? 1 : -1);
  }
  if (compareNoCase(text, "NO") == 0) return 0;
  if (compareNoCase(text, "YES") == 0) return 1;
  return -1;
}

int readInt(std::string_view text) { return readClamped32(text); }

long readLong(std::string_view text) { return readClamped32(text); }

double readDouble(std::string_view text) {
  // strtod needs a NUL-terminated text: short texts are copied to the stack.
  constexpr std::size_t kShort = 128;
  const std::size_t end = std::min(text.find('\0'), text.size());
  if (end < kShort) {
    char copy[kShort];
    if (end > 0) std::memcpy(copy, text.data(), end);
    copy[end] = '\0';
    return std::strtod(copy, nullptr);
  }
  const std::string copy(text.substr(0, end));
  return std::strtod(copy.c_str(), nullptr);
}

int floatToInt(double x) {
  // Values outside the int range (and NaN) have no integer part to speak of.
  if (!(x > -2147483649.0 && x < 2147483648.0)) return x > 0 ? 2147483647 : (x < 0 ? -2147483647 - 1 : 0);
  const int whole = static_cast<int>(x);
  return x - whole > 0.5 && whole < 2147483647 ? whole + 1 : whole;
}

std::string& intToText(int value, std::string& destination, int radix) {
  if (radix != 10) fatalError("Unable to convert number to radix request.");
  destination = std::to_string(value);
  return destination;
}

std::string& longToText(long value, std::string& destination, int radix) {
  if (radix != 10) fatalError("Unable to convert number to radix request.");
  destination = std::to_string(value);
  return destination;
}

}  // namespace vyr
