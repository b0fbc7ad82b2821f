// The upper-case index finds a key exactly when the look-up text upper-cased
// character by character equals it, for texts of every length around the
// eight-byte words the look-up reads, and for bytes outside the letters.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "text/charclass.h"
#include "text/upperkey.h"

namespace vyr {
namespace {

std::string upperCopy(std::string_view text) {
  std::string copy(text);
  for (char& c : copy) c = upperChar(c);
  return copy;
}

TEST(UpperIndex, FindsTheKeyEqualToTheUpperCasedText) {
  const std::string_view keys[] = {
      "A", "AB", "ABC", "MOVE", "RECRUIT", "DESTROYS", "BUILDINGS", "PRODUCEMORE", "ABCDEFGHIJKLMNOP",
      "ABCDEFGHIJKLMNOPQ", "DRUIDIC FIRE", "@[`{", "\x7F\x80\xE1\xFA", std::string_view("A\0B", 3), "9,3",
      "THIRTY-TWO BYTES OF TEXT: 012345", "THIRTY-THREE BYTES OF TEXT: 01234", "A KEY OF FORTY BYTES, READ FIVE WORDS!!!",
  };
  UPPERINDEX<int> index;
  int value = 0;
  for (const std::string_view key : keys) index[std::string(key)] = ++value;

  struct Case {
    std::string_view text;
    int expected;  // the key's value, 0 when nothing is found
  };
  const Case cases[] = {
      {"a", 1},
      {"aB", 2},
      {"abc", 3},
      {"Move", 4},
      {"recruit", 5},
      {"DESTROYs", 6},
      {"buildings", 7},
      {"ProduceMore", 8},
      {"abcdefghijklmnop", 9},
      {"abcdefghijklmnoq", 0},       // differs in the last byte of the second word
      {"abcdefghijklmnopq", 10},     // one byte into a third word
      {"abcdefghijklmnopr", 0},
      {"Druidic fire", 11},
      {"@[`{", 12},                  // the bytes beside the letters are not letters
      {"@[@[", 0},                   // '`' and '{' are not '@' and '['
      {"\x7F\x80\xC1\xDA", 0},       // bytes above 0x7F are not upper-cased
      {"\x7F\x80\xE1\xFA", 13},
      {std::string_view("a\0b", 3), 14},
      {std::string_view("a\0", 2), 0},  // a text is not padded with NULs to a key
      {"9,3", 15},
      {"thirty-two bytes of text: 012345", 16},  // the longest text upper-cased once per look-up
      {"Thirty-three bytes of text: 01234", 17},
      {"a key of forty bytes, read five words!!!", 18},
      {"a key of forty bytes, read five words!!?", 0},
      {"thirty-two bytes of text: 012346", 0},
      {"", 0},
      {"MOV", 0},
      {"MOVES", 0},
      {"RECRUIT ", 0},
  };
  for (const Case& c : cases) {
    const int* found = index.find(UPPERKEY{c.text});
    EXPECT_EQ(found == nullptr ? 0 : *found, c.expected) << '"' << c.text << '"';
  }
}

TEST(UpperIndex, NeverFindsAKeyHoldingLowerCaseLetters) {
  UPPERINDEX<int> index;
  index["Move"] = 1;
  index["move"] = 2;
  for (const std::string_view text : {"Move", "move", "MOVE", "mOVE"}) {
    EXPECT_EQ(index.find(UPPERKEY{text}), nullptr) << text;
  }
}

TEST(UpperIndex, AgreesWithTheUpperCaseCopyOverManyKeys) {
  // Enough keys to grow the table several times; every key of every length up
  // to 20 is found from its lower-case form, and a changed byte finds nothing.
  UPPERINDEX<int> index;
  std::vector<std::string> keys;
  for (int n = 0; n < 400; ++n) {
    std::string key;
    for (int k = 0; k <= n % 20; ++k) key += static_cast<char>('A' + (n * 7 + k * 3) % 26);
    key += std::to_string(n);
    keys.push_back(key);
    index[key] = n + 1;
  }
  for (int n = 0; n < 400; ++n) {
    std::string lower = keys[n];
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    ASSERT_EQ(upperCopy(lower), keys[n]);
    const int* found = index.find(UPPERKEY{lower});
    ASSERT_NE(found, nullptr) << lower;
    EXPECT_EQ(*found, n + 1);
    lower.front() = '#';
    EXPECT_EQ(index.find(UPPERKEY{lower}), nullptr) << lower;
  }
}

}  // namespace
}  // namespace vyr
