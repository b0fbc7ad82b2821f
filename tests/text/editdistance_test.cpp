// The distance under a limit must agree with the full distance wherever it is
// within the limit, and stay above the limit otherwise, including the pairs
// where a swap or a long common tail brings a row back down late.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

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

// The whole table, row by row, as the definition gives it.
int referenceDistance(const std::string& a, const std::string& b) {
  const auto same = [](char x, char y) {
    return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
  };
  std::vector<std::vector<int>> d(a.size() + 1, std::vector<int>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) {
    for (std::size_t j = 0; j <= b.size(); ++j) {
      if (i == 0 || j == 0) {
        d[i][j] = static_cast<int>(i + j);
        continue;
      }
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (same(a[i - 1], b[j - 1]) ? 0 : 1)});
      if (i > 1 && j > 1 && same(a[i - 1], b[j - 2]) && same(a[i - 2], b[j - 1]))
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[a.size()][b.size()];
}

// Random pairs of few letters in both cases (many matches and swaps) or of
// more (many bytes that the other text lacks), of up to 70 bytes, so that both
// sides of 64 bytes are reached.
TEST(EditDistance, AgreesWithTheWholeTableOnRandomPairs) {
  std::mt19937 random(7);
  std::string letters;
  const auto word = [&](std::size_t longest) {
    std::string made(std::uniform_int_distribution<std::size_t>(0, longest)(random), ' ');
    for (char& c : made) c = letters[std::uniform_int_distribution<std::size_t>(0, letters.size() - 1)(random)];
    return made;
  };
  for (int pair = 0; pair < 3000; ++pair) {
    letters = pair % 2 == 0 ? "abAB\xC3" : "aBcDeFgH!~";
    const std::size_t longest = pair % 10 == 0 ? 70 : 9;
    const std::string a = word(longest);
    std::string b = pair % 3 == 0 ? a : word(longest);
    if (pair % 3 == 0 && !b.empty()) std::swap(b[pair % b.size()], b[(pair + 1) % b.size()]);
    const int distance = referenceDistance(a, b);
    ASSERT_EQ(editDistance(a, b), distance) << a << " / " << b;
    const DISTANCESFROM fromA(a);
    for (int limit = 0; limit <= distance + 1; ++limit) {
      ASSERT_EQ(editDistanceWithin(a, b, limit), std::min(distance, limit + 1)) << a << " / " << b << " within " << limit;
      ASSERT_EQ(fromA.within(b, limit), std::min(distance, limit + 1)) << a << " / " << b << " within " << limit;
      ASSERT_EQ(fromA.within(b, byteClasses(b), limit), std::min(distance, limit + 1)) << a << " / " << b;
    }
  }
}

}  // namespace
}  // namespace vyr
