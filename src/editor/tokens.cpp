#include "editor/tokens.h"

#include <algorithm>
#include <string>

#include "checker/orderplace.h"
#include "checker/paramkinds.h"
#include "checker/syntax.h"
#include "editor/lineplace.h"
#include "engine/engine.h"
#include "text/charclass.h"

namespace vyr {

namespace {

// What a field in a slot shows: a keyword or a closed list's word, a name of
// the kind's table, a number, or text.
TOKENKIND kindOfSlot(std::string_view slot, std::string_view field) {
  if (isKeywordSlot(slot)) return TOKENKIND::kKeyword;
  if (const PARAMKIND* kind = findParameterKind(slot); kind != nullptr) {
    if (!closedWordsOf(*kind).empty()) return TOKENKIND::kKeyword;
    if (kind->table != nullptr) return TOKENKIND::kName;
  }
  const bool number = !field.empty() && std::all_of(field.begin(), field.end(), [](char c) {
    return isDigitChar(c) || c == '-' || c == ',';
  });
  return number ? TOKENKIND::kNumber : TOKENKIND::kText;
}

}  // namespace

std::vector<TOKEN> tokensOf(std::string_view text, int gameNo) {
  CHECKOPTIONS options;
  options.suggestions = 0;
  options.notes = 0;
  options.annotated = 0;
  options.orders = 1;
  const CHECKRESULT result = checkOrdersText(text, gameNo, options);
  std::vector<TOKEN> tokens;
  std::size_t order = 0;
  int line = 1;
  for (std::size_t start = 0; start < text.size(); ++line) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view lineText = text.substr(start, end - start);
    if (!lineText.empty() && lineText.back() == '\r') lineText.remove_suffix(1);
    start = end + 1;
    while (order < result.orders.size() && result.orders[order].line < line) ++order;
    const ORDERPLACE* place =
        order < result.orders.size() && result.orders[order].line == line ? &result.orders[order] : nullptr;
    const LINEPLACE fields(lineText, 0);
    const FIELDPARSER& parser = fields.fields();
    const auto add = [&](int n, TOKENKIND kind) {
      auto from = static_cast<std::size_t>(parser.fieldPosition(n));
      if (kind == TOKENKIND::kCommand && parser.field(n).starts_with('@')) ++from;  // a glued marker
      tokens.push_back({spanInLine(lineText, line, from, static_cast<std::size_t>(parser.fieldEnd(n))), kind});
    };
    std::vector<std::string_view> slots;
    if (place != nullptr && !place->isHeader && fields.commandField() <= parser.fieldCount()) {
      if (const COMMANDTABLE::Words* variant =
              matchedVariant(*sharedCommandTable(), parser, fields.commandField());
          variant != nullptr)
        slots = fieldSlots(*variant, parser, fields.commandField(), gameNo);
    }
    for (int n = 1; n <= parser.fieldCount(); ++n) {
      if (parser.field(n).starts_with(';')) {
        const auto from = static_cast<std::size_t>(parser.fieldPosition(n));
        tokens.push_back({spanInLine(lineText, line, from, lineText.size()), TOKENKIND::kComment});
        break;
      }
      if (place == nullptr || n < fields.commandField()) continue;
      if (place->isHeader) {
        add(n, TOKENKIND::kHeader);
      } else if (n == fields.commandField()) {
        add(n, TOKENKIND::kCommand);
      } else if (static_cast<std::size_t>(n) < slots.size() && !slots[static_cast<std::size_t>(n)].empty()) {
        const std::string_view slot = slots[static_cast<std::size_t>(n)];
        add(n, slot == "#" ? TOKENKIND::kText : kindOfSlot(slot, parser.field(n)));
      }
    }
  }
  return tokens;
}

}  // namespace vyr
