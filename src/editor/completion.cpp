#include "editor/completion.h"

#include <algorithm>
#include <set>

#include "checker/orderplace.h"
#include "checker/paramkinds.h"
#include "checker/syntax.h"
#include "editor/lineplace.h"
#include "gamedata/synworlds.h"

namespace vyr {

namespace {

// A name as a field: in double quotes when it holds a space.
std::string asField(std::string_view name) {
  if (name.find(' ') == std::string_view::npos) return std::string(name);
  return "\"" + std::string(name) + "\"";
}

// Collects the items of one answer, each label once.
class ITEMS {
 public:
  ITEMS(COMPLETION& answer, std::string prefix) : answer_(answer), prefix_(std::move(prefix)) {}

  COMPLETIONITEM* add(std::string_view label, COMPLETIONKIND kind, std::string detail) {
    if (!seen_.emplace(label).second) return nullptr;
    answer_.items.push_back({std::string(label), std::move(detail), kind, prefix_ + asField(label), {}});
    return &answer_.items.back();
  }

 private:
  COMPLETION& answer_;
  std::string prefix_;
  std::set<std::string, std::less<>> seen_;
};

// The note for a command whose every variant has the same scope, when the
// place breaks the scope rule.
std::string scopeNote(const std::vector<const COMMANDTABLE::Words*>& variants, int underShire) {
  int first = 1;
  SCOPEFAULT common = SCOPEFAULT::kNone;
  for (const auto* words : variants) {
    const SCOPEFAULT fault = scopeFault(words->empty() ? std::string_view() : (*words)[0], underShire);
    if (!first && fault != common) return {};
    common = fault;
    first = 0;
  }
  switch (common) {
    case SCOPEFAULT::kOutsideShire:
      return "shire order outside a SHIRE: an error here";
    case SCOPEFAULT::kGlobalUnderShire:
      return "global order inside a SHIRE: a warning here";
    case SCOPEFAULT::kCityUnderShire:
      return "city order inside a SHIRE: a warning here";
    case SCOPEFAULT::kNone:
      break;
  }
  return {};
}

void addCommands(ITEMS& items, const COMMANDTABLE& table, int underShire) {
  for (const COMMANDTABLE::Words& line : table.allVariants()) {
    if (line.size() < 2) continue;
    const auto& variants = table.variants(line[1]);
    if (variants.empty()) continue;
    std::string detail;
    for (const auto* words : variants) {
      if (!detail.empty()) detail += " | ";
      detail += variantLine(*words);
    }
    if (COMPLETIONITEM* item = items.add(line[1], COMPLETIONKIND::kCommand, std::move(detail)))
      item->note = scopeNote(variants, underShire);
  }
}

// What a slot word accepts: a keyword, a closed list's members, the names
// of the kind's table visible in the world.
void addSlot(ITEMS& items, std::string_view slot, const COMMANDTABLE::Words& variant, int world) {
  if (slot.empty() || slot == "#") return;
  if (isKeywordSlot(slot)) {
    items.add(slot, COMPLETIONKIND::kKeyword, variantLine(variant));
    return;
  }
  const PARAMKIND* kind = findParameterKind(slot);
  if (kind == nullptr) return;
  for (const std::string_view member : closedWordsOf(*kind))
    items.add(member, COMPLETIONKIND::kValue, std::string(kind->name) + ": " + std::string(kind->meaning));
  if (kind->table == nullptr) return;
  for (const SYNDATOBJ* entry : SYNTAX::gameData()->tableOf(kind->table).entries()) {
    if (!entry->visibleIn(world)) continue;
    std::string detail(kind->tableName);
    if (!entry->text().empty()) detail += ": " + entry->text();
    items.add(entry->name(), COMPLETIONKIND::kName, std::move(detail));
  }
}

// The slot of the place's field under every variant the fields before it
// still fit, as the check pass walks that variant.
void addSlotValues(ITEMS& items, const COMMANDTABLE& table, const LINEPLACE& place, int gameNo) {
  const int world = SYNTAX::gameData()->worldOfGame(gameNo);
  for (const auto* words : table.variants(place.command())) {
    if (!variantFitsBefore(*words, place.fields(), place.commandField(), place.field())) continue;
    const std::vector<std::string_view> slots = fieldSlots(*words, place.fields(), place.commandField(), gameNo);
    const auto at = static_cast<std::size_t>(place.field());
    addSlot(items, at < slots.size() ? slots[at] : std::string_view(), *words, world);
  }
}

}  // namespace

std::string variantLine(const COMMANDTABLE::Words& words) {
  std::string text;
  for (const std::string_view word : words) {
    if (!text.empty()) text += ' ';
    text += word;
  }
  return text;
}

std::string_view scopeMeaning(std::string_view scopeWord) {
  const char code = scopeCode(scopeWord);
  if (code == 'S') return "shire order";
  if (code == 'G') return "global order";
  if (code == 'C') return "city order";
  return "no scope rule";
}

COMPLETION completionInLine(std::string_view before, std::string_view lineText, int line, std::size_t byteInLine,
                            int gameNo) {
  const LINEPLACE place(lineText, byteInLine);
  const std::size_t at = std::min(byteInLine, lineText.size());
  COMPLETION answer;
  answer.replace = spanInLine(lineText, line, place.fieldStart(), at);
  const bool atCommand = place.field() <= place.commandField();
  // A command glued to '@' keeps it.
  ITEMS items(answer, atCommand && place.typed().starts_with('@') ? "@" : "");
  const COMMANDTABLE* table = sharedCommandTable();
  if (table == nullptr || SYNTAX::gameData() == nullptr || place.inComment()) return answer;
  if (atCommand) {
    addCommands(items, *table, underShireAfter(before, gameNo));
  } else if (!place.command().empty()) {
    addSlotValues(items, *table, place, gameNo);
  }
  return answer;
}

COMPLETION completionAt(std::string_view text, int line, std::size_t byteInLine, int gameNo) {
  const TEXTLINE found = textLine(text, line);
  return completionInLine(found.before, found.text, line, byteInLine, gameNo);
}

}  // namespace vyr
