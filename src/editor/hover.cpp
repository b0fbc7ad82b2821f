#include "editor/hover.h"

#include <set>

#include "engine/engine.h"
#include "checker/orderplace.h"
#include "checker/paramkinds.h"
#include "checker/syntax.h"
#include "editor/completion.h"
#include "editor/lineplace.h"
#include "gamedata/synworlds.h"

namespace vyr {

namespace {

// What a slot word that is no kind says.
std::string_view markerMeaning(std::string_view word) {
  if (word == "*") return "the slots after it are optional";
  if (word == ".") return "any number of further fields of the kind before it";
  if (word == "#") return "free text (after a spell: the spell's own slots)";
  return {};
}

std::string commandHover(const std::vector<const COMMANDTABLE::Words*>& variants,
                         const COMMANDTABLE::Words* matched, std::string_view command) {
  std::string text = "**" + std::string(command) + "**\n";
  if (matched != nullptr && variants.size() > 1) text += "\nThis order: `" + variantLine(*matched) + "`\n";
  std::set<std::string_view> explained;
  std::string kinds;
  for (const auto* words : variants) {
    text += "\n- `" + variantLine(*words) + "`: " + std::string(scopeMeaning(words->empty() ? "" : (*words)[0]));
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

// What the check says of a command that is not in the table, with its
// "did you mean".
std::string unknownCommandHover(std::string_view lineText, std::string_view command, int gameNo) {
  const CHECKRESULT result = checkOrdersText(lineText, gameNo, CHECKOPTIONS{1, 0, 0, 0});
  for (const FINDING& finding : result.findings) {
    if (finding.code != "unknown-command") continue;
    std::string text = "**" + std::string(command) + "**: " + finding.message + "\n";
    if (!finding.suggestion.empty()) text += "\nDid you mean `" + finding.suggestion + "`?\n";
    return text;
  }
  return {};
}

// The name in a field of a name kind, or what the field's slot means, under
// the variant the check matches (else the first the fields before it fit).
std::string fieldHover(const std::vector<const COMMANDTABLE::Words*>& variants,
                       const COMMANDTABLE::Words* matched, const LINEPLACE& place, int gameNo) {
  const SYNWORLDS& data = *SYNTAX::gameData();
  const std::string_view typed = place.fields().field(place.field());
  const auto at = static_cast<std::size_t>(place.field());
  std::vector<const COMMANDTABLE::Words*> candidates;
  if (matched != nullptr) candidates.push_back(matched);
  for (const auto* words : variants) {
    if (words != matched && variantFitsBefore(*words, place.fields(), place.commandField(), place.field()))
      candidates.push_back(words);
  }
  for (const auto* words : candidates) {
    const std::vector<std::string_view> slots = fieldSlots(*words, place.fields(), place.commandField(), gameNo);
    const std::string_view slot = at < slots.size() ? slots[at] : std::string_view();
    if (slot.empty()) continue;
    if (isKeywordSlot(slot)) return "`" + std::string(slot) + "`: a keyword of `" + variantLine(*words) + "`\n";
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
    const std::string_view meaning = kind != nullptr ? kind->meaning : markerMeaning(slot);
    return "`" + std::string(slot) + "`: " + std::string(meaning) + "\n";
  }
  return {};
}

}  // namespace

int hoverInLine(std::string_view lineText, int line, std::size_t byteInLine, int gameNo, HOVER& out) {
  const COMMANDTABLE* table = sharedCommandTable();
  if (table == nullptr || SYNTAX::gameData() == nullptr) return 0;
  const LINEPLACE place(lineText, byteInLine);
  if (place.command().empty() || place.inComment() || place.fieldStart() == place.fieldEnd() ||
      place.field() < place.commandField()) {
    return 0;
  }
  const auto& variants = table->variants(place.command());
  std::string text;
  if (variants.empty()) {
    if (place.field() == place.commandField()) text = unknownCommandHover(lineText, place.command(), gameNo);
  } else {
    const COMMANDTABLE::Words* matched = matchedVariant(*table, place.fields(), place.commandField());
    text = place.field() == place.commandField()
               ? commandHover(variants, matched, variants.front()->size() > 1 ? (*variants.front())[1] : place.command())
               : fieldHover(variants, matched, place, gameNo);
  }
  if (text.empty()) return 0;
  out.span = spanInLine(lineText, line, place.fieldStart(), place.fieldEnd());
  out.markdown = std::move(text);
  return 1;
}

int hoverAt(std::string_view text, int line, std::size_t byteInLine, int gameNo, HOVER& out) {
  const TEXTLINE found = textLine(text, line);
  return hoverInLine(found.text, line, byteInLine, gameNo, out);
}

}  // namespace vyr
