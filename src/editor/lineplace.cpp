#include "editor/lineplace.h"

#include <algorithm>

#include "checker/ordercommand.h"

namespace vyr {

LINEPLACE::LINEPLACE(std::string_view line, std::size_t offset) : line_(line) {
  std::replace(line_.begin(), line_.end(), '\t', ' ');
  offset = std::min(offset, line_.size());
  parser_ = std::make_unique<FIELDPARSER>(line_, ' ', '"', 1, 1, 1);
  const ORDERCOMMAND command = orderCommand(*parser_);
  commandField_ = command.field;
  if (!command.text.starts_with(';')) command_ = command.text;
  const int count = parser_->fieldCount();
  // The field runs from its start to the next space outside quotes.
  const auto endOf = [this](std::size_t start) {
    std::size_t end = start;
    const bool quoted = end < line_.size() && line_[end] == '"';
    if (quoted) ++end;
    while (end < line_.size() && (quoted ? line_[end] != '"' : line_[end] != ' ')) ++end;
    if (quoted && end < line_.size()) ++end;
    return end;
  };
  field_ = count + 1;
  fieldStart_ = fieldEnd_ = offset;
  for (int n = 1; n <= count; ++n) {
    const auto start = static_cast<std::size_t>(parser_->fieldPosition(n));
    const std::size_t end = endOf(start);
    if (parser_->field(n).starts_with(';') && start < offset) inComment_ = 1;
    if (offset < start) {
      field_ = n;
      break;
    }
    if (offset <= end) {
      field_ = n;
      fieldStart_ = start;
      fieldEnd_ = end;
      break;
    }
  }
  if (fieldStart_ == offset) fieldEnd_ = std::max(fieldEnd_, offset);
  typed_ = std::string_view(line_).substr(fieldStart_, offset - fieldStart_);
}

}  // namespace vyr
