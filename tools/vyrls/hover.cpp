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

// What a slot word that is no kind says.
std::string_view markerMeaning(std::string_view word) {
  if (word == "*") return "the slots after it are optional";
  if (word == ".") return "any number of further fields of the kind before it";
  if (word == "#") return "free text (after a spell: the spell's own slots)";
  return {};
}

std::string commandHover(const std::vector<const COMMANDTABLE::Words*>& variants, std::string_view command) {
  std::string text = "**" + std::string(command) + "**\n";
  std::set<std::string_view> explained;
  std::string kinds;
  for (const auto* words : variants) {
    text += "\n- `" + variantText(*words) + "`: " + std::string(scopeName(words->empty() ? "" : (*words)[0]));
    for (std::size_t k = 2; k < words->size(); ++k) {
      const std::string_view word = (*words)[k];
      if (isKeywordSlot(word) || !explained.insert(word).second) continue;
      const PARAMKIND* kind = findParameterKind(word);
      const std::string_view meaning = kind != nullptr ? kind->meaning : markerMeaning(word);
      if (!meaning.empty()) kinds += "\n- `" + std::string(word) + "`: " + std::string(meaning);
    }
  }
  if (!kinds.empty()) text += "\n\nSlots:\n" + kinds;
  return text + "\n";
}

// The name in a field of a name kind, or what the field's slot means.
std::string fieldHover(const std::vector<const COMMANDTABLE::Words*>& variants, const LINEPLACE& place,
                       int gameNo) {
  const SYNWORLDS& data = *SYNTAX::gameData();
  const std::string_view typed = place.fields().field(place.field());
  std::string fallback;
  for (const auto* words : variants) {
    if (!variantFitsBefore(*words, place.fields(), place.commandField(), place.field())) continue;
    const std::string_view slot = slotOfField(*words, place.commandField(), place.field());
    if (slot.empty()) continue;
    const PARAMKIND* kind = findParameterKind(slot);
    if (kind != nullptr && kind->table != nullptr) {
      const SYNDAT& table = data.tableOf(kind->table);
      const int key = table.findName(typed, data.worldOfGame(gameNo));
      if (key != 0) {
        const SYNDATOBJ& entry = *table.entry(key);
        std::string text = "**" + entry.name() + "**: " + std::string(kind->tableName);
        if (!entry.text().empty()) text += "\n\n" + entry.text();
        return text + "\n";
      }
    }
    if (fallback.empty()) {
      const std::string_view meaning = kind != nullptr       ? kind->meaning
                                       : isKeywordSlot(slot) ? "a keyword of the order"
                                                             : markerMeaning(slot);
      fallback = "`" + std::string(slot) + "`: " + std::string(meaning) + "\n";
    }
  }
  return fallback;
}

}  // namespace

nlohmann::json hoverAt(const TEXTDOCUMENT& document, TEXTPOSITION position, const FEATURECONTEXT& context) {
  const COMMANDTABLE* table = sharedCommandTable();
  if (table == nullptr || SYNTAX::gameData() == nullptr) return nullptr;
  const std::size_t offset = document.offsetAt(position, context.encoding);
  const TEXTPOSITION at = document.positionAt(offset, context.encoding);
  const std::size_t lineStart = document.lineStart(at.line);
  const LINEPLACE place(document.lineText(at.line), offset - lineStart);
  if (place.command().empty() || place.inComment() || place.fieldStart() == place.fieldEnd() ||
      place.field() < place.commandField()) {
    return nullptr;
  }
  const auto& variants = table->variants(place.command());
  if (variants.empty()) return nullptr;
  const std::string text =
      place.field() == place.commandField()
          ? commandHover(variants, variants.front()->size() > 1 ? (*variants.front())[1] : place.command())
          : fieldHover(variants, place, context.gameNo);
  if (text.empty()) return nullptr;
  return {{"contents", {{"kind", "markdown"}, {"value", text}}},
          {"range", rangeJson(document.positionAt(lineStart + place.fieldStart(), context.encoding),
                              document.positionAt(lineStart + place.fieldEnd(), context.encoding))}};
}

}  // namespace vyr
