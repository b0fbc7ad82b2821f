#include "editor/quickfix.h"

#include <algorithm>

namespace vyr {

int quickFixFor(std::string_view suggestion, QUICKFIX& fix) {
  if (suggestion.empty()) return 0;
  fix.title = "Replace with '" + std::string(suggestion) + "'";
  fix.newText = suggestion.find(' ') != std::string_view::npos ? "\"" + std::string(suggestion) + "\""
                                                               : std::string(suggestion);
  return 1;
}

int applyQuickFix(std::string_view text, const FINDING& finding, std::string& fixed) {
  QUICKFIX fix;
  if (!quickFixFor(finding.suggestion, fix) || finding.line < 1 || finding.column < 1 ||
      finding.endColumn < finding.column) {
    return 0;
  }
  std::size_t start = 0;
  for (int line = 1; line < finding.line; ++line) {
    const std::size_t newline = text.find('\n', start);
    if (newline == std::string_view::npos) return 0;
    start = newline + 1;
  }
  const std::size_t lineEnd = std::min(text.find('\n', start), text.size());
  const std::size_t from = start + static_cast<std::size_t>(finding.column - 1);
  const std::size_t to = start + static_cast<std::size_t>(finding.endColumn - 1);
  if (to > lineEnd) return 0;
  fixed.assign(text.substr(0, from));
  fixed += fix.newText;
  fixed += text.substr(to);
  return 1;
}

}  // namespace vyr
