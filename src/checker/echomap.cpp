#include "checker/echomap.h"

#include <cctype>

namespace vyr {

namespace {

constexpr int kTabWidth = 8;  // the pre-pass's tab expansion: always eight spaces
constexpr int kEchoIndent = 2;

bool isWhite(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

}  // namespace

ECHOMAP::ECHOMAP(std::string_view written) {
  std::string text;
  std::vector<int> from;
  for (std::size_t i = 0; i < written.size(); ++i) {
    const int count = written[i] == '\t' ? kTabWidth : 1;
    text.append(static_cast<std::size_t>(count), written[i] == '\t' ? ' ' : written[i]);
    from.insert(from.end(), static_cast<std::size_t>(count), static_cast<int>(i));
  }
  const std::size_t semicolon = text.find(';');
  if (semicolon != std::string::npos && semicolon > 0 && text[semicolon - 1] != ' ') {
    text.insert(semicolon, 1, ' ');
    from.insert(from.begin() + static_cast<std::ptrdiff_t>(semicolon), from[semicolon]);
  }
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (end > 0 && isWhite(text[end - 1])) --end;
  while (begin < end && isWhite(text[begin])) ++begin;
  prepared_ = text.substr(begin, end - begin);
  source_.assign(from.begin() + static_cast<std::ptrdiff_t>(begin),
                 from.begin() + static_cast<std::ptrdiff_t>(end));

  std::size_t length = written.size();
  if (length > 0 && written[length - 1] == '\r') --length;
  endColumn_ = static_cast<int>(length) + 1;
}

int ECHOMAP::column(int echoPosition) const {
  const int index = echoPosition - kEchoIndent;
  if (echoPosition < 0 || index >= static_cast<int>(source_.size())) return endColumn_;
  if (index < 0) return 1;
  return source_[static_cast<std::size_t>(index)] + 1;
}

}  // namespace vyr
