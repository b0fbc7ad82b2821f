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

class OrderPlaceSlots : public SampleDataTest {};

// The slot of a field is the one the check pass's walk reaches it by, under
// the variant the check matches; a spell's own slots follow the spell.
TEST_F(OrderPlaceSlots, EveryFieldFindsTheSlotTheWalkReadsItBy) {
  struct CASE {
    const char* line;
    int field;
    const char* slot;
  };
  const CASE cases[] = {
      {"RECRUIT 40 Pikemen", 2, "unitamt"},
      {"RECRUIT 40 Pikemen", 3, "unit"},
      {"RECRUIT 40 Pikemen", 4, ""},
      {"RECRUIT 40", 3, "unit"},  // the field the player would type next
      {"@ RECRUIT 40 Pikemen", 3, "unitamt"},
      {"@ RECRUIT 40 Pikemen", 2, ""},  // the command's own field
      {"TRADE BUY 5 Grain", 2, "BUY"},
      {"TRADE SELL 5 Grain", 2, "SELL"},
      {"trade sell 5 Grain", 4, "res"},
      {"TRAIN TROOPS 5 Archers", 2, "TROOPS"},
      {"TRAIN TROOPS 5 Archers", 4, "unit"},
      {"ROUTE 1,1 2,2 3,3", 2, "loc"},
      {"ROUTE 1,1 2,2 3,3", 4, "loc"},
      {"ROUTE 1,1 2,2 3,3", 5, "loc"},
      {"LAUNCH Cog Swift", 2, "shabb"},
      {"LAUNCH Cog Swift", 3, "name"},
      {"LAUNCH Cog Swift", 4, ""},
      {"LAND 1 GROUND", 3, "gloc"},
      {"CAST 1 Summon 5 Pikemen", 3, "spell"},
      {"CAST 1 Summon 5 Pikemen", 4, "unitamt"},
      {"CAST 1 Summon 5 Pikemen", 5, "unit"},
      {"CAST 1 Summon 5 Pikemen", 6, ""},
      {"CAST 1 Mending 3", 4, "hero"},
      {"CAST 1 Cinderwake a b", 5, ""},  // a spell of another world: none of its slots
      {"CAST 1 Nosuchspell 5", 4, ""},
      {"NOTE a b", 2, "#"},
      {"NOTE a b", 4, "#"},
      {"MESSAGE 3 hello", 2, "player"},
      {"MESSAGE 3 hello", 3, "#"},
  };
  const COMMANDTABLE& table = *sharedCommandTable();
  for (const CASE& c : cases) {
    SCOPED_TRACE(std::string(c.line) + " field " + std::to_string(c.field));
    const FIELDPARSER parser(c.line, ' ', '"', 1, 1, 1);
    const int commandField = parser.field(1) == "@" ? 2 : 1;
    const COMMANDTABLE::Words* variant = matchedVariant(table, parser, commandField);
    ASSERT_NE(variant, nullptr);
    const std::vector<std::string_view> slots = fieldSlots(*variant, parser, commandField, 1);
    ASSERT_GE(slots.size(), static_cast<std::size_t>(parser.fieldCount() + 2));
    EXPECT_EQ(static_cast<std::size_t>(c.field) < slots.size() ? slots[static_cast<std::size_t>(c.field)] : "",
              c.slot);
  }
  const FIELDPARSER partial("TRADE", ' ', '"', 1, 1, 1);
  EXPECT_EQ(matchedVariant(table, partial, 1), nullptr);
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
