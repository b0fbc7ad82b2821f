// Number tests and readings, yes/no answers and numbers as text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "text/charclass.h"

namespace vyr {

int isInteger(std::string_view text);
int isReal(std::string_view text);

// 1 yes, 0 no, -1 not an answer (or no text), -2 the empty text.
int parseYesNo(const char* text);

int parseYesNo(std::string_view text);

// The standard number readings (`atoi`, `atol`, `atof`): leading white space and
// a sign are skipped, reading stops at the first character that does not fit,
// text that is not a number reads as 0. Integers are 32-bit: a digit string
// beyond the range clamps to the range's end instead of wrapping.
int readInt(std::string_view text);

long readLong(std::string_view text);

// readInt for the texts an orders file is full of, inline: a text that is a
// run of at most nine digits, up to its end or a character that is no digit,
// is read here; any other goes to readInt.
inline int readShortInt(std::string_view text) {
  int value = 0;
  std::size_t i = 0;
  for (; i < text.size() && i < 9 && isDigitChar(text[i]); ++i) value = value * 10 + (text[i] - '0');
  if (i > 0 && (i == text.size() || !isDigitChar(text[i]))) return value;
  return readInt(text);
}

double readDouble(std::string_view text);
int floatToInt(double x);
std::string& intToText(int value, std::string& destination, int radix);
std::string& longToText(long value, std::string& destination, int radix);

}  // namespace vyr
