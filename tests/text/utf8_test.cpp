// Characters and UTF-16 code units of UTF-8 text, invalid bytes counted one each.
#include "text/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace vyr {
namespace {

TEST(Utf8, SequencesCharactersAndUtf16Units) {
  struct Case {
    const char* what;
    std::string text;
    std::size_t firstLength;  // utf8SequenceLength(text, 0)
    int characters;
    int utf16;
  };
  const Case cases[] = {
      {"ASCII", "Bob", 1, 3, 3},
      {"two-byte umlaut", "\xC3\xB6x", 2, 2, 2},
      {"three-byte euro sign", "\xE2\x82\xAC", 3, 1, 1},
      {"four-byte character outside the BMP", "\xF0\x9F\x98\x80!", 4, 2, 3},
      {"stray continuation byte",
       "\x80"
       "a",
       0, 2, 2},
      {"overlong two-byte form", "\xC0\xAF", 0, 2, 2},
      {"overlong three-byte form", "\xE0\x80\xAF", 0, 3, 3},
      {"surrogate", "\xED\xA0\x80", 0, 3, 3},
      {"above U+10FFFF", "\xF4\x90\x80\x80", 0, 4, 4},
      {"truncated at the end", "\xE2\x82", 0, 2, 2},
      {"lead byte before ASCII",
       "\xC3"
       "A",
       0, 2, 2},
      {"Latin-1 byte", "\xFF", 0, 1, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(utf8SequenceLength(c.text, 0), c.firstLength) << c.what;
    EXPECT_EQ(countCodePoints(c.text), c.characters) << c.what;
    EXPECT_EQ(countUtf16Units(c.text), c.utf16) << c.what;
  }
  EXPECT_EQ(countCodePoints(""), 0);
  EXPECT_EQ(countUtf16Units(""), 0);
}

}  // namespace
}  // namespace vyr
