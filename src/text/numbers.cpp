// Number tests and readings, yes/no answers, numbers as text.
#include "text/numbers.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "text/charclass.h"
#include "text/fatal.h"
#include "text/words.h"

namespace vyr {

namespace {

// Reads an optionally signed run of decimal digits after leading white space,
// clamped to the 32-bit range as a 32-bit strtol clamps it.
std::int32_t readClamped32(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isSpaceChar(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  constexpr std::int64_t kLimit = 2147483648LL;  // one beyond the largest positive value
  std::int64_t value = 0;
  for (; i < text.size() && isDigitChar(text[i]); ++i) {
    if (value < kLimit) value = value * 10 + (text[i] - '0');
  }
  if (value > kLimit) value = kLimit;
  if (negative) return static_cast<std::int32_t>(-value);
  return static_cast<std::int32_t>(value == kLimit ? kLimit - 1 : value);
}

}  // namespace

int isInteger(std::string_view text) {
  if (text.empty()) return 0;
  if (!isDigitChar(text[0]) && text[0] != '-') return 0;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (!isDigitChar(text[i])) return 0;
  }
  return 1;
}

int isReal(std::string_view text) {
  if (text.empty()) return 0;
  if (!isDigitChar(text[0]) && text[0] != '.' && text[0] != '-') return 0;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (!isDigitChar(text[i]) && text[i] != '.') return 0;
  }
  return 1;
}

int parseYesNo(const char* text) { return text == nullptr ? -1 : parseYesNo(std::string_view(text)); }

int parseYesNo(std::string_view text) {
  if (text.empty()) return -2;
  if (text.size() == 1) {
    const char c = upperChar(text[0]);
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
