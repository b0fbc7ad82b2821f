#include "editor/editspan.h"

#include <algorithm>

#include "text/utf8.h"

namespace vyr {

EDITSPAN spanInLine(std::string_view lineText, int line, std::size_t begin, std::size_t end) {
  end = std::min(end, lineText.size());
  begin = std::min(begin, end);
  const std::string_view head = lineText.substr(0, begin);
  const std::string_view body = lineText.substr(begin, end - begin);
  EDITSPAN span;
  span.line = line;
  span.column = static_cast<int>(begin) + 1;
  span.endColumn = static_cast<int>(end) + 1;
  span.charColumn = countCodePoints(head) + 1;
  span.endCharColumn = span.charColumn + countCodePoints(body);
  span.utf16Column = countUtf16Units(head) + 1;
  span.endUtf16Column = span.utf16Column + countUtf16Units(body);
  return span;
}

std::size_t byteOfUtf16Offset(std::string_view lineText, std::size_t utf16Offset) {
  std::size_t units = 0;
  std::size_t i = 0;
  while (i < lineText.size()) {
    const std::size_t length = std::max<std::size_t>(utf8SequenceLength(lineText, i), 1);
    const std::size_t width = length == 4 ? 2 : 1;
    if (units + width > utf16Offset) break;
    units += width;
    i += length;
  }
  return i;
}

TEXTLINE textLine(std::string_view text, int line) {
  std::size_t start = 0;
  for (int n = 1; n < line; ++n) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) return {text, {}};
    start = end + 1;
  }
  std::size_t end = text.find('\n', start);
  if (end == std::string_view::npos) end = text.size();
  std::string_view body = text.substr(start, end - start);
  if (body.ends_with('\r')) body.remove_suffix(1);
  return {text.substr(0, start), body};
}

}  // namespace vyr
