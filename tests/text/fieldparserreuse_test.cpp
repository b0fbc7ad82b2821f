// One FIELDPARSER reused over many lines (`parseLine`) must answer exactly what
// a fresh parser of each line answers: fields, positions and counts, whether
// the fields are read in place (no quote in the line) or copied (quotes).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "text/fieldparser.h"

namespace vyr {
namespace {

struct Settings {
  char separator;
  char quote;
  int collapse;
  int keepBackup;
  int trim;
};

// Each line against a fresh parser; long lines between short ones make the
// reused parser's storage grow and then hold stale text.
const std::vector<std::string> kLines = {
    "  RECRUIT 40 Pikemen",
    "  PRODUCE \"Iron Ore\" 1200",
    std::string("  a\0b c", 7),
    "",
    "   ",
    "x",
    "  MARCH 40 PK 12,4 " + std::string(200, 'L') + " 13,1  13,5 " + std::string(20, ' ') + "end",
    "12,3",
    "\"12,3\",4",
    ",,5,",
    "a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p",
    "\t1\t\tab\t",
    "  ;comment \"quoted ; text\"",
    "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20",
    "q",
};

void expectSame(const FIELDPARSER& reused, const FIELDPARSER& fresh, const std::string& line) {
  SCOPED_TRACE(line);
  ASSERT_EQ(reused.fieldCount(), fresh.fieldCount());
  EXPECT_EQ(reused.line(), fresh.line());
  for (int n = 0; n <= fresh.fieldCount() + 1; ++n) {
    EXPECT_EQ(reused.field(n), fresh.field(n)) << "field " << n;
    EXPECT_EQ(reused.fieldPosition(n), fresh.fieldPosition(n)) << "field " << n;
    int a = -7;
    int b = -7;
    EXPECT_EQ(reused.getInt(&a, n), fresh.getInt(&b, n));
    EXPECT_EQ(a, b);
  }
}

TEST(FieldParserReuseTest, ReusedParserAnswersAsAFreshOne) {
  const std::vector<Settings> settings = {{' ', '"', 1, 1, 1},  {' ', '"', 0, 1, 0}, {',', kNoQuote, 0, 0, 0},
                                          {'\t', '"', 0, 0, 0}, {' ', ' ', 1, 1, 1}, {'\0', '"', 0, 1, 0},
                                          {',', '"', 1, 1, 0}};
  for (const Settings& s : settings) {
    FIELDPARSER reused("", s.separator, s.quote, s.collapse, s.keepBackup, s.trim);
    for (int pass = 0; pass < 2; ++pass) {
      for (const std::string& line : kLines) {
        reused.parseLine(line);
        const FIELDPARSER fresh(line, s.separator, s.quote, s.collapse, s.keepBackup, s.trim);
        expectSame(reused, fresh, line);
      }
    }
  }
}

// A line without quotes is split in place; the general walk must agree. A
// quote character that never starts a field opens nothing, so parsing with it
// takes the general walk over the same fields.
TEST(FieldParserReuseTest, SplitInPlaceAgreesWithTheGeneralWalk) {
  std::srand(7);
  const std::string alphabet = "ab ,;\t";
  for (int round = 0; round < 3000; ++round) {
    std::string line;
    const int length = std::rand() % 14;
    for (int i = 0; i < length; ++i) {
      char ch = alphabet[static_cast<std::size_t>(std::rand()) % alphabet.size()];
      const bool fieldStart = line.empty() || line.back() == ' ' || line.back() == ',' || line.back() == '\t';
      if (ch == 'b' && fieldStart) ch = 'a';
      line += ch;
    }
    for (const char separator : {' ', ',', '\t'}) {
      for (const int collapse : {0, 1}) {
        for (const int trim : {0, 1}) {
          const FIELDPARSER plain(line, separator, '"', collapse, 1, trim);
          const FIELDPARSER walked(line, separator, 'b', collapse, 1, trim);
          expectSame(plain, walked, line);
        }
      }
    }
  }
}

// Fields read in place stay valid while the caller's text changes or goes:
// the parser owns what it answers.
TEST(FieldParserReuseTest, FieldsDoNotDependOnTheCallersText) {
  std::string text = "alpha beta gamma";
  const FIELDPARSER kept(text, ' ', '"', 1, 1, 0);
  const FIELDPARSER unkept(text, ' ', '"', 1, 0, 0);
  text.assign(text.size(), '#');
  text += std::string(100, '#');  // the caller's storage moves
  for (const FIELDPARSER* parser : {&kept, &unkept}) {
    ASSERT_EQ(parser->fieldCount(), 3);
    EXPECT_EQ(parser->field(1), "alpha");
    EXPECT_EQ(parser->field(3), "gamma");
  }
}

}  // namespace
}  // namespace vyr
