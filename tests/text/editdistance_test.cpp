// The distance under a limit must agree with the full distance wherever it is
// within the limit, and stay above the limit otherwise, including the pairs
// where a swap or a long common tail brings a row back down late.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "text/editdistance.h"

namespace vyr {
namespace {

TEST(EditDistance, WithinALimitAgreesWithTheFullDistance) {
  struct Case {
    const char* a;
    const char* b;
    int distance;
  };
  const Case cases[] = {
      {"", "", 0},
      {"", "abc", 3},
      {"abc", "", 3},
      {"MUSTR", "muster", 1},
      {"Pikmeen", "Pikemen", 1},
      {"ba", "ab", 1},
      {"abcdef", "badcfe", 3},
      {"kitten", "sitting", 3},
      {"xxxxPikemen", "Pikemen", 4},
      {"Pikemen", "Pikemenxxxx", 4},
      {"zzzzzzzzzzzz", "Knights", 12},
      {"RECRUT", "RECRUIT", 1},
      {"Gould", "Gold", 1},
      {"\xC3\xA9t\xC3\xA9", "ete", 4},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(editDistance(c.a, c.b), c.distance) << c.a << " / " << c.b;
    for (int limit = 0; limit <= 13; ++limit) {
      EXPECT_EQ(editDistanceWithin(c.a, c.b, limit), std::min(c.distance, limit + 1))
          << c.a << " / " << c.b << " within " << limit;
    }
  }
}

}  // namespace
}  // namespace vyr
