#include "checker/suggester.h"

#include <memory>
#include <set>

#include "checker/commandtable.h"
#include "checker/syntax.h"
#include "gamedata/synworlds.h"
#include "text/editdistance.h"
#include "text/fieldparser.h"
#include "text/utils.h"

namespace vyr {

// The process-wide command table, defined with it in the checker.
const COMMANDTABLE* sharedCommandTable();

namespace {

constexpr std::string_view kUnrecognized = "ERROR: Unrecognized Command.";

// The checker's unknown-name messages and the tables the names come from.
struct NAMEKIND {
  std::string_view message;
  std::unique_ptr<SYNDAT> SYNWORLDS::*table;
};

constexpr NAMEKIND kNameKinds[] = {
    {"ERROR: Expected Unit Name.", &SYNWORLDS::units},
    {"ERROR: Expected Valid Ship Type Name.", &SYNWORLDS::ships},
    {"ERROR: Expected Valid Building Name.", &SYNWORLDS::build},
    {"ERROR: Unknown Resource Type.", &SYNWORLDS::res},
    {"ERROR: Invalid Artifact Type.", &SYNWORLDS::art},
    {"ERROR: Invalid Race Name Specified.", &SYNWORLDS::race},
    {"ERROR: Invalid Terrain Type Specified.", &SYNWORLDS::land},
    {"ERROR: Expected Valid Spell Name.", &SYNWORLDS::spell},
};

void addOnce(std::vector<std::string>& names, std::set<std::string>& seen, std::string_view name) {
  if (!name.empty() && seen.emplace(name).second) names.emplace_back(name);
}

// The command as the checker looks it up: field 1, or field 2 after a lone
// '@', without a glued '@'.
std::string_view commandText(const FIELDPARSER& parser) {
  const std::string_view first = parser.field(1);
  if (first == "@") return parser.field(2);
  return first.starts_with('@') ? first.substr(1) : first;
}

}  // namespace

SUGGESTER::SUGGESTER(int world) {
  std::set<std::string> seen;
  if (const COMMANDTABLE* table = sharedCommandTable()) {
    // Reading a line moves the list's position cache only.
    BUFFER& lines = const_cast<BUFFER&>(table->lines());
    std::vector<std::string_view> words;
    for (int n = 1; n <= lines.lineCount(); ++n) {
      splitWords(lines.lineString(n)->text(), words);
      if (words.size() >= 2) addOnce(commands_, seen, words[1]);
    }
  }
  SYNWORLDS* data = SYNTAX::gameData();
  if (data == nullptr) return;
  for (const NAMEKIND& kind : kNameKinds) {
    TABLENAMES& names = tables_.emplace_back(TABLENAMES{kind.message, {}});
    SYNDAT& table = *(data->*kind.table);
    seen.clear();
    for (int n = 1; n <= table.count(); ++n) {
      const SYNDATOBJ* entry = table.get(n);
      if (entry->getWorld() != 0 && entry->getWorld() != world) continue;
      addOnce(names.names, seen, entry->name());
      addOnce(names.names, seen, entry->text());
    }
  }
}

std::string SUGGESTER::suggest(std::string_view message, std::string_view echo, int field) const {
  const std::vector<std::string>* candidates = nullptr;
  if (message == kUnrecognized) candidates = &commands_;
  for (const TABLENAMES& table : tables_) {
    if (message == table.message) candidates = &table.names;
  }
  if (candidates == nullptr) return {};
  const FIELDPARSER parser(echo, ' ', '"', 1, 1, 1);
  const std::string_view typed = message == kUnrecognized ? commandText(parser) : parser.field(field);
  return nearest(typed, *candidates);
}

std::string SUGGESTER::nearest(std::string_view typed, const std::vector<std::string>& candidates) {
  if (typed.empty()) return {};
  int best = suggestionLimit(typed) + 1;
  const std::string* found = nullptr;
  for (const std::string& candidate : candidates) {
    const auto apart = static_cast<long>(candidate.size()) - static_cast<long>(typed.size());
    if (apart >= best || -apart >= best) continue;  // at least that many insertions or deletions
    const int distance = editDistance(typed, candidate);
    if (distance == 0) return {};
    if (distance < best) {
      best = distance;
      found = &candidate;
    }
  }
  return found != nullptr ? *found : std::string();
}

}  // namespace vyr
