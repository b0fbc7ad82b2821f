// Case, trimming, word positions, word wrapping and small text builders.
#include "text/words.h"

#include <cctype>
#include <cstring>
#include <string>

#include "text/charclass.h"

namespace vyr {

namespace {

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

char lowerChar(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

}  // namespace

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


std::string& toUpperCopy(std::string& destination, std::string_view text) {
  destination.assign(text.data(), text.size());
  for (char& c : destination) c = upperChar(c);
  return destination;
}

std::string& toLowerCopy(std::string& destination, std::string_view text) {
  destination.assign(text.data(), text.size());
  for (char& c : destination) c = lowerChar(c);
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
    const unsigned char ca = static_cast<unsigned char>(upperChar(a[i]));
    const unsigned char cb = static_cast<unsigned char>(upperChar(b[i]));
    if (ca != cb) return ca < cb ? -position : position;
  }
}

int compareNoCaseN(std::string_view a, std::string_view b, int n) {
  const std::size_t limit = n > 0 ? static_cast<std::size_t>(n) : 0;
  return compareNoCase(a.substr(0, std::min(limit, a.size())), b.substr(0, std::min(limit, b.size())));
}

std::string& capitalise(std::string& text) {
  for (char& c : text) c = lowerChar(c);
  if (!text.empty()) text[0] = upperChar(text[0]);
  return text;
}


std::string& trimText(std::string& text) {
  std::size_t end = text.size();
  while (end > 0 && isSpaceChar(text[end - 1])) --end;
  text.erase(end);
  text.erase(0, wordStart(text, 1));
  return text;
}

std::string& trimCopy(std::string& destination, std::string_view text) {
  std::size_t begin = wordStart(text, 1);
  std::size_t end = text.size();
  while (end > begin && isSpaceChar(text[end - 1])) --end;
  destination.assign(text.data() + begin, end - begin);
  return destination;
}

std::size_t wordStart(std::string_view text, int n) {
  return nthStart(text, n, [](char c) { return !isSpaceChar(c); });
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
  while (i < text.size() && !isSpaceChar(text[i])) ++i;
  return static_cast<int>(i);
}


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

}  // namespace vyr
