// UTF-8 as the reports count it: a valid sequence is one character (one or
// two UTF-16 code units), and every byte that does not begin a valid sequence
// (a stray continuation byte, an overlong form, a surrogate, a truncated
// sequence) is one character of its own.
#pragma once

#include <cstddef>
#include <string_view>

namespace vyr {

// The length of the valid UTF-8 sequence starting at text[i] (1 for ASCII),
// or 0 when no valid sequence starts there. i must lie inside the text.
std::size_t utf8SequenceLength(std::string_view text, std::size_t i);

// The number of characters of the text: valid sequences and invalid bytes.
int countCodePoints(std::string_view text);
// The number of UTF-16 code units of the text: two for a character outside
// the Basic Multilingual Plane (a 4-byte sequence), one for any other
// character or invalid byte.
int countUtf16Units(std::string_view text);

}  // namespace vyr
