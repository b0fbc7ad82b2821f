// A stretch of one line of an orders text as the editor services answer it:
// 1-based columns in the three units a finding uses (UTF-8 bytes, characters,
// UTF-16 code units), the end column exclusive.
#pragma once

#include <cstddef>
#include <string_view>

namespace vyr {

struct EDITSPAN {
  int line = 1;  // 1-based line of the text
  int column = 1;
  int endColumn = 1;
  int charColumn = 1;
  int endCharColumn = 1;
  int utf16Column = 1;
  int endUtf16Column = 1;
};

// The span of the bytes [begin, end) of a line's text (offsets from 0,
// clamped to the line).
[[nodiscard]] EDITSPAN spanInLine(std::string_view lineText, int line, std::size_t begin, std::size_t end);

// The byte offset in a line's text of a 0-based UTF-16 offset, as an editor
// sends a position; an offset inside a character gives that character's
// start, one past the line its end.
[[nodiscard]] std::size_t byteOfUtf16Offset(std::string_view lineText, std::size_t utf16Offset);

// The line of a text (1-based; lines end at "\n", a "\r" before it dropped)
// and the text before it; "" past the end.
struct TEXTLINE {
  std::string_view before;
  std::string_view text;
};
[[nodiscard]] TEXTLINE textLine(std::string_view text, int line);

}  // namespace vyr
