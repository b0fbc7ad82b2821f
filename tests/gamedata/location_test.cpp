#include "gamedata/location.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace vyr {
namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

TEST(LocationTest, SetLocationKeepsTheKeyOnInvalidPairs) {
  const struct {
    int region, shire, ok, key;
  } cases[] = {
      {16000, 5, 1, 160005}, {16001, 1, 0, 44}, {5, 6, 0, 44}, {-1, 1, 0, 44}, {0, 3, 0, 44},
      {1, -1, 0, 44},        {0, 0, 1, 0},      {7, 0, 1, 70}, {1, 1, 1, 11},
  };
  for (const auto& c : cases) {
    LOCATION location(44);
    EXPECT_EQ(location.setLocation(c.region, c.shire), c.ok) << c.region << "," << c.shire;
    EXPECT_EQ(location.key(), c.key) << c.region << "," << c.shire;
  }
}

TEST(LocationTest, ParsesRegionAndShireAsAtoiReadsThem) {
  const struct {
    const char* text;
    int ok;
    const char* paren;
  } cases[] = {
      {"12,3", 1, "(12,3)"},       {"12, 3", 1, "(12,3)"}, {"12x,3y", 1, "(12,3)"},
      {"12x,3", 1, "(12,3)"},      {" 12,3", 1, "(12,3)"}, {"12,3,7", 1, "(12,3)"},
      {"16000,5", 1, "(16000,5)"}, {"12,0", 0, "(4,4)"},   {"0,3", 0, "(4,4)"},
      {"12", 0, "(4,4)"},          {"", 0, "(4,4)"},       {"(12,3)", 0, "(4,4)"},
      {"16001,1", 0, "(4,4)"},     {"12,6", 0, "(4,4)"},   {"-1,3", 0, "(4,4)"},
      {",3", 0, "(4,4)"},          {"12,", 0, "(4,4)"},    {"0000000012,3", 1, "(12,3)"},
      {"12,3\xAD", 1, "(12,3)"},
  };
  for (const auto& c : cases) {
    LOCATION location(44);
    std::string text;
    EXPECT_EQ(location.parseLocation(c.text), c.ok) << c.text;
    EXPECT_EQ(location.toParenText(text), c.paren) << c.text;
  }
  LOCATION a, b;
  std::string text;
  ASSERT_EQ(a.parseLocation("12,3"), 1);
  EXPECT_EQ(a.toText(text), "12,3");
  EXPECT_EQ(b.equals(a), 0);
  EXPECT_EQ(b.copyFrom(a), 1);
  EXPECT_EQ(b.equals(a), 1);
}

TEST(LocationListTest, NeighboursStayInTheRegion) {
  const struct {
    int key;
    int count;
    const char* list;
  } cases[] = {
      {71, 3, "7,2 7,4 7,5"},
      {72, 3, "7,1 7,3 7,5"},
      {73, 3, "7,2 7,4 7,5"},
      {74, 3, "7,1 7,3 7,5"},
      {75, 4, "7,1 7,2 7,3 7,4"},
      {70, 0, ""},
      {5, 0, ""},  // region 0 has no shires to go to
  };
  for (const auto& c : cases) {
    LOCATIONLIST list;
    list.fillAllShires(1);  // emptied first
    std::string text;
    EXPECT_EQ(list.createShireDestList(LOCATION(c.key)), c.count) << c.key;
    EXPECT_EQ(list.listText(text), c.list) << c.key;
  }
}

TEST(LocationListTest, ParsesAndWritesLists) {
  LOCATIONLIST list, other;
  std::string text;
  EXPECT_EQ(list.parseList("1,2 3,1  1,2 x"), 2);
  EXPECT_EQ(list.listParenText(text), "(3,1) (1,2)");
  ASSERT_EQ(other.parseList("3,1"), 1);
  ASSERT_NE(list.markedText(text, &other, "*", 1), nullptr);
  EXPECT_EQ(text, "(3,1*) (1,2)");
  list.markedText(text, &other, "*", 0);
  EXPECT_EQ(text, "3,1* 1,2");
  text = "kept";
  EXPECT_EQ(list.markedText(text, nullptr, "*", 0), nullptr);
  EXPECT_EQ(list.markedText(text, &other, nullptr, 0), nullptr);
  EXPECT_EQ(text, "kept");
  EXPECT_EQ(list.listText(text), "1,2 3,1");
  EXPECT_EQ(list.parseList(nullptr), 1);
  EXPECT_EQ(list.count(), 2);

  list.addAllTo(other);  // 3,1 is there already
  EXPECT_EQ(other.listText(text), "1,2 3,1");
  EXPECT_EQ(other.addUnique(nullptr), 0);
  EXPECT_EQ(other.removeLocation(LOCATION(31)), 1);
  EXPECT_EQ(other.contains(LOCATION(31)), 0);
  list.copyKeysFrom(other);  // repeated keys are not filtered
  EXPECT_EQ(list.listText(text), "1,2 1,2 3,1");
}

TEST(LocationListTest, FillsShiresInKeyOrder) {
  LOCATIONLIST list;
  std::string text;
  list.fillAllShires(2);
  EXPECT_EQ(list.listText(text), "1,1 1,2 1,3 1,4 1,5 2,1 2,2 2,3 2,4 2,5");
  list.fillCentralShires(3);
  EXPECT_EQ(list.listText(text), "1,5 2,5 3,5");
  list.fillCentralShires(16001);
  EXPECT_EQ(list.count(), 16000);
  EXPECT_EQ(list.get(16000)->key(), 160005);
}

// Runs promptLocation on a location with `key` with `input` on standard input.
std::string prompt(int key, const char* input, int maxRegion, int* result, int* keyAfter) {
  const std::string path = (std::filesystem::temp_directory_path() / "location-prompt.txt").string();
  std::ofstream(path) << input;
  std::fflush(stdout);
  const int savedIn = dup(0);
  std::FILE* file = std::fopen(path.c_str(), "r");
  dup2(fileno(file), 0);
  clearerr(stdin);
  LOCATION location(key);
  CaptureStdout();
  *result = location.promptLocation("Home", maxRegion);
  std::fflush(stdout);
  std::string out = GetCapturedStdout();
  dup2(savedIn, 0);
  close(savedIn);
  std::fclose(file);
  clearerr(stdin);
  std::filesystem::remove(path);
  *keyAfter = location.key();
  return out;
}

TEST(LocationTest, PromptsUntilRegionAndShireAreInRange) {
  int result = 0, key = 0;
  EXPECT_EQ(prompt(0, "0\n3\n9\n2\n", 5, &result, &key),
            "Home Region Number (0) : Invalid Region. Between 1 and 5 including.\n"
            "Home Region Number (0) : Home Shire Number (0) : Invalid Shire. Between 1 and 5 including.\n"
            "Home Shire Number (0) : ");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(key, 32);
  // Empty answers take the current place.
  EXPECT_EQ(prompt(43, "\n\n", 5, &result, &key), "Home Region Number (4) : Home Shire Number (3) : ");
  EXPECT_EQ(key, 43);
  // The input ends while the default is out of range: no endless asking.
  EXPECT_EQ(prompt(0, "", 5, &result, &key),
            "Home Region Number (0) : Invalid Region. Between 1 and 5 including.\n");
  EXPECT_EQ(result, 0);
  EXPECT_EQ(key, 0);
}

}  // namespace
}  // namespace vyr
