// The check pass on the small test data set: whole orders in, annotated orders
// out, compared line by line.
#include "checker/syntax.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gamedata/synworlds.h"
#include "support/datasettest.h"

namespace vyr {
namespace {

using Lines = std::vector<std::string>;

class CheckPass : public DataSetTest {
 protected:
  // Runs the pre-pass and the check pass as the program does, summary included.
  static Lines check(const Lines& input, int game = 1) {
    BUFFER in;
    BUFFER out;
    for (const std::string& line : input) in.addLine(line);
    SYNTAX syntax(0, 0);
    syntax.prepareOrders(in);
    int errors = -1;
    int warnings = -1;
    if (syntax.checkOrders(&in, &out, &errors, &warnings, game)) {
      out.insertLine("#> Errors " + std::to_string(errors) + " Warnings " + std::to_string(warnings), 1);
    }
    Lines result;
    for (int n = 1; n <= out.lineCount(); ++n) result.push_back(out.lineString(n)->text());
    return result;
  }
};

// The check line for a field at a 0-based column of the prepared line.
std::string mark(int column, const std::string& message) {
  return "#" + std::string(static_cast<std::size_t>(column), '-') + "> " + message;
}

const char kNoShire[] = "ERROR: Shire Type Order Is Not Under A SHIRE Order.";
const char kGlobal[] = "WARNING: Global Orders Do Not Need To Be Under A Shire Orders.";
const char kCity[] = "WARNING: City Orders Do Not Need To Be Under A Shire Order.";
const char kMore[] = "ERROR: Expected More Parameters.";
const char kComment[] = "ERROR: Expected More Parameters, Found Comment.";
const char kExtra[] = "WARNING: Extra Parameter Supplied.";
const char kBadLoc[] = "ERROR: Location Is Invalid.";
const char kGround[] = "ERROR: No More Parameters Allowed After GROUND.";

struct PassCase {
  const char* name;
  int game;
  Lines input;
  Lines output;
};

TEST_F(CheckPass, WholeFiles) {
  const PassCase cases[] = {
      {"clean orders between header and end line", 1,
       {"junk before", "#VYR 1", "SHIRE 12,3", "RECRUIT 40 Pikemen", "; a comment", "   ", "#END", "after"},
       {"#VYR 1", "  SHIRE 12,3", "  RECRUIT 40 Pikemen", "  ; a comment", "", "#END"}},
      {"no header and no end line", 1, {"SHIRE 1,1", "  PATROL\t12,4  "}, {"  SHIRE 1,1", "  PATROL        12,4"}},
      {"#end in any case ends the pass, #END. does not", 1,
       {"#END.", "#end", "NAME Bob"},
       {"#> Errors 1 Warnings 0", "  #END.", mark(0, "ERROR: Unrecognized Command."), "#end"}},
      {"unknown command", 1, {"fly 12"}, {"#> Errors 1 Warnings 0", "  fly 12", mark(0, "ERROR: Unrecognized Command.")}},
      {"keywords select the variant", 1,
       {"SHIRE 2,2", "TRADE GIVE 10 Gold 3,4", "trade sell 2 Crown", "TRADE STEAL 5", "TRADE"},
       {"#> Errors 2 Warnings 0", "  SHIRE 2,2", "  TRADE GIVE 10 Gold 3,4", "  trade sell 2 Crown", "  TRADE STEAL 5",
        mark(0, "ERROR: Missing One Or More Command Parameters."), "  TRADE",
        mark(0, "ERROR: Missing One Or More Command Parameters.")}},
      {"one rejected variant is an unknown command", 1,
       {"SIGNAL NONE", "SIGNAL all"},
       {"#> Errors 1 Warnings 0", "  SIGNAL NONE", mark(0, "ERROR: Unrecognized Command."), "  SIGNAL all"}},
      {"scopes, and a SHIRE after exactly one error", 1,
       {"RECRUIT 5 Pikemen", "SHIRE 3,3", "NAME Bob", "MARKET Gold 5", "ANYWHERE 1,1"},
       {"#> Errors 1 Warnings 2", "  RECRUIT 5 Pikemen", mark(0, kNoShire), "  SHIRE 3,3", "  NAME Bob",
        mark(0, kGlobal), "  MARKET Gold 5", mark(0, kCity), "  ANYWHERE 1,1"}},
      {"a faulty SHIRE as the first error still opens a shire", 1,
       {"SHIRE 0,3", "RECRUIT 1 Pikemen"},
       {"#> Errors 1 Warnings 0", "  SHIRE 0,3", mark(6, kBadLoc), "  RECRUIT 1 Pikemen"}},
      {"a faulty SHIRE after an earlier error does not", 1,
       {"FLY", "SHIRE 0,3", "RECRUIT 1 Pikemen"},
       {"#> Errors 3 Warnings 0", "  FLY", mark(0, "ERROR: Unrecognized Command."), "  SHIRE 0,3",
        mark(6, kBadLoc), "  RECRUIT 1 Pikemen", mark(0, kNoShire)}},
      {"missing parameters point past the end of the echo", 1,
       {"SHIRE 12,9", "SHIRE"},
       {"#> Errors 2 Warnings 0", "  SHIRE 12,9", mark(6, kBadLoc), "  SHIRE", mark(7, kMore)}},
      {"comments in parameter position and glued comments", 1,
       {"SHIRE 1,1;note", "RECRUIT 40 ;later", "RECRUIT 40 Pikemen;x y"},
       {"#> Errors 1 Warnings 0", "  SHIRE 1,1 ;note", "  RECRUIT 40 ;later", mark(11, kComment),
        "  RECRUIT 40 Pikemen ;x y"}},
      {"surplus fields draw one warning each, the comment none", 1,
       {"SHIRE 1,1 extra more ;c"},
       {"#> Errors 0 Warnings 2", "  SHIRE 1,1 extra more ;c", mark(10, kExtra), mark(16, kExtra)}},
      {"optional slots", 1,
       {"SHIRE 1,1", "BUILD Tower", "BUILD Tower 0", "BUILD Tower 5 x", "SCOUT", "SCOUT 1,1 x"},
       {"#> Errors 2 Warnings 3", "  SHIRE 1,1", "  BUILD Tower", "  BUILD Tower 0",
        mark(12, "ERROR: Invalid Peasant Amount For Building."), "  BUILD Tower 5 x", mark(14, kExtra), "  SCOUT",
        mark(0, kGlobal), "  SCOUT 1,1 x", mark(0, kGlobal), mark(10, kBadLoc)}},
      {"a repeated slot", 1,
       {"RALLY 1,1 2,2 9,9 0,0 ;c", "RALLY", "RALLY 1,1"},
       {"#> Errors 3 Warnings 0", "  RALLY 1,1 2,2 9,9 0,0 ;c", mark(14, kBadLoc), mark(18, kBadLoc), "  RALLY",
        mark(7, kMore), "  RALLY 1,1"}},
      {"free text after a final #", 1, {"NOTE anything at all ;x"}, {"  NOTE anything at all ;x"}},
      {"GROUND ends the parameters", 1,
       {"SHIRE 1,1", "MARCH ground", "MARCH GROUND 3,3 4,4", "MARCH 2,2 3,3"},
       {"#> Errors 2 Warnings 2", "  SHIRE 1,1", "  MARCH ground", mark(14, kGround), "  MARCH GROUND 3,3 4,4",
        mark(13, kGround), mark(13, kExtra), mark(17, kExtra), "  MARCH 2,2 3,3"}},
      {"the @ marker", 1,
       {"@ NAME Bob", "@NAME Bob", "@ NAME", "@", "@ ;note", "NAME"},
       {"#> Errors 2 Warnings 0", "  @ NAME Bob", "  @NAME Bob", "  @ NAME", mark(8, kMore), "  @", "  @ ;note",
        "  NAME", mark(6, kMore)}},
      {"an unknown game number", 99,
       {"ATTACK 10 Elf Forest", "ATTACK 10 Human Forest"},
       {"#> Errors 1 Warnings 1", "#> Warning: Game Number Specified Invalid. Using data that is common to ",
        "#>   all worlds of Vyr. ", "#>   ", "  ATTACK 10 Elf Forest",
        mark(10, "ERROR: Invalid Race Name Specified."), "  ATTACK 10 Human Forest"}},
  };
  for (const PassCase& c : cases) {
    EXPECT_EQ(check(c.input, c.game), c.output) << c.name;
  }
}

struct KindCase {
  int game;
  bool underShire;
  const char* order;
  int column;  // of the faulty field; -1: no message
  const char* message;
};

TEST_F(CheckPass, ParameterKinds) {
  const KindCase cases[] = {
      {1, false, "NAME Bob", -1, ""},
      {1, false, "NAME 0", 5, "ERROR: Expected a text name, not a number."},
      {1, false, "NAME 3rd", 5, "ERROR: Expected a text name, not a number."},
      {1, false, "NAME .5", 5, "ERROR: Expected a text name, not a number."},
      {1, false, "NAME 1e3", 5, "ERROR: Expected a text name, not a number."},
      {1, false, "NAME .5e39", 5, "ERROR: Expected a text name, not a number."},
      {1, false, "NAME 0x1A", 5, "ERROR: Expected a text name, not a number."},
      {1, false, "NAME Nancy", -1, ""},
      {1, false, "NAME Infernal", -1, ""},
      {1, false, "NAME nan", -1, ""},
      {1, false, "NAME \"New Town\"", -1, ""},
      {1, false, "NAME Legion3", -1, ""},
      {1, false, "PASSWORD abc", 9, "WARNING: Password Seems A Bit Short."},
      {1, false, "PASSWORD abcd", -1, ""},
      {1, false, "PASSWORD abcdefghijklmnop", 9, "WARNING: Password Seems A Bit Long."},
      {1, false, "PASSWORD \"two words\"", 9, "WARNING: Password Shouldn't Be More Than One Word."},
      {1, false, "EMAIL a@b", -1, ""},
      {1, false, "EMAIL ab", 6, "ERROR: Email Address Does Not Seem Valid."},
      {1, false, "EMAIL @", -1, ""},
      {1, false, "COMPRESS -", -1, ""},
      {1, false, "COMPRESS 4000", -1, ""},
      {1, false, "COMPRESS 4001", 9, "ERROR: Expected a valid compress email value 0-4000 KB."},
      {1, false, "COMPRESS 4294967296", 9, "ERROR: Expected a valid compress email value 0-4000 KB."},
      {1, false, "COMPRESS -99999999999", 9, "ERROR: Expected a valid compress email value 0-4000 KB."},
      {1, false, "PLAYER 150", -1, ""},
      {1, false, "PLAYER 151", 7, "ERROR: Expected a wizard player number. 1 - No Players."},
      {1, false, "PLAYER 0", 7, "ERROR: Expected a wizard player number. 1 - No Players."},
      {1, false, "HERO 0 y", -1, ""},
      {1, false, "HERO 5 No", -1, ""},
      {1, false, "HERO 5 \"\"", -1, ""},
      {1, false, "HERO 100001 y", 5, "ERROR: Expected Valid Hero Number."},
      {1, false, "HERO 5 yeah", 7, "ERROR: Expected Yes or No."},
      {1, false, "SHIP 0 Galley", -1, ""},
      {1, false, "SHIP 5 Longship", -1, ""},
      {7, false, "SHIP 5 Longship", 7, "ERROR: Expected Valid Ship Type Name."},
      {1, false, "SHIP 100001 GA", 5, "ERROR: Expected Valid Ship Number."},
      {1, false, "STUDY \"druidic fire\"", -1, ""},
      {1, false, "STUDY Fire", -1, ""},
      {1, false, "STUDY Ice", 6, "ERROR: Invalid Magic Type."},
      {1, false, "REGION 32000", -1, ""},
      {1, false, "REGION 32001", 7, "ERROR: Invalid Region Number Specified."},
      {1, false, "REGION -", 7, "ERROR: Invalid Region Number Specified."},
      {1, false, "REGION +7", 7, "ERROR: Invalid Region Number Specified."},
      {1, false, "REGION -5", 7, "ERROR: Invalid Region Number Specified."},
      {1, false, "REGION 5a", 7, "ERROR: Invalid Region Number Specified."},
      {1, false, "REGION 99999999999999999999", 7, "ERROR: Invalid Region Number Specified."},
      {1, false, "REGION 0032000", -1, ""},
      {1, false, "PLAYER 0150", -1, ""},
      {1, true, "FEED -0", -1, ""},
      {1, false, "ATTACK 10 Human Plains", -1, ""},
      {1, false, "ATTACK 10 el forest", -1, ""},
      {7, false, "ATTACK 10 Elf Forest", 10, "ERROR: Invalid Race Name Specified."},
      {1, false, "ATTACK 10 hu GLACIER", 13, "ERROR: Invalid Terrain Type Specified."},
      {1, false, "ATTACK 0 HU PL", 7, "ERROR: Invalid Enemy Amount."},
      {1, false, "SHIRE 16000,5", -1, ""},
      {1, false, "SHIRE 16001,1", 6, "ERROR: Location Is Invalid."},
      {1, false, "SHIRE 12,6", 6, "ERROR: Location Is Invalid."},
      {1, false, "SHIRE (12,3)", 6, "ERROR: Location Is Invalid."},
      {1, false, "SHIRE 12,0", 6, "ERROR: Location Is Invalid."},
      {1, false, "SHIRE 12,3,9", -1, ""},
      {1, false, "SHIRE 12x,3", -1, ""},
      {1, true, "PATROL 12,4", -1, ""},
      {1, true, "PATROL 12,5", 7, "ERROR: Must be a shire other than central shire."},
      {1, true, "PATROL 0,5", 7, "ERROR: Location Is Invalid."},
      {1, true, "TAX m", -1, ""},
      {1, true, "TAX Med", -1, ""},
      {1, true, "TAX none", -1, ""},
      {1, true, "TAX HI", 4, "ERROR: Invalid Tax Rate Code."},
      {1, true, "FEED 0", -1, ""},
      {1, true, "FEED 5", -1, ""},
      {1, true, "FEED 6", 5, "ERROR: Invalid Feed Rate."},
      {1, true, "FEED -1", 5, "ERROR: Invalid Feed Rate."},
      {1, true, "EXPLORE bold", -1, ""},
      {1, true, "EXPLORE reckless", 8, "ERROR: Invalid Explore Mode; Normal Cautious or Bold."},
      {1, true, "RECRUIT 500000 archers", -1, ""},
      {1, true, "RECRUIT 500001 AR", 8, "ERROR: Expected Valid Unit Amount."},
      {1, true, "RECRUIT 5 Trolls", 10, "ERROR: Expected Unit Name."},
      {7, true, "RECRUIT 5 Trolls", -1, ""},
      {1, true, "PRODUCE gold 4500", -1, ""},
      {1, true, "PRODUCE wd 0", -1, ""},
      {1, true, "PRODUCE gold 4501", 13, "ERROR: Invalid Peasant Amount For Producing."},
      {1, true, "PRODUCE Mithril 5", 8, "ERROR: Unknown Resource Type."},
      {1, true, "BUILD Tower 100000", -1, ""},
      {1, true, "BUILD Temple", -1, ""},
      {7, true, "BUILD Temple", 6, "ERROR: Expected Valid Building Name."},
      {1, true, "TRADE SELL 10000 Crown", -1, ""},
      {1, true, "TRADE SELL 10001 Crown", 11, "ERROR: Invalid Artifact Amount."},
      {1, true, "TRADE SELL 1 Orb", 13, "ERROR: Invalid Artifact Type."},
      {1, true, "TRADE GIVE 0 Gold 1,1", 11, "ERROR: Invalid Resource Amount."},
      {1, false, "CAST 1 Fireball 3,4", -1, ""},
      {1, false, "CAST 4 Fireball 3,4", 5, "ERROR: Expected Cast Order Number 1-3."},
      {1, false, "CAST 1 Fireball 3,9", 16, "ERROR: Location Is Invalid."},
      {1, false, "CAST 1 Fireball 3,4 5,5", 20, "WARNING: Extra Parameter Supplied."},
      {1, false, "CAST 1 fb", 11, "ERROR: Expected More Parameters."},
      {1, false, "CAST 1 Summon Pikemen 40", -1, ""},
      {1, false, "CAST 1 Calm", -1, ""},
      {1, false, "CAST 1 Calm x", 12, "WARNING: Extra Parameter Supplied."},
      {1, false, "CAST 1 Frost", 7, "ERROR: Expected Valid Spell Name."},
      {7, false, "CAST 1 Frost 1,1 Gold", -1, ""},
      {7, false, "CAST 1 Frost 1,1 Gold x", 22, "WARNING: Extra Parameter Supplied."},
  };
  for (const KindCase& c : cases) {
    Lines input;
    Lines expected{};
    if (c.underShire) input.push_back("SHIRE 1,1");
    input.push_back(c.order);
    if (c.column >= 0) {
      const bool warning = std::string(c.message).rfind("WARNING", 0) == 0;
      expected.push_back(std::string("#> Errors ") + (warning ? "0" : "1") + " Warnings " + (warning ? "1" : "0"));
    }
    if (c.underShire) expected.push_back("  SHIRE 1,1");
    expected.push_back(std::string("  ") + c.order);
    if (c.column >= 0) {
      expected.push_back(mark(c.column, c.message));
    }
    EXPECT_EQ(check(input, c.game), expected) << c.order << " in game " << c.game;
  }
}

TEST_F(CheckPass, UnknownSpellCutsTheVariant) {
  EXPECT_EQ(check({"CAST 1 Bogus 3,4 5"}),
            (Lines{"#> Errors 1 Warnings 2", "  CAST 1 Bogus 3,4 5", mark(7, "ERROR: Expected Valid Spell Name."),
                   mark(13, kExtra), mark(17, kExtra)}));
}

// Each check line is as long as its field's column, so the faults reported for
// one order line are bounded; the summary counts only what is written, and the
// next line starts with a fresh allowance.
TEST_F(CheckPass, OneLineReportsAtMostItsLimitOfFaults) {
  const int limit = SYNTAX::kMaxReportsPerLine;
  // An order of `fields` fields " 9,9" after `head`, and the check lines for
  // the first `reported` of them with `message`.
  const auto order = [](const std::string& head, int fields) {
    std::string line = head;
    for (int i = 0; i < fields; ++i) line += " 9,9";
    return line;
  };
  const auto marks = [](const std::string& head, int reported, const char* message) {
    Lines lines;
    for (int i = 0; i < reported; ++i) lines.push_back(mark(static_cast<int>(head.size()) + 1 + 4 * i, message));
    return lines;
  };
  const struct {
    const char* what;
    std::string head;
    int fields;
    const char* message;
    int reported;
  } cases[] = {
      {"surplus fields up to the limit", "SHIRE 1,1", limit - 1, kExtra, limit - 1},
      {"surplus fields past the limit", "SHIRE 1,1", limit + 50, kExtra, limit},
      {"a repeated slot up to the limit", "RALLY", limit, kBadLoc, limit},
      {"a repeated slot past the limit", "RALLY", 3 * limit, kBadLoc, limit},
  };
  for (const auto& c : cases) {
    const bool errors = c.message == std::string(kBadLoc);
    const std::string line = order(c.head, c.fields);
    Lines expected{"#> Errors " + std::to_string(errors ? 2 * c.reported : 0) + " Warnings " +
                   std::to_string(errors ? 0 : 2 * c.reported)};
    for (int twice = 0; twice < 2; ++twice) {
      expected.push_back("  " + line);
      const Lines lines = marks(c.head, c.reported, c.message);
      expected.insert(expected.end(), lines.begin(), lines.end());
    }
    EXPECT_EQ(check({line, line}), expected) << c.what;
  }
}

TEST_F(CheckPass, CheckingItsOwnOutputGivesItAgain) {
  const Lines input{"#VYR 3", "fly", "SHIRE 12,9 x", "\tRECRUIT 40;c", "", "RALLY 1,1 9,9", "#END"};
  const Lines first = check(input);
  Lines again;
  for (const std::string& line : first) {
    const STRING text(line);
    const std::string_view word = text.word(1);
    if (word.empty() || word.front() != '#' || word.back() != '>') again.push_back(line);
  }
  EXPECT_EQ(check(again), first);
}

TEST_F(CheckPass, SecondCheckerSharesTheLoadedData) {
  const SYNWORLDS* before = SYNTAX::gameData();
  SYNTAX another(0, 0);
  EXPECT_EQ(SYNTAX::gameData(), before);
}

using CheckPassDeathTest = CheckPass;

TEST_F(CheckPassDeathTest, KindOutsideTheListEndsTheRun) {
  EXPECT_DEATH(
      {
        dup2(2, 1);
        (void)std::freopen("/dev/null", "r", stdin);
        useDataSet("badkind");
        check({"BROKEN 12,3"});
      },
      "About to cause an unknown syntax parameter error.\nPress ENTER to Continue! \nUnknown Syntax Parameter.");
}

TEST_F(CheckPassDeathTest, MissingLooseCommandTableEndsTheRun) {
  EXPECT_DEATH(
      {
        dup2(2, 1);
        (void)std::freopen("/dev/null", "r", stdin);
        SYNTAX::releaseSyntaxData();
        SYNWORLDS::setDirectory("/nonexistent/vyr");
        SYNTAX::loadSyntaxData(0, 0);
      },
      "Unable to load the syntax checker data file.");
}

}  // namespace
}  // namespace vyr
