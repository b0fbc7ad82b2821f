#include "vyrls/document.h"

#include <gtest/gtest.h>

namespace vyr {
namespace {

constexpr auto kUtf8 = POSITIONENCODING::kUtf8;
constexpr auto kUtf16 = POSITIONENCODING::kUtf16;

// "ü" is 2 bytes and 1 UTF-16 unit, "😀" 4 bytes and 2 units.
TEST(VyrlsDocument, PositionsAndOffsetsConvertBothWays) {
  struct CASE {
    const char* text;
    TEXTPOSITION position;
    POSITIONENCODING encoding;
    std::size_t offset;
    TEXTPOSITION back;  // the position of that offset
  };
  const CASE cases[] = {
      {"abc", {0, 2}, kUtf16, 2, {0, 2}},
      {"aü😀b", {0, 2}, kUtf16, 3, {0, 2}},
      {"aü😀b", {0, 4}, kUtf16, 7, {0, 4}},
      {"aü😀b", {0, 3}, kUtf16, 3, {0, 2}},  // inside the surrogate pair: at its start
      {"aü😀b", {0, 7}, kUtf8, 7, {0, 7}},
      {"aü😀b", {0, 2}, kUtf8, 1, {0, 1}},    // inside "ü": at its start
      {"aü😀b", {0, 99}, kUtf16, 8, {0, 5}},  // past the line's end: at its end
      {"ab\ncd", {1, 1}, kUtf16, 4, {1, 1}},
      {"ab\r\ncd", {0, 9}, kUtf16, 2, {0, 2}},  // before the line break
      {"ab\r\ncd", {1, 0}, kUtf16, 4, {1, 0}},
      {"ab\rcd\n", {1, 2}, kUtf16, 5, {1, 2}},  // a lone "\r" ends a line
      {"ab\rcd\n", {2, 0}, kUtf16, 6, {2, 0}},
      {"ab\ncd", {7, 3}, kUtf16, 5, {1, 2}},  // past the last line: the end
      {"ab\ncd", {-1, 3}, kUtf16, 0, {0, 0}},
      {"a\xdf\xbfz", {0, 3}, kUtf16, 4, {0, 3}},     // U+07FF, the last of two bytes, is one unit
      {"a\xff\xc3z", {0, 3}, kUtf16, 3, {0, 3}},     // bytes that are no UTF-8: one unit each
      {"a\xed\xa0\x80z", {0, 2}, kUtf8, 2, {0, 2}},  // an encoded surrogate is no character
      {"", {0, 0}, kUtf16, 0, {0, 0}},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " " + std::to_string(c.position.line) + ":" +
                 std::to_string(c.position.character));
    const TEXTDOCUMENT document("u", 1, c.text);
    const std::size_t offset = document.offsetAt(c.position, c.encoding);
    EXPECT_EQ(offset, c.offset);
    EXPECT_EQ(document.positionAt(offset, c.encoding), c.back);
  }
}

TEST(VyrlsDocument, EditsReplaceTheRangeAndKeepTheLinesRight) {
  struct CASE {
    const char* before;
    TEXTPOSITION from;
    TEXTPOSITION to;
    const char* text;
    const char* after;
    long long lines;
  };
  const CASE cases[] = {
      {"RECRUIT 40 Pikemenn\n", {0, 18}, {0, 19}, "", "RECRUIT 40 Pikemen\n", 2},
      {"NOTE 😀x\n", {0, 7}, {0, 8}, "y", "NOTE 😀y\n", 2},
      {"a\nb\nc", {0, 1}, {2, 0}, "-", "a-c", 1},
      {"a\nb", {1, 1}, {1, 1}, "\nc\r\nd", "a\nb\nc\r\nd", 4},
      {"a\r", {1, 0}, {1, 0}, "\nb", "a\r\nb", 2},  // the "\r" and the new "\n" are one line break
      {"abc", {0, 2}, {0, 1}, "X", "aXc", 1},       // the ends in either order
      {"abc", {5, 0}, {9, 9}, "!", "abc!", 1},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.after);
    TEXTDOCUMENT document("u", 1, c.before);
    document.replace(c.from, c.to, c.text, kUtf16);
    EXPECT_EQ(document.text(), c.after);
    EXPECT_EQ(document.lineCount(), c.lines);
    // The line index after the edit is the index of the text read afresh.
    const TEXTDOCUMENT fresh("u", 1, c.after);
    for (long long line = 0; line < fresh.lineCount(); ++line) {
      EXPECT_EQ(document.lineStart(line), fresh.lineStart(line));
      EXPECT_EQ(document.lineText(line), fresh.lineText(line));
    }
  }
}

}  // namespace
}  // namespace vyr
