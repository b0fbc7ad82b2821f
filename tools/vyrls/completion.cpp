#include <set>

#include "checker/orderplace.h"
#include "checker/paramkinds.h"
#include "checker/syntax.h"
#include "gamedata/synworlds.h"
#include "vyrls/diagnostics.h"
#include "vyrls/features.h"
#include "editor/lineplace.h"

namespace vyr {

namespace {

// The protocol's completion item kinds.
constexpr int kItemKeyword = 14;
constexpr int kItemFunction = 3;
constexpr int kItemValue = 12;

// A name as a field: in double quotes when it holds a space.
std::string asField(std::string_view name) {
  if (name.find(' ') == std::string_view::npos) return std::string(name);
  return "\"" + std::string(name) + "\"";
}

// Builds the items of one answer, each label once.
class ITEMS {
 public:
  ITEMS(TEXTPOSITION from, TEXTPOSITION to, std::string prefix)
      : range_(rangeJson(from, to)), prefix_(std::move(prefix)) {}

  nlohmann::json& add(std::string_view label, int kind, std::string detail) {
    if (!seen_.emplace(label).second) return dropped_;
    const std::string text = prefix_ + asField(label);
    items_.push_back({{"label", label},
                      {"kind", kind},
                      {"detail", std::move(detail)},
                      {"filterText", text},
                      {"textEdit", {{"range", range_}, {"newText", text}}}});
    return items_.back();
  }
  nlohmann::json list() const { return {{"isIncomplete", false}, {"items", items_}}; }

 private:
  nlohmann::json range_;
  std::string prefix_;
  nlohmann::json items_ = nlohmann::json::array();
  std::set<std::string, std::less<>> seen_;
  nlohmann::json dropped_;
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

std::string variantsText(const std::vector<const COMMANDTABLE::Words*>& variants) {
  std::string text;
  for (const auto* words : variants) {
    if (!text.empty()) text += " | ";
    text += variantText(*words);
  }
  return text;
}

void addCommands(ITEMS& items, const COMMANDTABLE& table, int underShire) {
  BUFFER& lines = const_cast<BUFFER&>(table.lines());  // reading moves the position cache only
  std::vector<std::string_view> words;
  for (int n = 1; n <= lines.lineCount(); ++n) {
    splitWords(lines.lineString(n)->view(), words);
    if (words.size() < 2) continue;
    const auto& variants = table.variants(words[1]);
    if (variants.empty()) continue;
    nlohmann::json& item = items.add(words[1], kItemFunction, variantsText(variants));
    if (item.is_null()) continue;
    const std::string note = scopeNote(variants, underShire);
    if (!note.empty()) {
      item["labelDetails"] = {{"description", note}};
      item["documentation"] = note;
    }
  }
}

// What the slot of the place's field accepts, under every variant that the
// fields before it still fit.
void addSlotValues(ITEMS& items, const COMMANDTABLE& table, const LINEPLACE& place, int gameNo) {
  const SYNWORLDS& data = *SYNTAX::gameData();
  const int world = data.worldOfGame(gameNo);
  for (const auto* words : table.variants(place.command())) {
    if (!variantFitsBefore(*words, place.fields(), place.commandField(), place.field())) continue;
    const std::string_view slot = slotOfField(*words, place.commandField(), place.field());
    if (slot.empty() || slot == "#") continue;
    if (isKeywordSlot(slot)) {
      items.add(slot, kItemKeyword, variantText(*words));
      continue;
    }
    const PARAMKIND* kind = findParameterKind(slot);
    if (kind == nullptr || kind->table == nullptr) continue;
    for (const SYNDATOBJ* found : data.tableOf(kind->table).entries()) {
      const SYNDATOBJ& entry = *found;
      if (!entry.visibleIn(world)) continue;
      std::string detail(kind->tableName);
      if (!entry.text().empty()) detail += ": " + entry.text();
      items.add(entry.name(), kItemValue, std::move(detail));
    }
  }
}

}  // namespace

nlohmann::json completionAt(const TEXTDOCUMENT& document, TEXTPOSITION position,
                            const FEATURECONTEXT& context) {
  const COMMANDTABLE* table = sharedCommandTable();
  const std::size_t offset = document.offsetAt(position, context.encoding);
  const TEXTPOSITION at = document.positionAt(offset, context.encoding);
  const std::size_t lineStart = document.lineStart(at.line);
  const LINEPLACE place(document.lineText(at.line), offset - lineStart);
  const TEXTPOSITION from = document.positionAt(lineStart + place.fieldStart(), context.encoding);
  const bool atCommand = place.field() <= place.commandField();
  // A command glued to '@' keeps it.
  const std::string prefix = atCommand && place.typed().starts_with('@') ? "@" : "";
  ITEMS items(from, at, prefix);
  if (table == nullptr || SYNTAX::gameData() == nullptr || place.inComment()) return items.list();
  if (atCommand) {
    const std::string_view before = std::string_view(document.text()).substr(0, lineStart);
    addCommands(items, *table, underShireAfter(before, context.gameNo));
  } else if (!place.command().empty()) {
    addSlotValues(items, *table, place, context.gameNo);
  }
  return items.list();
}

}  // namespace vyr
