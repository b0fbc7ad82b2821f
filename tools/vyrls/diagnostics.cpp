#include "vyrls/diagnostics.h"

#include <algorithm>
#include <cstring>

#include "checker/findingformat.h"

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

}  // namespace

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
