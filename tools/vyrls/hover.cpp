#include "editor/hover.h"

#include "vyrls/diagnostics.h"
#include "vyrls/features.h"

namespace vyr {

nlohmann::json hoverAt(const TEXTDOCUMENT& document, TEXTPOSITION position, const FEATURECONTEXT& context) {
  const std::size_t offset = document.offsetAt(position, context.encoding);
  const TEXTPOSITION at = document.positionAt(offset, context.encoding);
  const std::size_t lineStart = document.lineStart(at.line);
  HOVER hover;
  if (hoverInLine(document.lineText(at.line), static_cast<int>(at.line + 1), offset - lineStart, context.gameNo,
                  hover) == 0) {
    return nullptr;
  }
  const auto place = [&](int column) {
    return document.positionAt(lineStart + static_cast<std::size_t>(column - 1), context.encoding);
  };
  return {{"contents", {{"kind", "markdown"}, {"value", hover.markdown}}},
          {"range", rangeJson(place(hover.span.column), place(hover.span.endColumn))}};
}

}  // namespace vyr
