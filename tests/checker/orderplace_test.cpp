#include "checker/orderplace.h"

#include <gtest/gtest.h>

#include "support/datasettest.h"

namespace vyr {
namespace {

COMMANDTABLE::Words wordsOf(std::string_view line) {
  COMMANDTABLE::Words words;
  splitWords(line, words);
  return words;
}

TEST(OrderPlace, EveryFieldFindsTheSlotTheWalkReadsItBy) {
  struct CASE {
    const char* variant;
    int commandField;
    int field;
    const char* slot;
  };
  const CASE cases[] = {
      {"S RECRUIT unitamt unit", 1, 2, "unitamt"},
      {"S RECRUIT unitamt unit", 1, 3, "unit"},
      {"S RECRUIT unitamt unit", 1, 4, ""},
      {"S RECRUIT unitamt unit", 2, 3, "unitamt"},  // after a lone '@'
      {"S RECRUIT unitamt unit", 2, 2, ""},         // the command's own field
      {"S TRADE BUY resamt res", 1, 2, "BUY"},
      {"S TRADE BUY resamt res", 1, 4, "res"},
      {"S ROUTE loc .", 1, 2, "loc"},
      {"S ROUTE loc .", 1, 3, "loc"},
      {"S ROUTE loc .", 1, 9, "loc"},
      {"S LAUNCH shabb * name", 1, 2, "shabb"},
      {"S LAUNCH shabb * name", 1, 3, "name"},
      {"S LAUNCH shabb * name", 1, 4, ""},
      {"G CAST castord spell #", 1, 3, "spell"},
      {"G CAST castord spell #", 1, 4, "#"},
      {"G CAST castord spell #", 1, 7, "#"},
      {"G NOTE #", 1, 2, "#"},
      {"S LAND ship *", 1, 3, ""},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(std::string(c.variant) + " field " + std::to_string(c.field));
    EXPECT_EQ(slotOfField(wordsOf(c.variant), c.commandField, c.field), c.slot);
  }
}

TEST(OrderPlace, AVariantFitsWhileTheKeywordsBeforeTheFieldMatch) {
  struct CASE {
    const char* variant;
    const char* line;
    int commandField;
    int field;
    int fits;
  };
  const CASE cases[] = {
      {"S TRADE BUY resamt res", "TRADE", 1, 2, 1},
      {"S TRADE BUY resamt res", "TRADE SELL", 1, 2, 1},  // the keyword's own field is not looked at
      {"S TRADE BUY resamt res", "TRADE buy 5", 1, 4, 1},
      {"S TRADE BUY resamt res", "TRADE SELL 5", 1, 4, 0},
      {"S TRADE BUY resamt res", "@ TRADE BUY 5", 2, 5, 1},
      {"S TRADE BUY resamt res", "@ TRADE SELL 5", 2, 5, 0},
      {"S RECRUIT unitamt unit", "RECRUIT 40", 1, 3, 1},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.line);
    const FIELDPARSER parser(c.line, ' ', '"', 1, 1, 1);
    EXPECT_EQ(variantFitsBefore(wordsOf(c.variant), parser, c.commandField, c.field), c.fits);
  }
}

class OrderPlaceShire : public DataSetTest {};

// The scope after some lines is the check pass's current shire: set by a
// valid SHIRE, by the first error of the pass on a SHIRE line, never by lines
// after the end line.
TEST_F(OrderPlaceShire, OrdersStandUnderAShireAsTheCheckPassLeavesIt) {
  struct CASE {
    const char* orders;
    int underShire;
  };
  const CASE cases[] = {
      {"", 0},
      {"PASSWORD abcdef\n", 0},
      {"SHIRE 12,3\n", 1},
      {"#VYR Game 1\nSHIRE 12,3\n  RECRUIT 40 Pikemen\n", 1},
      {"SHIRE 12,9\n", 1},                      // the pass's first error: the shire becomes 1,1
      {"RECRUIT 40 Pikemen\nSHIRE 12,9\n", 0},  // a later error leaves it unset
      {"#END\nSHIRE 12,3\n", 0},
      {"; SHIRE 12,3\n", 0},
      {"#> ERROR: old\nSHIRE 12,3\n", 1},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.orders);
    EXPECT_EQ(underShireAfter(c.orders, 1), c.underShire);
  }
}

}  // namespace
}  // namespace vyr
