#include "editor/completion.h"

#include <algorithm>

#include "text/words.h"
#include "vyrls/diagnostics.h"
#include "vyrls/features.h"

namespace vyr {

namespace {

// The protocol's completion item kinds.
int itemKind(COMPLETIONKIND kind) {
  switch (kind) {
    case COMPLETIONKIND::kCommand:
      return 3;  // Function
    case COMPLETIONKIND::kKeyword:
      return 14;  // Keyword
    case COMPLETIONKIND::kName:
    case COMPLETIONKIND::kValue:
      break;
  }
  return 12;  // Value
}

// The item's text as the player started it, so that a client matching the
// typed prefix exactly still finds "RECRUIT" for "rec".
std::string filterText(std::string_view typed, const std::string& newText) {
  if (typed.size() > newText.size() || compareNoCase(typed, std::string_view(newText).substr(0, typed.size())) != 0)
    return newText;
  return std::string(typed) + newText.substr(typed.size());
}

}  // namespace

nlohmann::json completionAt(const TEXTDOCUMENT& document, TEXTPOSITION position,
                            const FEATURECONTEXT& context) {
  const std::size_t offset = document.offsetAt(position, context.encoding);
  const TEXTPOSITION at = document.positionAt(offset, context.encoding);
  const std::size_t lineStart = document.lineStart(at.line);
  const std::string_view line = document.lineText(at.line);
  const COMPLETION answer = completionInLine(std::string_view(document.text()).substr(0, lineStart), line,
                                             static_cast<int>(at.line + 1), offset - lineStart, context.gameNo);
  const auto from = static_cast<std::size_t>(answer.replace.column - 1);
  const nlohmann::json range = rangeJson(document.positionAt(lineStart + from, context.encoding), at);
  const std::string_view typed = line.substr(std::min(from, line.size()), offset - lineStart - from);
  nlohmann::json items = nlohmann::json::array();
  for (const COMPLETIONITEM& item : answer.items) {
    nlohmann::json& entry = items.emplace_back(nlohmann::json{{"label", item.label},
                                                              {"kind", itemKind(item.kind)},
                                                              {"detail", item.detail},
                                                              {"filterText", filterText(typed, item.newText)},
                                                              {"textEdit", {{"range", range}, {"newText", item.newText}}}});
    if (!item.note.empty()) {
      entry["labelDetails"] = {{"description", item.note}};
      entry["documentation"] = item.note;
    }
  }
  return {{"isIncomplete", false}, {"items", std::move(items)}};
}

}  // namespace vyr
