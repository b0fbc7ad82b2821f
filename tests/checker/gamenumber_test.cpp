// The game number read from a command line, one reading for every program.
#include "checker/gamenumber.h"

#include <gtest/gtest.h>

namespace vyr {
namespace {

TEST(GameNumber, ReadsAsTheCommandLinesReadIt) {
  struct Case {
    const char* text;
    int accepted;
    int gameNo;  // when accepted
  };
  const Case cases[] = {
      {"1", 1, 1},
      {"0", 1, 0},
      {"-", 1, 0},  // a lone '-' reads as 0
      {"-7", 1, -7},
      {"007", 1, 7},
      {"99999999999", 1, 2147483647},
      {"-99999999999", 1, -2147483647 - 1},
      {"", 0, 0},
      {"+5", 0, 0},
      {"5a", 0, 0},
      {" 5", 0, 0},
      {"5 ", 0, 0},
      {"--5", 0, 0},
  };
  for (const Case& c : cases) {
    int gameNo = 12345;
    EXPECT_EQ(parseGameNumber(c.text, gameNo), c.accepted) << c.text;
    EXPECT_EQ(gameNo, c.accepted ? c.gameNo : 12345) << c.text;
  }
}

}  // namespace
}  // namespace vyr
