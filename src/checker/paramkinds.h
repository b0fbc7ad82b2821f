// The parameter kinds of the command-table notation: the lower-case slot
// words such as "loc" or "unit". Each kind has its name, a one-line meaning
// for people (help texts, editors) and, for a kind that names a data-table
// entry, the table it is looked up in. This table is the one list of kinds:
// the checker validates by it and the data checks accept exactly its names.
#pragma once

#include <memory>
#include <span>
#include <string_view>

namespace vyr {

class SYNDAT;
class SYNWORLDS;

struct PARAMKIND {
  std::string_view name;     // as the command table writes it
  std::string_view meaning;  // one line: what a field of this kind must hold
  // For a name kind: the table of the game data and what its entries are
  // called ("unit", "ship type", ...); null and "" for the other kinds.
  std::unique_ptr<SYNDAT> SYNWORLDS::*table;
  std::string_view tableName;
};

// Every kind, in the order the notation lists them.
std::span<const PARAMKIND> parameterKinds();
// The kind with this exact name, or null.
const PARAMKIND* findParameterKind(std::string_view name);
// The fixed words a field of `kind` may hold (letter case ignored), in the
// order the check tries them: all it may hold for magic, exploremode, tax and
// y/n, GROUND besides a location for gloc; empty for every other kind.
std::span<const std::string_view> closedWordsOf(const PARAMKIND& kind);

}  // namespace vyr
