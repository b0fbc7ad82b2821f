// Completion for an orders line, read from the command table and the game
// data: at the command field the commands (with the scope rule's note for
// the place), after it what the slot of the field accepts under the variants
// the fields before it still fit: a keyword, the members of a closed list
// (magic words, explore modes, tax codes, yes/no) or the names of the kind's
// table in the game's world; after a spell the spell's own slots. The game
// data and command table must be loaded; without them nothing is offered.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "checker/commandtable.h"
#include "editor/editspan.h"

namespace vyr {

enum class COMPLETIONKIND { kCommand, kKeyword, kName, kValue };

struct COMPLETIONITEM {
  std::string label;    // the command, keyword or name as the table writes it
  std::string detail;   // the variants of a command, or what the name is
  COMPLETIONKIND kind = COMPLETIONKIND::kValue;
  std::string newText;  // what replaces the span: the label, quoted when it holds a space, '@' kept
  std::string note;     // the scope note of a command at this place ("" for none)
};

struct COMPLETION {
  EDITSPAN replace;  // the part of the field typed before the place
  std::vector<COMPLETIONITEM> items;
};

// At byte `byteInLine` of line `line` (1-based) of an orders text.
[[nodiscard]] COMPLETION completionAt(std::string_view text, int line, std::size_t byteInLine, int gameNo);
// The same from the line's text and the orders before it.
[[nodiscard]] COMPLETION completionInLine(std::string_view before, std::string_view lineText, int line,
                                          std::size_t byteInLine, int gameNo);

// One variant as the table writes it: "S TRADE BUY resamt res".
[[nodiscard]] std::string variantLine(const COMMANDTABLE::Words& words);
// What a scope word of the table means: "shire order", "global order",
// "city order" or "no scope rule".
[[nodiscard]] std::string_view scopeMeaning(std::string_view scopeWord);

}  // namespace vyr
