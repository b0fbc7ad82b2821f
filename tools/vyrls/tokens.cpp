// Semantic tokens: the library's tokens in the protocol's relative encoding.
#include "editor/tokens.h"
#include "vyrls/features.h"

namespace vyr {

nlohmann::json semanticTokensLegend() {
  // In the order of TOKENKIND.
  return {{"tokenTypes", {"function", "keyword", "number", "variable", "string", "comment", "macro"}},
          {"tokenModifiers", nlohmann::json::array()}};
}

nlohmann::json semanticTokensOf(const TEXTDOCUMENT& document, const FEATURECONTEXT& context) {
  const bool bytes = context.encoding == POSITIONENCODING::kUtf8;
  std::vector<int> data;
  int lastLine = 0;
  int lastStart = 0;
  for (const TOKEN& token : tokensOf(document.text(), context.gameNo)) {
    const int start = (bytes ? token.span.column : token.span.utf16Column) - 1;
    const int length = bytes ? token.span.endColumn - token.span.column
                             : token.span.endUtf16Column - token.span.utf16Column;
    if (length <= 0) continue;
    const int line = token.span.line - 1;
    data.insert(data.end(), {line - lastLine, line == lastLine ? start - lastStart : start, length,
                             static_cast<int>(token.kind), 0});
    lastLine = line;
    lastStart = start;
  }
  return {{"data", data}};
}

}  // namespace vyr
