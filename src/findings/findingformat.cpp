#include "findings/findingformat.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "text/utf8.h"

namespace vyr {

namespace {

constexpr std::string_view kLeads[] = {"ERROR: ", "WARNING: ", "Warning: ", "NOTE: "};
constexpr std::string_view kReplacement = "\\ufffd";


// A field of a JSON object after the first: `key` is its name with the
// punctuation around it, as in ",\"file\":", appended in one piece.
void appendJsonField(std::string& line, std::string_view key, std::string_view text) {
  line += key;
  appendJsonString(line, text);
}

void appendNumber(std::string& line, int value) {
  std::array<char, 16> digits{};
  const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
  line.append(digits.data(), end);
}

// "1 error", "2 errors".
void appendCounted(std::string& line, int n, std::string_view singular) {
  appendNumber(line, n);
  line += ' ';
  line += singular;
  if (n != 1) line += 's';
}

std::string counted(int n, std::string_view singular) {
  std::string text;
  appendCounted(text, n, singular);
  return text;
}

void appendJsonField(std::string& line, std::string_view key, int value) {
  line += key;
  appendNumber(line, value);
}

// A byte that a JSON string holds as it is (ASCII, neither a control
// character nor DEL, a quote or a backslash).
bool standsForItself(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\';
}

// Whether all eight bytes of the word stand for themselves, tested at once:
// (x - 0x01..) & ~x & 0x80.. is nonzero exactly when x has a zero byte, and
// (x - n * 0x01..) & ~x & 0x80.. when it has a byte below n (n <= 128).
bool eightStandForThemselves(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
  const auto hasZero = [](std::uint64_t x) { return ((x - kOnes) & ~x & kHighs) != 0; };
  const bool control = ((word - 0x20 * kOnes) & ~word & kHighs) != 0;
  const bool high = (word & kHighs) != 0;
  return !control && !high && !hasZero(word ^ (0x7F * kOnes)) && !hasZero(word ^ ('"' * kOnes)) &&
         !hasZero(word ^ ('\\' * kOnes));
}

// The end of the run of bytes from `from` on that stand for themselves.
std::size_t plainRunEnd(std::string_view text, std::size_t from) {
  std::size_t end = from;
  for (std::uint64_t word = 0; end + 8 <= text.size(); end += 8) {
    std::memcpy(&word, text.data() + end, 8);
    if (!eightStandForThemselves(word)) break;
  }
  while (end < text.size() && standsForItself(text[end])) ++end;
  return end;
}

}  // namespace

std::string_view plainMessage(std::string_view message) {
  for (const std::string_view lead : kLeads) {
    if (message.starts_with(lead)) return message.substr(lead.size());
  }
  return message;
}

// Runs of bytes that stand for themselves, most of any text, are appended whole.
std::string& appendJsonString(std::string& destination, std::string_view text) {
  destination += '"';
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t plain = plainRunEnd(text, i);
    if (plain > i) {
      destination.append(text.data() + i, plain - i);
      i = plain;
      continue;
    }
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

std::string formatFinding(REPORTFORMAT format, std::string_view file, const FINDING& finding,
                          COLUMNUNIT columns) {
  std::string line;
  appendFinding(line, format, file, finding, columns);
  return line;
}

std::string& appendFinding(std::string& line, REPORTFORMAT format, std::string_view file, const FINDING& finding,
                           COLUMNUNIT columns) {
  const char* severity = severityName(finding.severity);
  if (format == REPORTFORMAT::kJson) {
    line += "{\"format\":1,\"type\":\"finding\"";
    appendJsonField(line, ",\"file\":", file);
    appendJsonField(line, ",\"line\":", finding.line);
    appendJsonField(line, ",\"column\":", finding.column);
    appendJsonField(line, ",\"end_column\":", finding.endColumn);
    appendJsonField(line, ",\"char_column\":", finding.charColumn);
    appendJsonField(line, ",\"end_char_column\":", finding.endCharColumn);
    appendJsonField(line, ",\"severity\":", severity);
    appendJsonField(line, ",\"code\":", finding.code);
    appendJsonField(line, ",\"message\":", plainMessage(finding.message));
    if (finding.suggestion.empty()) {
      line += ",\"suggestion\":null";
    } else {
      appendJsonField(line, ",\"suggestion\":", finding.suggestion);
    }
    line += "}\n";
    return line;
  }
  line += file;
  line += ':';
  appendNumber(line, finding.line);
  line += ':';
  appendNumber(line, columns == COLUMNUNIT::kChar ? finding.charColumn : finding.column);
  line += ": ";
  line += severity;
  line += ": ";
  line += plainMessage(finding.message);
  if (!finding.suggestion.empty()) {
    line += " (did you mean '";
    line += finding.suggestion;
    line += "'?)";
  }
  line += '\n';
  return line;
}

std::string formatFileSummary(REPORTFORMAT format, std::string_view file, const REPORTCOUNTS& counts) {
  std::string line;
  if (format == REPORTFORMAT::kJson) {
    line = "{\"format\":1,\"type\":\"file\"";
    appendJsonField(line, ",\"file\":", file);
    line += counts.checked ? ",\"checked\":true" : ",\"checked\":false";
    if (!counts.checked) appendJsonField(line, ",\"reason\":", counts.reason);
    appendJsonField(line, ",\"errors\":", counts.errors);
    appendJsonField(line, ",\"warnings\":", counts.warnings);
    appendJsonField(line, ",\"unshown\":", counts.unshown);
    line += "}\n";
    return line;
  }
  line.assign(file);
  if (!counts.checked) return line + ": not checked\n";
  line += ": ";
  appendCounted(line, counts.errors, "error");
  line += ", ";
  appendCounted(line, counts.warnings, "warning");
  if (counts.unshown > 0) {
    line += ", ";
    appendNumber(line, counts.unshown);
    line += " not shown";
  }
  line += '\n';
  return line;
}

std::string formatTotal(REPORTFORMAT format, const REPORTCOUNTS& counts) {
  std::string line;
  if (format == REPORTFORMAT::kJson) {
    line = "{\"format\":1,\"type\":\"total\"";
    appendJsonField(line, ",\"files\":", counts.files);
    appendJsonField(line, ",\"unchecked\":", counts.unchecked);
    appendJsonField(line, ",\"errors\":", counts.errors);
    appendJsonField(line, ",\"warnings\":", counts.warnings);
    appendJsonField(line, ",\"status\":", counts.status);
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
