// The output text must hold exactly what was appended, in order, however far
// it grows, with the one line put in front of it.
#include "text/outtext.h"

#include <gtest/gtest.h>

#include <string>

namespace vyr {
namespace {

TEST(OutText, HoldsWhatWasAppendedWithTheFrontLine) {
  struct Case {
    const char* what;
    std::size_t expected;  // the size hint
    int lines;             // lines of the pattern appended
    std::string front;     // put in front at the end ("" for none)
  };
  const Case cases[] = {
      {"nothing at all", 0, 0, ""},
      {"a front line only", 0, 0, "#> Errors 1 Warnings 0\n"},
      {"within the hint", 1 << 20, 1000, "#> Errors 3 Warnings 4\n"},
      {"far beyond the hint: the area moves", 10, 300000, "#> Errors 2147483647 Warnings 2147483647\n"},
      {"a front line as large as the room", 0, 10, std::string(OUTTEXT::kFrontRoom - 1, 'f') + "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OUTTEXT text(c.expected);
    std::string expected;
    for (int n = 0; n < c.lines; ++n) {
      const std::string line = n % 7 == 0 ? std::string() : "  SHIRE " + std::to_string(n) + ",3";
      if (n % 2 == 0) {
        text.appendLine(line);
      } else {
        text.append(line);
        text.append("\n");
      }
      expected += line + "\n";
    }
    EXPECT_EQ(text.empty(), expected.empty());
    if (!c.front.empty()) {
      EXPECT_EQ(text.prepend(c.front), 1);
      expected = c.front + expected;
    }
    EXPECT_EQ(text.size(), expected.size());
    EXPECT_TRUE(text.view() == expected);
  }
}

TEST(OutText, AFrontLineLargerThanTheRoomIsRefusedAndChangesNothing) {
  OUTTEXT text;
  text.appendLine("body");
  EXPECT_EQ(text.prepend(std::string(OUTTEXT::kFrontRoom + 1, 'x')), 0);
  EXPECT_EQ(text.view(), "body\n");
  EXPECT_EQ(text.prepend("a\n"), 1);
  EXPECT_EQ(text.prepend(std::string(OUTTEXT::kFrontRoom - 1, 'x')), 0);
  EXPECT_EQ(text.view(), "a\nbody\n");
}

}  // namespace
}  // namespace vyr
