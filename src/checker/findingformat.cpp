#include "checker/findingformat.h"

#include <array>
#include <cstdio>

#include "text/utf8.h"

namespace vyr {

namespace {

constexpr std::string_view kLeads[] = {"ERROR: ", "WARNING: ", "Warning: "};
constexpr std::string_view kReplacement = "\\ufffd";

std::string counted(int n, std::string_view singular) {
  std::string text = std::to_string(n);
  text += ' ';
  text += singular;
  if (n != 1) text += 's';
  return text;
}

void appendJsonField(std::string& line, std::string_view name, std::string_view text) {
  line += ",\"";
  line += name;
  line += "\":";
  appendJsonString(line, text);
}

void appendJsonField(std::string& line, std::string_view name, int value) {
  line += ",\"";
  line += name;
  line += "\":";
  line += std::to_string(value);
}

}  // namespace

std::string_view plainMessage(std::string_view message) {
  for (const std::string_view lead : kLeads) {
    if (message.starts_with(lead)) return message.substr(lead.size());
  }
  return message;
}

std::string& appendJsonString(std::string& destination, std::string_view text) {
  destination += '"';
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const std::size_t length = utf8SequenceLength(text, i);
      if (length == 0) {
        destination += kReplacement;
        ++i;
      } else {
        destination.append(text, i, length);
        i += length;
      }
      continue;
    }
    if (c == '"' || c == '\\') {
      destination += '\\';
      destination += static_cast<char>(c);
    } else if (c == '\n') {
      destination += "\\n";
    } else if (c == '\t') {
      destination += "\\t";
    } else if (c == '\r') {
      destination += "\\r";
    } else if (c < 0x20 || c == 0x7F) {
      std::array<char, 8> escape{};
      std::snprintf(escape.data(), escape.size(), "\\u%04x", c);
      destination += escape.data();
    } else {
      destination += static_cast<char>(c);
    }
    ++i;
  }
  destination += '"';
  return destination;
}

std::string formatFinding(REPORTFORMAT format, std::string_view file, const FINDING& finding) {
  const char* severity = severityName(finding.severity);
  std::string line;
  if (format == REPORTFORMAT::kJson) {
    line = "{\"format\":1,\"type\":\"finding\"";
    appendJsonField(line, "file", file);
    appendJsonField(line, "line", finding.line);
    appendJsonField(line, "column", finding.column);
    appendJsonField(line, "end_column", finding.endColumn);
    appendJsonField(line, "char_column", finding.charColumn);
    appendJsonField(line, "end_char_column", finding.endCharColumn);
    appendJsonField(line, "severity", severity);
    appendJsonField(line, "code", finding.code);
    appendJsonField(line, "message", plainMessage(finding.message));
    if (finding.suggestion.empty()) {
      line += ",\"suggestion\":null";
    } else {
      appendJsonField(line, "suggestion", finding.suggestion);
    }
    line += "}\n";
    return line;
  }
  line.assign(file);
  line += ':' + std::to_string(finding.line) + ':' + std::to_string(finding.column) + ": " + severity + ": ";
  line += plainMessage(finding.message);
  if (!finding.suggestion.empty()) line += " (did you mean '" + finding.suggestion + "'?)";
  line += '\n';
  return line;
}

std::string formatFileSummary(REPORTFORMAT format, std::string_view file, const REPORTCOUNTS& counts) {
  std::string line;
  if (format == REPORTFORMAT::kJson) {
    line = "{\"format\":1,\"type\":\"file\"";
    appendJsonField(line, "file", file);
    line += counts.checked ? ",\"checked\":true" : ",\"checked\":false";
    appendJsonField(line, "errors", counts.errors);
    appendJsonField(line, "warnings", counts.warnings);
    appendJsonField(line, "unshown", counts.unshown);
    line += "}\n";
    return line;
  }
  line.assign(file);
  if (!counts.checked) return line + ": not checked\n";
  line += ": " + counted(counts.errors, "error") + ", " + counted(counts.warnings, "warning");
  if (counts.unshown > 0) line += ", " + std::to_string(counts.unshown) + " not shown";
  line += '\n';
  return line;
}

std::string formatTotal(REPORTFORMAT format, const REPORTCOUNTS& counts) {
  std::string line;
  if (format == REPORTFORMAT::kJson) {
    line = "{\"format\":1,\"type\":\"total\"";
    appendJsonField(line, "files", counts.files);
    appendJsonField(line, "unchecked", counts.unchecked);
    appendJsonField(line, "errors", counts.errors);
    appendJsonField(line, "warnings", counts.warnings);
    appendJsonField(line, "status", counts.status);
    line += "}\n";
    return line;
  }
  line = "total: " + counted(counts.files, "file") + ", " + counted(counts.errors, "error") + ", " +
         counted(counts.warnings, "warning");
  if (counts.unchecked > 0) line += ", " + std::to_string(counts.unchecked) + " not checked";
  line += '\n';
  return line;
}

}  // namespace vyr
