// What the engine adds to the checker's errors and warnings: notes, the
// finding of a file without orders, and the stop at a fault of the command
// table, checked against the sample game data (and one broken table).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine.h"
#include "checker/syntax.h"
#include "gamedata/synworlds.h"

namespace vyr {
namespace {

class EngineAdds : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = SYNWORLDS::directory();
    use(std::string(VYR_SOURCE_DIR) + "/data");
  }
  void TearDown() override {
    SYNTAX::releaseSyntaxData();
    SYNWORLDS::setDirectory(saved_);
  }
  static void use(const std::string& directory) {
    SYNTAX::releaseSyntaxData();
    SYNWORLDS::setDirectory(directory);
    SYNTAX::loadSyntaxData(0, 0);
  }
  std::string saved_;
};

// "code@column[>suggestion]" for each note of the result.
std::string notesOf(const CHECKRESULT& result) {
  std::string notes;
  for (const FINDING& f : result.findings) {
    if (f.severity != SEVERITY::kNote) continue;
    if (!notes.empty()) notes += ' ';
    notes += f.code + '@' + std::to_string(f.column);
    if (!f.suggestion.empty()) notes += '>' + f.suggestion;
  }
  return notes;
}

TEST_F(EngineAdds, NotesMarkWhatTheChecksLetPassAndChangeNothingElse) {
  struct Case {
    std::string line;  // checked as line 2, after SHIRE 12,3
    std::string notes;
  };
  const Case cases[] = {
      {"RENAME \"New Greyhold", "unclosed-quote@8"},
      {"RENAME \"New Greyhold\"", ""},
      {"SHIRE \"12,3", "unclosed-quote@7"},
      {"RENAME \"A\" \"B", "unclosed-quote@12"},
      {"RECRUIT 5 Pikemen ; a \"quote in a comment", ""},
      {"RENAME \"Old Keep\" ; \"x", ""},
      {"TRAIN TROPS 25 Archers", "misspelled-keyword@7>TROOPS"},
      {"train troops 25 Archers", ""},
      {"TRAIN XYZZY 25 Archers", ""},  // too far from any keyword
      {"TRAIN", ""},                   // no field where a keyword stands
      {"FORGE 1 Thornhelm", "other-world-name@9"},
      {"FORGE 1 Thornhelmx", ""},
      {"FORGE 1 Crown", ""},
  };
  for (const Case& c : cases) {
    const std::string orders = "SHIRE 12,3\n" + c.line + "\n";
    const CHECKRESULT with = checkOrdersText(orders, 1);
    CHECKOPTIONS off;
    off.notes = 0;
    const CHECKRESULT without = checkOrdersText(orders, 1, off);
    EXPECT_EQ(notesOf(with), c.notes) << c.line;
    EXPECT_EQ(notesOf(without), "") << c.line;
    EXPECT_EQ(with.errors, without.errors) << c.line;
    EXPECT_EQ(with.warnings, without.warnings) << c.line;
    EXPECT_EQ(with.annotated, without.annotated) << c.line;
    for (const FINDING& f : with.findings) {
      if (f.severity == SEVERITY::kNote) {
        EXPECT_EQ(f.line, 2) << c.line;
      }
    }
  }
  // Without suggestions the keyword note names no keyword.
  CHECKOPTIONS plain;
  plain.suggestions = 0;
  EXPECT_EQ(notesOf(checkOrdersText("SHIRE 12,3\nTRAIN TROPS 25 Archers\n", 1, plain)),
            "misspelled-keyword@7");
  // A game of no world has no world to compare with.
  EXPECT_EQ(notesOf(checkOrdersText("FORGE 1 Thornhelm\n", 42)), "");
  const CHECKRESULT other = checkOrdersText("FORGE 1 Thornhelm\n", 1);
  ASSERT_FALSE(other.findings.empty());
  EXPECT_EQ(other.findings.back().message,
            "NOTE: 'Thornhelm' is an artifact of world 2; this game plays in world 1.");
}

TEST_F(EngineAdds, AFileWithoutOrdersIsAnError) {
  struct Case {
    std::string orders;
    bool noOrders;
  };
  const Case cases[] = {
      {"", true},
      {"\n  \n\t\n", true},
      {"; nothing\n;; yet\n", true},
      {"#VYR 1\n#END\n", true},
      {"#VYR 1\r\n; c\r\n#END\r\n", true},
      {"#VYR 1\n#END\nSHIRE 12,3\n", true},  // past the end line nothing is checked
      {"SHIRE 12,3\n", false},
      {"#VYR 1\nBOGUS\n#END\n", false},
      {"#VYR 1\n  SHIRE 12,3 ; here\n#END\n", false},
  };
  for (const Case& c : cases) {
    const CHECKRESULT result = checkOrdersText(c.orders, 1);
    int errors = 0;
    int noOrders = 0;
    for (const FINDING& f : result.findings) {
      errors += f.severity == SEVERITY::kError;
      if (f.code == "no-orders") {
        ++noOrders;
        EXPECT_EQ(f.line, 1);
        EXPECT_EQ(f.column, 1);
      }
    }
    EXPECT_EQ(noOrders, c.noOrders ? 1 : 0) << c.orders;
    EXPECT_EQ(result.errors, errors) << c.orders;
    EXPECT_EQ(result.checked, 1) << c.orders;
  }
}

TEST_F(EngineAdds, AFaultOfTheCommandTableCostsTheOrderNotTheProcess) {
  use(std::string(VYR_TEST_DATA_DIR) + "/vyrcheck/data/badkind");
  const CHECKRESULT result = checkOrdersText("SHIRE 1,1\nFLY 3\nBROKEN 3,3\nFLY 4\n", 1);
  EXPECT_EQ(result.checked, 0);
  EXPECT_EQ(
      result.reason,
      "the order on line 3 reaches a fault of the command table (Unknown Syntax Parameter.): the slot word "
      "'Loc' of BROKEN is no parameter kind");
  std::vector<std::string> found;
  for (const FINDING& f : result.findings) found.push_back(std::to_string(f.line) + ":" + f.code);
  EXPECT_EQ(found, (std::vector<std::string>{"2:unknown-command", "3:global-under-shire", "3:table-fault"}));
  // A command of one form answers a wrong keyword with "Unrecognized Command."; the note still names it.
  EXPECT_EQ(notesOf(checkOrdersText("STARRED 5 BOGOS\n", 1)), "misspelled-keyword@11>BOGUS");
  // The next check starts afresh; an order that does not reach the slot is checked.
  const CHECKRESULT next = checkOrdersText("SHIRE 1,1\nBROKEN\n", 1);
  EXPECT_EQ(next.checked, 1);
  EXPECT_EQ(next.reason, "");
}

}  // namespace
}  // namespace vyr
