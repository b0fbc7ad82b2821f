#include "text/utf8.h"

namespace vyr {

std::size_t utf8SequenceLength(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  if (byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  }
  return length;
}

namespace {

// Walks the characters of the text; `units(length)` gives what a character of
// that many bytes counts (an invalid byte has length 1).
template <class Units>
int countBy(std::string_view text, Units units) {
  int count = 0;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = utf8SequenceLength(text, i);
    if (length == 0) length = 1;
    count += units(length);
    i += length;
  }
  return count;
}

}  // namespace

int countCodePoints(std::string_view text) {
  return countBy(text, [](std::size_t) { return 1; });
}

int countUtf16Units(std::string_view text) {
  return countBy(text, [](std::size_t length) { return length == 4 ? 2 : 1; });
}

}  // namespace vyr
