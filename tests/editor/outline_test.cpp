// The outline of SHIRE orders agrees with the checker: an order is under a
// SHIRE in the outline exactly when the check treats it as standing under one.
#include "editor/outline.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "checker/syntax.h"
#include "support/datasettest.h"

namespace vyr {
namespace {

class Outline : public SampleDataTest {};

// "line:command" of each shire, with its orders after it.
std::vector<std::vector<std::string>> shape(const std::vector<OUTLINESHIRE>& outline) {
  std::vector<std::vector<std::string>> shires;
  for (const OUTLINESHIRE& shire : outline) {
    std::vector<std::string>& entry = shires.emplace_back();
    entry.push_back(std::to_string(shire.order.line) + ":" + shire.order.command);
    for (const OUTLINEORDER& order : shire.orders) entry.push_back(std::to_string(order.line) + ":" + order.command);
  }
  return shires;
}

TEST_F(Outline, FollowsTheCheckPassRules) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::vector<std::string>> shires;
  };
  const Case cases[] = {
      {"an '@' SHIRE opens no shire, #ENDX ends nothing",
       "#VYR 1\n@SHIRE 1,1\nRECRUIT 40 Pikemen\n#ENDX\nSHIRE 12,3\nRECRUIT 5 Pikemen\n#END\n",
       {{"5:SHIRE", "6:RECRUIT"}}},
      {"orders before the header and after the end line are not read",
       "SHIRE 1,1\nRECRUIT 1 Pikemen\n#VYR 1\nSHIRE 12,3\n; a comment\n\n  MARCH 4 Pikemen 12,4\n#end\nSHIRE 2,2\n",
       {{"4:SHIRE", "7:MARCH"}}},
      {"without a header every line is read; lower case is a SHIRE too",
       "shire 1,2\n\tRECRUIT 3 Pikemen ; x\nPASSWORD abcdef\n",
       {{"1:shire", "2:RECRUIT", "3:PASSWORD"}}},
      {"a SHIRE whose location cannot be read leaves the orders under a SHIRE as the check does",
       "#VYR 1\nSHIRE 12,3\nRECRUIT 1 Pikemen\nSHIRE nowhere\nRECRUIT 2 Pikemen\n",
       {{"2:SHIRE", "3:RECRUIT"}, {"4:SHIRE", "5:RECRUIT"}}},
      {"no SHIRE order", "#VYR 1\nPASSWORD abcdef\nRECRUIT 2 Pikemen\n", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(shape(shireOutlineOf(c.text, 1)), c.shires) << c.what;
}

TEST_F(Outline, HoldsEveryOrderUnderTheHeaderOrItsShire) {
  struct Case {
    const char* what;
    std::string text;
    int headerLine;
    std::vector<int> headed;  // the lines of the orders under no SHIRE
    std::vector<std::vector<std::string>> shires;
  };
  const Case cases[] = {
      {"global and city orders before the first SHIRE",
       "#VYR 1\nPASSWORD abcdef\nRENAME Ashford\nSHIRE 12,3\nRECRUIT 5 Pikemen\n#END\n", 1, {2, 3},
       {{"4:SHIRE", "5:RECRUIT"}}},
      {"a shire order before any SHIRE, the header on line 2",
       "junk\n#VYR 1\nRECRUIT 5 Pikemen\n\n; x\nSTUDY Fire\n", 2, {3, 6}, {}},
      {"no header", "PASSWORD abcdef\nSHIRE 12,3\nPASSWORD abcdef\n", 0, {1}, {{"2:SHIRE", "3:PASSWORD"}}},
      {"an '@' SHIRE is an order under the header",
       "#VYR 1\n@SHIRE 1,1\nRECRUIT 40 Pikemen\n", 1, {2, 3}, {}},
  };
  for (const Case& c : cases) {
    const ORDEROUTLINE outline = orderOutlineOf(c.text, 1);
    EXPECT_EQ(outline.headerLine, c.headerLine) << c.what;
    std::vector<int> headed;
    for (const OUTLINEORDER& order : outline.orders) headed.push_back(order.line);
    EXPECT_EQ(headed, c.headed) << c.what;
    EXPECT_EQ(shape(outline.shires), c.shires) << c.what;
  }
}

// Random texts from lines that move the shire (SHIRE orders good and bad,
// header and end lines, look-alikes): every shire order (scope S) is either
// under a SHIRE in the outline or reported as standing under none, never
// both; a global or city order is under a SHIRE in the outline exactly when
// the checker warns that it need not be.
TEST_F(Outline, AgreesWithTheCheckerOnGeneratedTexts) {
  const std::vector<std::string> shireOrders = {"RECRUIT 40 Pikemen", "  MARCH 4 Pikemen 12,4", "@RECRUIT 1 Pikemen"};
  const std::vector<std::string> otherOrders = {"PASSWORD abcdef", "@ PASSWORD abcdef", "RENAME Ashford",
                                                "STUDY Fire"};
  const std::vector<std::string> movers = {"SHIRE 12,3", "@SHIRE 1,1", "SHIRE 12,99", "shire 3,3", "SHIRE",
                                           "#VYR 1",     "#END",       "#ENDX",       "; SHIRE 1,1",
                                           "",           "BANISH 3",   "SHIRE 1,1 ; home"};
  std::mt19937 random(22);
  int compared = 0;
  for (int text = 0; text < 300; ++text) {
    std::string orders;
    std::set<int> shireLines, otherLines;
    const int lines = 5 + static_cast<int>(random() % 60);
    for (int line = 1; line <= lines; ++line) {
      const unsigned pick = random() % 10;
      if (pick < 4) {
        orders += shireOrders[random() % shireOrders.size()];
        shireLines.insert(line);
      } else if (pick < 7) {
        orders += otherOrders[random() % otherOrders.size()];
        otherLines.insert(line);
      } else {
        orders += movers[random() % movers.size()];
      }
      orders += random() % 8 == 0 ? "\r\n" : "\n";
    }
    const CHECKRESULT result = checkOrdersText(orders, 1);
    std::set<int> outside, needNot;
    for (const FINDING& finding : result.findings) {
      if (finding.code == "order-outside-shire") outside.insert(finding.line);
      if (finding.code == "global-under-shire" || finding.code == "city-under-shire") needNot.insert(finding.line);
    }
    std::set<int> under;
    for (const OUTLINESHIRE& shire : shireOutlineOf(orders, 1)) {
      for (const OUTLINEORDER& order : shire.orders) under.insert(order.line);
    }
    for (const int line : shireLines) {
      EXPECT_FALSE(under.count(line) != 0 && outside.count(line) != 0) << "line " << line << " of\n" << orders;
    }
    for (const int line : otherLines) {
      EXPECT_EQ(under.count(line), needNot.count(line)) << "line " << line << " of\n" << orders;
      ++compared;
    }
    for (const int line : outside) EXPECT_EQ(under.count(line), 0U) << "line " << line << " of\n" << orders;
    // Every order is in the whole outline once: one standing under no SHIRE
    // under the header, after it.
    const ORDEROUTLINE outline = orderOutlineOf(orders, 1);
    std::set<int> headed, seen;
    for (const OUTLINEORDER& order : outline.orders) {
      headed.insert(order.line);
      EXPECT_GT(order.line, outline.headerLine) << orders;
    }
    std::size_t count = outline.orders.size();
    for (const OUTLINESHIRE& shire : outline.shires) {
      count += 1 + shire.orders.size();
      seen.insert(shire.order.line);
      for (const OUTLINEORDER& order : shire.orders) seen.insert(order.line);
    }
    seen.insert(headed.begin(), headed.end());
    EXPECT_EQ(seen.size(), count) << "no line twice in\n" << orders;
    for (const int line : outside) EXPECT_EQ(headed.count(line), 1U) << "line " << line << " of\n" << orders;
    for (const int line : needNot) EXPECT_EQ(headed.count(line), 0U) << "line " << line << " of\n" << orders;
  }
  EXPECT_GT(compared, 1000);
}

}  // namespace
}  // namespace vyr
