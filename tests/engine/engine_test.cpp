// The engine call: findings placed in the orders as written, in bytes,
// characters and UTF-16 code units, with their codes, tables and hints.
#include "engine/engine.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "support/datasettest.h"

namespace vyr {
namespace {

using Engine = DataSetTest;

// A finding's place and kind in one comparable value.
struct PLACE {
  std::string code;
  int column, endColumn, charColumn, endCharColumn, utf16Column, endUtf16Column;
  std::string table;
  bool operator==(const PLACE&) const = default;
};

void PrintTo(const PLACE& p, std::ostream* out) {
  *out << p.code << " bytes " << p.column << '-' << p.endColumn << " chars " << p.charColumn << '-'
       << p.endCharColumn << " utf16 " << p.utf16Column << '-' << p.endUtf16Column << " [" << p.table << ']';
}

// The findings of the order line `line`, checked as line 2 after a SHIRE order.
std::vector<PLACE> placesOf(const std::string& line) {
  const CHECKRESULT result = checkOrdersText("SHIRE 12,3\n" + line + "\n", 1);
  std::vector<PLACE> places;
  for (const FINDING& f : result.findings) {
    EXPECT_EQ(f.line, 2) << line;
    places.push_back({f.code, f.column, f.endColumn, f.charColumn, f.endCharColumn, f.utf16Column,
                      f.endUtf16Column, f.table});
  }
  return places;
}

TEST_F(Engine, FindingsAreSpansOfTheLineAsWritten) {
  struct Case {
    const char* what;
    std::string line;
    std::vector<PLACE> places;
  };
  const Case cases[] = {
      {"plain unknown name", "RECRUIT 5 Pikemenn", {{"unknown-name", 11, 19, 11, 19, 11, 19, "unit"}}},
      {"tabs count one column each",
       "\tRECRUIT\t5\tPikemenn",
       {{"unknown-name", 12, 20, 12, 20, 12, 20, "unit"}}},
      {"an umlaut in the field is one character",
       "RECRUIT 5 Pik\xC3\xB6men",
       {{"unknown-name", 11, 19, 11, 18, 11, 18, "unit"}}},
      {"a character outside the BMP is two UTF-16 units",
       "RECRUIT 5 \xF0\x9F\x98\x80 Pikemen",
       {{"unknown-name", 11, 15, 11, 12, 11, 13, "unit"}, {"extra-parameter", 16, 23, 13, 20, 14, 21, ""}}},
      {"an invalid byte is one character",
       "RECRUIT 5 \xFF\xC3 Pikemen",
       {{"unknown-name", 11, 13, 11, 13, 11, 13, "unit"}, {"extra-parameter", 14, 21, 14, 21, 14, 21, ""}}},
      {"a carriage return is not part of the line",
       "RECRUIT 5 Pikemenn\r",
       {{"unknown-name", 11, 19, 11, 19, 11, 19, "unit"}}},
      {"glued ';': the comment field starts at the ';'",
       "RECRUIT 5;more",
       {{"comment-for-parameter", 10, 15, 10, 15, 10, 15, ""}}},
      {"glued ';' after an umlaut name",
       "RECRUIT 5 Pik\xC3\xA4menn;x",
       {{"unknown-name", 11, 20, 11, 19, 11, 19, "unit"}}},
      {"missing parameter: the empty span past the line",
       "RECRUIT \xC3\xB6\r",
       {{"invalid-number", 9, 11, 9, 10, 9, 10, ""}, {"missing-parameter", 11, 11, 10, 10, 10, 10, ""}}},
      {"blanks around the line",
       "   RECRUIT 5   Pikemenn   ",
       {{"unknown-name", 16, 24, 16, 24, 16, 24, "unit"}}},
      {"a quoted field spans its quotes",
       "RECRUIT 5 \"Pike men\"",
       {{"unknown-name", 11, 21, 11, 21, 11, 21, "unit"}}},
      {"unknown command behind a lone '@': the command, not the marker",
       "@ RECRUT 5 Archers",
       {{"unknown-command", 3, 9, 3, 9, 3, 9, ""}}},
      {"unknown command with a glued '@': the command without it",
       "@RECRUT 5 Archers",
       {{"unknown-command", 2, 8, 2, 8, 2, 8, ""}}},
  };
  for (const Case& c : cases) EXPECT_EQ(placesOf(c.line), c.places) << c.what;
}

TEST_F(Engine, CodesTablesAndHints) {
  const CHECKRESULT result =
      checkOrdersText("SHIRE 12,3\nRECRUT 5 Archers\nRECRUIT 5 Pikemenn\nSHIRE 0,1\n", 1);
  ASSERT_EQ(result.findings.size(), 3U);
  EXPECT_EQ(result.findings[0].code, "unknown-command");
  EXPECT_EQ(result.findings[0].suggestion, "RECRUIT");
  EXPECT_EQ(result.findings[1].table, "unit");
  EXPECT_EQ(result.findings[1].suggestion, "Pikemen");
  EXPECT_EQ(result.findings[2].code, "invalid-location");
  EXPECT_EQ(result.findings[2].table, "");

  CHECKOPTIONS quiet;
  quiet.suggestions = 0;
  EXPECT_EQ(checkOrdersText("RECRUT 5 Archers\n", 1, quiet).findings.at(0).suggestion, "");

  const CHECKRESULT unknown = checkOrdersText("", 42);
  ASSERT_EQ(unknown.findings.size(), 2U);  // and no-orders, the text being empty
  EXPECT_EQ(unknown.findings[1].code, "no-orders");
  const FINDING& game = unknown.findings[0];
  EXPECT_EQ(game.code, "unknown-game");
  EXPECT_EQ((std::vector<int>{game.line, game.column, game.endColumn, game.charColumn, game.endCharColumn,
                              game.utf16Column, game.endUtf16Column}),
            (std::vector<int>{1, 1, 1, 1, 1, 1, 1}));
}

// The hint for an unknown unit written as `typed` in game `gameNo`.
std::string unitHint(const std::string& typed, int gameNo) {
  const CHECKRESULT result = checkOrdersText("SHIRE 12,3\nRECRUIT 5 " + typed + "\n", gameNo);
  return result.findings.empty() ? "(none)" : result.findings.back().suggestion;
}

TEST_F(Engine, HintsFollowTheWorldAndTheDataAcrossCalls) {
  // Trolls are of world 2 (game 7) of the test data only.
  EXPECT_EQ(unitHint("Trols", 1), "");
  EXPECT_EQ(unitHint("Trols", 7), "Trolls");
  EXPECT_EQ(unitHint("Trols", 1), "");
  EXPECT_EQ(unitHint("Knigts", 1), "");
  useDataSet("../../../data");  // the sample data, which has Knights
  EXPECT_EQ(unitHint("Knigts", 1), "Knights");
  useDataSet("mini");
  EXPECT_EQ(unitHint("Knigts", 1), "");
  for (int call = 0; call < 200; ++call) ASSERT_EQ(unitHint("Pikemenn", 1), "Pikemen") << call;
}

}  // namespace
}  // namespace vyr
