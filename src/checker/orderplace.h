// Where a place in an order line stands for the command table, for programs
// that help a player write orders (completion, explanations): the variant a
// line is checked by, the slot each of its fields fills (read by the check
// pass's own slot walk), and whether the orders after some lines stand under
// a SHIRE order. The answers follow the check pass's own rules, which live
// beside them in the checker; the command of a line is orderCommand's
// (checker/ordercommand.h).
#pragma once

#include <string_view>
#include <vector>

#include "checker/commandtable.h"
#include "text/fieldparser.h"

namespace vyr {

// 1 when a slot word of the command table is a keyword: upper-case letters only.
[[nodiscard]] int isKeywordSlot(std::string_view word);

// 1 when every keyword of the variant that stands at a field before `field`
// matches that field, ignoring case (the fields from `field` on are not
// looked at): the variant may still be the one the line is checked by.
[[nodiscard]] int variantFitsBefore(const COMMANDTABLE::Words& words, const FIELDPARSER& parser,
                                    int commandField, int field);

// The variant the check pass checks the line by: the first, in table order,
// whose keywords all match the line's fields; null when none does.
[[nodiscard]] const COMMANDTABLE::Words* matchedVariant(const COMMANDTABLE& table, const FIELDPARSER& parser,
                                                        int commandField);

// The slot word each field of the line stands in under the variant (one the
// table answered), as the check pass's slot walk for the game reaches it:
// after a spell the spell's own slots; entry e is field e's (a keyword, a
// kind, "#" for free text, "" where the walk does not reach). The answer has
// an entry for every field and the one after the last.
[[nodiscard]] std::vector<std::string_view> fieldSlots(const COMMANDTABLE::Words& variant,
                                                       const FIELDPARSER& parser, int commandField, int gameNo);

// 1 when an order written after the given orders text stands under a SHIRE
// order, as the check pass of that text leaves its current shire; the game
// data must be loaded.
[[nodiscard]] int underShireAfter(std::string_view orders, int gameNo);

}  // namespace vyr
