// The "C" locale's character classes. Bytes above 127 are neither white space,
// digits nor letters.
#pragma once

namespace vyr {

// The "C" locale's white space, upper-case test and upper-casing, inline for
// the loops that run over every character of an orders file. The same answers
// as `isspace`, `isupper` and `toupper`: the program never changes the locale.
constexpr bool isSpaceChar(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
constexpr bool isUpperChar(char c) { return c >= 'A' && c <= 'Z'; }
constexpr char upperChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr bool isDigitChar(char c) { return c >= '0' && c <= '9'; }

}  // namespace vyr
