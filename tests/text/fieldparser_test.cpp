#include "text/fieldparser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vyr {
namespace {

// Lines are written with Q for the quote, _ for a space and T for a tab.
std::string spell(std::string text) {
  for (char& ch : text) {
    if (ch == 'Q') ch = '"';
    if (ch == '_') ch = ' ';
    if (ch == 'T') ch = '\t';
  }
  return text;
}

struct SplitCase {
  const char* line;
  char separator;
  int collapse;
  int trim;
  std::vector<std::string> fields;
  std::vector<int> positions;
};

TEST(FieldParserTest, SplitsFieldsAndFindsTheirPositions) {
  const std::vector<SplitCase> cases = {
      {"x_y_z", ' ', 1, 0, {"x", "y", "z"}, {0, 2, 4}},
      {"__a__b__", ' ', 1, 0, {"a", "b", ""}, {2, 5, 8}},
      {"a__b", ' ', 0, 0, {"a", "", "b"}, {0, -1, 3}},
      {"_Qx_yQ_z", ' ', 1, 0, {"x_y", "z"}, {1, 7}},
      {"aQb_cQ", ' ', 1, 0, {"aQb", "cQ"}, {0, 4}},
      {"QaQb_cQ_d", ' ', 1, 0, {"aQb_c", "d"}, {0, 8}},
      {"Qa_bQc_d", ' ', 1, 0, {"a_bQc_d"}, {0}},
      {"Qabc", ' ', 1, 0, {"abc"}, {0}},
      {"Q", ' ', 1, 0, {""}, {0}},
      {"QQ", ' ', 1, 0, {""}, {0}},
      {"", ' ', 1, 0, {}, {}},
      {"", ' ', 0, 0, {}, {}},
      {"___", ' ', 1, 0, {""}, {3}},
      {"___", ' ', 0, 0, {"", "", "", ""}, {-1, -1, -1, 3}},
      {"___", ' ', 1, 1, {}, {}},
      {"1TTab", '\t', 0, 0, {"1", "", "ab"}, {0, -1, 3}},
      {"aT", '\t', 0, 0, {"a", ""}, {0, 2}},
      // Lines longer than a word of eight bytes, fields across word bounds.
      {"abcdefgh_ijklmnopq__r", ' ', 1, 0, {"abcdefgh", "ijklmnopq", "r"}, {0, 9, 20}},
      {"abcdefghijklmnopQ_x", ' ', 1, 0, {"abcdefghijklmnopQ", "x"}, {0, 18}},
      {"abcdefg_", ' ', 1, 0, {"abcdefg", ""}, {0, 8}},
      // Trimming splits the trimmed text; positions stay those of the whole line.
      {"__abcdefghijklmnop_qrstuvwx__", ' ', 1, 1, {"abcdefghijklmnop", "qrstuvwx"}, {2, 19}},
      {"__MOVE_Qa_bQ__", ' ', 1, 1, {"MOVE", "a_b"}, {2, 7}},
  };
  for (const SplitCase& c : cases) {
    const std::string line = spell(c.line);
    SCOPED_TRACE(c.line);
    const FIELDPARSER parser(line, c.separator, '"', c.collapse, 1, c.trim);
    ASSERT_EQ(parser.fieldCount(), static_cast<int>(c.fields.size()));
    for (std::size_t k = 0; k < c.fields.size(); ++k) {
      const int n = static_cast<int>(k) + 1;
      EXPECT_EQ(parser.field(n), spell(c.fields[k])) << "field " << n;
      EXPECT_EQ(parser.fieldPosition(n), c.positions[k]) << "field " << n;
    }
    EXPECT_EQ(parser.line(), line);
  }
}

TEST(FieldParserTest, ReadsFieldsInAndOutOfRange) {
  const FIELDPARSER parser("7 x", ' ', '"', 1, 0, 0);
  std::string text = "old";
  EXPECT_EQ(parser.getField(text, 0), nullptr);
  EXPECT_EQ(text, "");
  text = "old";
  EXPECT_EQ(parser.getField(text, 3), nullptr);
  EXPECT_EQ(text, "");
  EXPECT_EQ(parser.getField(text, 2), &text);
  EXPECT_EQ(text, "x");

  int value = 42;
  EXPECT_EQ(parser.getInt(&value, 3), 0);
  EXPECT_EQ(value, 42);
  EXPECT_EQ(parser.getInt(&value, 1), 7);
  EXPECT_EQ(value, 7);
  EXPECT_EQ(parser.field(9), "");

  // Without a backup there are no positions and no line.
  EXPECT_EQ(parser.fieldPosition(1), -1);
  EXPECT_EQ(parser.getLine(text), "");
  EXPECT_EQ(FIELDPARSER("", ' ', '"', 1, 1, 0).fieldPosition(1), -1);

  const FIELDPARSER words("ground Sea", ' ', '"', 1, 1, 1);
  EXPECT_EQ(words.fieldEquals(1, "GROUND", 1), 1);
  EXPECT_EQ(words.fieldEquals(1, "GROUND", 0), 0);
  EXPECT_EQ(words.fieldEquals(2, "se", 1), 0);
  EXPECT_EQ(words.fieldEquals(3, "", 1), 0);
}

TEST(FieldParserTest, ReadsNumbersAndCountsNonzeroReadings) {
  const FIELDPARSER pair("5,0", ',', kNoQuote, 0, 0, 0);
  int a = -1;
  int b = -1;
  int untouched = -1;
  EXPECT_EQ(pair.getInts({&a, &b, &untouched}), 1);
  EXPECT_EQ(a, 5);
  EXPECT_EQ(b, 0);
  EXPECT_EQ(untouched, -1);
  EXPECT_EQ(pair.getInts({nullptr, &b}), 0);

  const FIELDPARSER numbers("12.5 -3 99999999999 abc", ' ', '"', 1, 0, 0);
  EXPECT_FLOAT_EQ(numbers.getFloat(nullptr, 1), 12.5F);
  EXPECT_DOUBLE_EQ(numbers.getDouble(nullptr, 2), -3.0);
  EXPECT_EQ(numbers.getLong(nullptr, 2), -3L);
  EXPECT_EQ(numbers.getInt(nullptr, 3), 2147483647);  // clamps instead of wrapping
  EXPECT_EQ(numbers.getInt(nullptr, 4), 0);

  float x = 0;
  float y = 0;
  float z = 7;
  EXPECT_EQ(numbers.getFloats({&x, &y, nullptr, &z}), 2);
  EXPECT_EQ(z, 0.0F);

  std::string s1;
  std::string s2;
  std::string s5 = "old";
  EXPECT_EQ(numbers.getFields({&s1, nullptr, &s2, nullptr, &s5}), 2);
  EXPECT_EQ(s1, "12.5");
  EXPECT_EQ(s2, "99999999999");
  EXPECT_EQ(s5, "");
}

TEST(FieldParserTest, HandlesLongLinesInOnePiece) {
  const std::string longField(100000, 'x');
  const std::string line = "  A " + longField + " \"" + longField + " " + longField + "\" B";
  const FIELDPARSER parser(line, ' ', '"', 1, 1, 1);
  ASSERT_EQ(parser.fieldCount(), 4);
  EXPECT_EQ(parser.field(2), longField);
  EXPECT_EQ(parser.field(3).size(), 2 * longField.size() + 1);
  EXPECT_EQ(parser.field(4), "B");
  EXPECT_EQ(parser.fieldPosition(3), 4 + 100000 + 1);
  EXPECT_EQ(parser.fieldPosition(4), static_cast<int>(line.size()) - 1);
}

}  // namespace
}  // namespace vyr
