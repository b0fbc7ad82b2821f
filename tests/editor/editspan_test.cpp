// Spans count bytes, characters and UTF-16 units as findings do; an editor's
// UTF-16 offset maps back to the byte a character starts at.
#include "editor/editspan.h"

#include <gtest/gtest.h>

#include <string>

namespace vyr {
namespace {

TEST(EditSpan, CountsTheThreeUnits) {
  struct Case {
    std::string line;
    std::size_t begin, end;
    int column, endColumn, charColumn, endCharColumn, utf16Column, endUtf16Column;
  };
  const std::string emoji = "\xF0\x9F\x98\x80";  // U+1F600: four bytes, one character, two units
  const Case cases[] = {
      {"RECRUIT 5", 8, 9, 9, 10, 9, 10, 9, 10},
      {"\xC3\xA9 x", 3, 4, 4, 5, 3, 4, 3, 4},
      {emoji + " Pik", 5, 8, 6, 9, 3, 6, 4, 7},
      {"a" + emoji, 1, 5, 2, 6, 2, 3, 2, 4},
      {"\xFF\xFE ab", 3, 5, 4, 6, 4, 6, 4, 6},  // invalid bytes are a character each
      {"short", 3, 99, 4, 6, 4, 6, 4, 6},       // clamped to the line
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const EDITSPAN span = spanInLine(c.line, 7, c.begin, c.end);
    EXPECT_EQ(span.line, 7);
    EXPECT_EQ(std::vector<int>({span.column, span.endColumn, span.charColumn, span.endCharColumn,
                                span.utf16Column, span.endUtf16Column}),
              std::vector<int>({c.column, c.endColumn, c.charColumn, c.endCharColumn, c.utf16Column,
                                c.endUtf16Column}));
  }
}

TEST(EditSpan, MapsUtf16OffsetsToBytes) {
  const std::string line = "a\xC3\xA9\xF0\x9F\x98\x80z";  // a, e-acute, emoji, z
  const std::pair<std::size_t, std::size_t> cases[] = {{0, 0}, {1, 1}, {2, 3}, {3, 3}, {4, 7}, {5, 8}, {50, 8}};
  for (const auto& [units, byte] : cases) EXPECT_EQ(byteOfUtf16Offset(line, units), byte) << units;
}

TEST(EditSpan, FindsTheLinesOfAText) {
  const std::string text = "one\r\ntwo\nthree";
  const std::tuple<int, std::string, std::string> cases[] = {
      {1, "", "one"}, {2, "one\r\n", "two"}, {3, "one\r\ntwo\n", "three"}, {4, text, ""}};
  for (const auto& [line, before, body] : cases) {
    const TEXTLINE found = textLine(text, line);
    EXPECT_EQ(found.before, before) << line;
    EXPECT_EQ(found.text, body) << line;
  }
}

}  // namespace
}  // namespace vyr
