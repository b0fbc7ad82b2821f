#include "vyrls/diagnostics.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "findings/findingformat.h"
#include "checker/gamenumber.h"

namespace vyr {

namespace {

// The protocol's severities.
int severityNumber(SEVERITY severity) {
  switch (severity) {
    case SEVERITY::kError:
      return 1;
    case SEVERITY::kWarning:
      return 2;
    case SEVERITY::kNote:
      return 3;
  }
  return 1;
}

// The byte offset of a 1-based checker line and column, within that line.
std::size_t offsetOf(const std::vector<std::size_t>& lineStarts, std::string_view text, int line,
                     int column) {
  if (line < 1) line = 1;
  if (static_cast<std::size_t>(line) > lineStarts.size()) return text.size();
  const std::size_t start = lineStarts[static_cast<std::size_t>(line - 1)];
  std::size_t end = static_cast<std::size_t>(line) < lineStarts.size()
                        ? lineStarts[static_cast<std::size_t>(line)] - 1  // before its "\n"
                        : text.size();
  if (end < start) end = start;
  const std::size_t offset = start + static_cast<std::size_t>(std::max(column, 1) - 1);
  return std::min(offset, end);
}

// An anonymous file in memory, closed when it goes.
class MEMORYFILE {
 public:
  MEMORYFILE() : fd_(::memfd_create("vyrls-orders", MFD_CLOEXEC)) {}
  ~MEMORYFILE() {
    if (fd_ >= 0) ::close(fd_);
  }
  MEMORYFILE(const MEMORYFILE&) = delete;
  MEMORYFILE& operator=(const MEMORYFILE&) = delete;

  // Writes the whole text; answers 1, or 0 with errno set.
  int write(std::string_view text) {
    if (fd_ < 0) return 0;
    for (std::size_t at = 0; at < text.size();) {
      const ssize_t put = ::write(fd_, text.data() + at, text.size() - at);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return 0;
      at += static_cast<std::size_t>(put);
    }
    return 1;
  }
  // A path that opens the file afresh, from its first byte.
  [[nodiscard]] std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool startsWithNoCase(std::string_view text, std::string_view word) {
  if (text.size() < word.size()) return false;
  for (std::size_t k = 0; k < word.size(); ++k) {
    if (std::toupper(static_cast<unsigned char>(text[k])) != word[k]) return false;
  }
  return true;
}

// The byte offset of the first "#VYR" (any case) in the text, or npos.
std::size_t headerMark(std::string_view text) {
  for (std::size_t at = text.find('#'); at != std::string_view::npos; at = text.find('#', at + 1)) {
    if (startsWithNoCase(text.substr(at + 1), "VYR")) return at;
  }
  return std::string_view::npos;
}

}  // namespace

nlohmann::json headerGameHint(const TEXTDOCUMENT& document, int gameNo, POSITIONENCODING encoding) {
  const std::string& text = document.text();
  const std::size_t mark = headerMark(text);
  if (mark == std::string_view::npos) return nullptr;
  // After the mark: blanks, the word "Game" (any case) if it is there, blanks, the number.
  const std::size_t lineEnd = std::min(text.find_first_of("\r\n", mark), text.size());
  const std::string_view rest = std::string_view(text).substr(0, lineEnd);
  std::size_t at = mark + 4;
  while (at < rest.size() && isBlank(rest[at])) ++at;
  if (startsWithNoCase(rest.substr(at), "GAME")) {
    at += 4;
    while (at < rest.size() && isBlank(rest[at])) ++at;
  }
  std::size_t end = at;
  while (end < rest.size() && !isBlank(rest[end])) ++end;
  int named = 0;
  if (end == at || !parseGameNumber(rest.substr(at, end - at), named) || named == gameNo) return nullptr;
  const std::string checked = std::to_string(gameNo);
  return {{"range", rangeJson(document.positionAt(at, encoding), document.positionAt(end, encoding))},
          {"severity", 4},
          {"source", "vyrls"},
          {"message", "The header names game " + std::to_string(named) +
                          "; the editor checks these orders for game " + checked +
                          ". Set the editor's setting \"game\" to " + std::to_string(named) +
                          " to check them for that game (vyrls.md, \"Switching the game\")."}};
}

CHECKRESULT checkAsSaved(std::string_view text, int gameNo, const CHECKOPTIONS& options) {
  CHECKRESULT result;
  MEMORYFILE file;
  if (!file.write(text) || !checkOrdersFile(file.path(), gameNo, result, options)) {
    result = CHECKRESULT{};
    result.checked = 0;
    result.reason = std::string("the text cannot be saved for its check: ") + std::strerror(errno);
  }
  return result;
}

std::vector<std::size_t> checkerLineStarts(std::string_view text) {
  std::vector<std::size_t> starts{0};
  for (const char *at = text.data(), *end = text.data() + text.size();
       at < end && (at = static_cast<const char*>(
                        std::memchr(at, '\n', static_cast<std::size_t>(end - at)))) != nullptr;) {
    ++at;
    starts.push_back(static_cast<std::size_t>(at - text.data()));
  }
  return starts;
}

nlohmann::json positionJson(TEXTPOSITION position) {
  return {{"line", position.line}, {"character", position.character}};
}

nlohmann::json rangeJson(TEXTPOSITION start, TEXTPOSITION end) {
  return {{"start", positionJson(start)}, {"end", positionJson(end)}};
}

TEXTPOSITION positionFrom(const nlohmann::json& position) {
  TEXTPOSITION read;
  if (!position.is_object()) return read;
  const auto number = [&position](const char* name) -> long long {
    const auto found = position.find(name);
    if (found == position.end()) return 0;
    if (found->is_number_integer()) return found->get<long long>();
    if (found->is_number_float()) return static_cast<long long>(found->get<double>());
    return 0;
  };
  read.line = number("line");
  read.character = number("character");
  return read;
}

nlohmann::json diagnosticOf(const FINDING& finding, const TEXTDOCUMENT& document,
                            const std::vector<std::size_t>& lineStarts, POSITIONENCODING encoding,
                            const std::string& codesUrl) {
  const std::string& text = document.text();
  const std::size_t begin = offsetOf(lineStarts, text, finding.line, finding.column);
  const std::size_t end =
      std::max(begin, offsetOf(lineStarts, text, finding.line, std::max(finding.endColumn, finding.column)));
  nlohmann::json diagnostic = {
      {"range", rangeJson(document.positionAt(begin, encoding), document.positionAt(end, encoding))},
      {"severity", severityNumber(finding.severity)},
      {"source", "vyr"},
      {"message", std::string(plainMessage(finding.message))},
  };
  if (!finding.code.empty()) {
    diagnostic["code"] = finding.code;
    if (!codesUrl.empty()) diagnostic["codeDescription"] = {{"href", codesUrl + "#" + finding.code}};
  }
  if (!finding.suggestion.empty()) diagnostic["data"] = {{"suggestion", finding.suggestion}};
  return diagnostic;
}

nlohmann::json diagnosticsOf(const std::vector<FINDING>& findings, const TEXTDOCUMENT& document,
                             POSITIONENCODING encoding, const std::string& codesUrl) {
  const std::vector<std::size_t> lineStarts = checkerLineStarts(document.text());
  nlohmann::json all = nlohmann::json::array();
  for (const FINDING& finding : findings) {
    all.push_back(diagnosticOf(finding, document, lineStarts, encoding, codesUrl));
  }
  return all;
}

}  // namespace vyr
