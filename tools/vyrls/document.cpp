#include "vyrls/document.h"

#include <algorithm>
#include <utility>

namespace vyr {

namespace {

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

CHARSIZE charSizeAt(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t size = 1;
  unsigned int lowest = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    size = 2;
    lowest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    size = 3;
    lowest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    size = 4;
    lowest = 0x10000;
  }
  if (size == 1 || at + size > text.size()) return {1, 1};
  unsigned int code = lead & (0x7F >> size);
  for (std::size_t k = 1; k < size; ++k) {
    const auto c = static_cast<unsigned char>(text[at + k]);
    if (!isContinuation(c)) return {1, 1};
    code = (code << 6) | (c & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not characters.
  if (code < lowest || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return {1, 1};
  return {size, size == 4 ? 2 : 1};
}

TEXTDOCUMENT::TEXTDOCUMENT(std::string uri, long long version, std::string text)
    : uri_(std::move(uri)), version_(version), text_(std::move(text)) {
  indexLines(0);
}

void TEXTDOCUMENT::setText(std::string text) {
  text_ = std::move(text);
  indexLines(0);
}

// Rebuilds the line starts after line `fromLine` - 1, scanning from that
// line's start (its "\r" may now meet a "\n"); 0 rebuilds them all.
void TEXTDOCUMENT::indexLines(std::size_t fromLine) {
  if (fromLine == 0 || fromLine > lineStarts_.size()) fromLine = 0;
  lineStarts_.resize(fromLine == 0 ? 1 : fromLine);
  if (fromLine == 0) lineStarts_[0] = 0;
  for (std::size_t at = lineStarts_.back(); at < text_.size(); ++at) {
    const char c = text_[at];
    if (c == '\n') {
      lineStarts_.push_back(at + 1);
    } else if (c == '\r') {
      if (at + 1 < text_.size() && text_[at + 1] == '\n') ++at;
      lineStarts_.push_back(at + 1);
    }
  }
}

std::size_t TEXTDOCUMENT::lineStart(long long line) const {
  if (line < 0) return 0;
  if (line >= lineCount()) return text_.size();
  return lineStarts_[static_cast<std::size_t>(line)];
}

std::size_t TEXTDOCUMENT::lineEnd(std::size_t line) const {
  if (line + 1 >= lineStarts_.size()) return text_.size();
  std::size_t end = lineStarts_[line + 1];
  if (end > lineStarts_[line] && text_[end - 1] == '\n') --end;
  if (end > lineStarts_[line] && text_[end - 1] == '\r') --end;
  return end;
}

std::string_view TEXTDOCUMENT::lineText(long long line) const {
  if (line < 0 || line >= lineCount()) return {};
  const std::size_t start = lineStarts_[static_cast<std::size_t>(line)];
  return std::string_view(text_).substr(start, lineEnd(static_cast<std::size_t>(line)) - start);
}

std::size_t TEXTDOCUMENT::offsetAt(TEXTPOSITION position, POSITIONENCODING encoding) const {
  if (position.line < 0) return 0;
  if (position.line >= lineCount()) return text_.size();
  const auto line = static_cast<std::size_t>(position.line);
  std::size_t at = lineStarts_[line];
  const std::size_t end = lineEnd(line);
  long long left = position.character;
  while (at < end && left > 0) {
    const CHARSIZE size = charSizeAt(text_, at);
    const long long units =
        encoding == POSITIONENCODING::kUtf8 ? static_cast<long long>(size.bytes) : size.units;
    if (units > left) break;  // inside the character: at its start
    left -= units;
    at += size.bytes;
  }
  return at;
}

TEXTPOSITION TEXTDOCUMENT::positionAt(std::size_t offset, POSITIONENCODING encoding) const {
  offset = std::min(offset, text_.size());
  const auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
  const auto line = static_cast<std::size_t>(after - lineStarts_.begin() - 1);
  const std::size_t end = std::min(offset, lineEnd(line));
  TEXTPOSITION position{static_cast<long long>(line), 0};
  for (std::size_t at = lineStarts_[line]; at < end;) {
    const CHARSIZE size = charSizeAt(text_, at);
    if (at + size.bytes > end) break;
    position.character +=
        encoding == POSITIONENCODING::kUtf8 ? static_cast<long long>(size.bytes) : size.units;
    at += size.bytes;
  }
  return position;
}

void TEXTDOCUMENT::replace(TEXTPOSITION from, TEXTPOSITION to, std::string_view text,
                           POSITIONENCODING encoding) {
  std::size_t begin = offsetAt(from, encoding);
  std::size_t end = offsetAt(to, encoding);
  if (end < begin) std::swap(begin, end);
  text_.replace(begin, end - begin, text);
  // Lines before the one holding `begin` keep their starts; a "\r" just
  // before it may join a "\n" of the new text, so that line is redone too.
  const auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), begin);
  indexLines(static_cast<std::size_t>(after - lineStarts_.begin() - 1));
}

TEXTDOCUMENT& DOCUMENTSTORE::open(const std::string& uri, long long version, std::string text) {
  documents_.erase(uri);
  return documents_.emplace(uri, TEXTDOCUMENT(uri, version, std::move(text))).first->second;
}

int DOCUMENTSTORE::close(const std::string& uri) { return documents_.erase(uri) > 0 ? 1 : 0; }

TEXTDOCUMENT* DOCUMENTSTORE::find(const std::string& uri) {
  const auto found = documents_.find(uri);
  return found == documents_.end() ? nullptr : &found->second;
}

std::vector<std::string> DOCUMENTSTORE::uris() const {
  std::vector<std::string> all;
  for (const auto& [uri, document] : documents_) all.push_back(uri);
  return all;
}

}  // namespace vyr
