#include "checker/suggester.h"

#include <memory>
#include <set>

#include "checker/commandtable.h"
#include "checker/paramkinds.h"
#include "checker/syntax.h"
#include "gamedata/synworlds.h"
#include "text/editdistance.h"

namespace vyr {

namespace {

template <class NAMELIST>
void addOnce(NAMELIST& names, std::set<std::string>& seen, std::string_view name) {
  if (!name.empty() && seen.emplace(name).second) names.add(name);
}

}  // namespace

SUGGESTER::SUGGESTER(int world) : world_(world) {
  std::set<std::string> seen;
  if (const COMMANDTABLE* table = sharedCommandTable()) {
    for (const COMMANDTABLE::Words& words : table->allVariants()) {
      if (words.size() >= 2) addOnce(commands_, seen, words[1]);
    }
  }
  for (const PARAMKIND& kind : parameterKinds()) {
    const std::span<const std::string_view> words = closedWordsOf(kind);
    if (words.empty()) continue;
    TABLENAMES& names = closedLists_.emplace_back(TABLENAMES{&kind, {}});
    for (const std::string_view word : words) names.names.add(word);
  }
  const SYNWORLDS* data = SYNTAX::gameData();
  if (data == nullptr) return;
  for (const PARAMKIND& kind : parameterKinds()) {
    if (kind.table == nullptr) continue;
    TABLENAMES& names = tables_.emplace_back(TABLENAMES{&kind, {}});
    const SYNDAT& table = data->tableOf(kind.table);
    seen.clear();
    for (const SYNDATOBJ* entry : table.entries()) {
      if (!entry->visibleIn(world)) continue;
      addOnce(names.names, seen, entry->name());
      addOnce(names.names, seen, entry->text());
    }
  }
}

std::string SUGGESTER::suggest(FINDINGCODE code, const PARAMKIND* kind, std::string_view typed) const {
  if (code == FINDINGCODE::kUnknownCommand) return nearestOf(typed, commands_);
  if (kind == nullptr) return {};
  if (code != FINDINGCODE::kUnknownName) {
    for (const TABLENAMES& list : closedLists_) {
      if (list.kind == kind) return nearestOf(typed, list.names);
    }
    return {};
  }
  for (const TABLENAMES& table : tables_) {
    if (table.kind->table == kind->table) return nearestOf(typed, table.names);
  }
  return {};
}

void SUGGESTER::NAMES::add(std::string_view name) {
  names.emplace_back(name);
  classes.push_back(byteClasses(name));
}

std::string SUGGESTER::nearest(std::string_view typed, const std::vector<std::string>& candidates) {
  NAMES names;
  for (const std::string& candidate : candidates) names.add(candidate);
  return nearestOf(typed, names);
}

std::string SUGGESTER::nearestOf(std::string_view typed, const NAMES& candidates) {
  if (typed.empty()) return {};
  int best = suggestionLimit(typed) + 1;
  const std::string* found = nullptr;
  const DISTANCESFROM from(typed);
  for (std::size_t k = 0; k < candidates.names.size(); ++k) {
    const std::string& candidate = candidates.names[k];
    const auto apart = static_cast<long>(candidate.size()) - static_cast<long>(typed.size());
    if (apart >= best || -apart >= best) continue;  // at least that many insertions or deletions
    const int distance = from.within(candidate, candidates.classes[k], best - 1);  // only a nearer one counts
    if (distance == 0) return {};
    if (distance < best) {
      best = distance;
      found = &candidate;
    }
  }
  return found != nullptr ? *found : std::string();
}

}  // namespace vyr
