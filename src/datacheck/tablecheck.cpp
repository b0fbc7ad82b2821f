// The member checks of vyrpack check: each walks the lines of one member the
// way the checker reads them and reports what would stop the run or the load
// (errors) and what cannot do what its writer meant (warnings).
#include "datacheck/tablecheck.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <utility>

#include "checker/orderplace.h"
#include "checker/paramkinds.h"
#include "text/charclass.h"
#include "text/fieldparser.h"
#include "text/words.h"

namespace vyr {

namespace {

constexpr char kUnknownKind[] = "\"Unknown Syntax Parameter.\"";

std::string quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

std::vector<std::string_view> splitWords(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && isSpaceChar(text[i])) ++i;
    const std::size_t start = i;
    while (i < text.size() && !isSpaceChar(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

// A keyword slot, as the checker tells them.
bool isKeyword(std::string_view word) { return isKeywordSlot(word) != 0; }

std::string lowerCopy(std::string_view word) {
  std::string lower(word);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// Plain decimal text as `atoi` reads it in full: blanks, a sign, digits.
bool isPlainNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isSpaceChar(text[i])) ++i;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  if (i == text.size()) return false;
  return std::all_of(text.begin() + static_cast<long>(i), text.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

void checkUnknownSlot(std::string_view word, int line, REPORTER& report) {
  std::string text =
      "unknown slot word " + quoted(word) + ": an order that reaches it ends the run with " + kUnknownKind;
  const std::string lower = lowerCopy(word);
  if (lower != word && isParameterKind(lower))
    text += " (kinds are written in lower case: " + quoted(lower) + ")";
  report.orderError(line, text);
}

// The parameter slots words[first..] of one line. words[first - 1] is the word
// a "." in the first slot would repeat. In a spell's column keywords are never
// compared with the order: variants are chosen before the spell is known.
void checkSlots(const std::vector<std::string_view>& words, std::size_t first, int inSpell, int line,
                REPORTER& report) {
  bool afterStar = false;
  bool afterRepeat = false;
  bool unreachedReported = false;
  for (std::size_t i = first; i < words.size(); ++i) {
    const std::string_view word = words[i];
    const std::string_view before = words[i - 1];
    if (afterRepeat && !isKeyword(word) && !unreachedReported) {
      report.warning(
          line, "slot " + quoted(word) +
                    " after '.' is never reached: '.' repeats the kind before it for every further field");
      unreachedReported = true;
    }
    if (isKeyword(word)) {
      if (inSpell) {
        report.warning(line,
                       "keyword " + quoted(word) +
                           " in a spell's slots is never compared with the order; its field is skipped");
      } else if ((afterStar && before != "*") || afterRepeat) {  // right after '*' it is an error there
        report.warning(line,
                       "keyword " + quoted(word) + " after " + (afterRepeat ? "'.'" : "'*'") +
                           ": it is compared with the field of its word position, which is not the field "
                           "the slots before it leave for it");
      }
    } else if (word == "*") {
      afterStar = true;
      const std::string_view next = i + 1 < words.size() ? words[i + 1] : std::string_view();
      if (next == "#") {
        report.warning(line, "'*' before '#' has no effect");
      } else if (!isParameterKind(next)) {
        report.orderError(line, "'*' must be followed by a parameter kind, not " +
                               (next.empty() ? std::string("the end of the line") : quoted(next)) +
                               ": an order with a field there ends the run with " + kUnknownKind);
      }
    } else if (word == ".") {
      if (!isParameterKind(before)) {
        report.orderError(line, "'.' must follow a parameter kind, not " + quoted(before) +
                               ": an order with a field there ends the run with " + kUnknownKind);
      }
      afterRepeat = true;
    } else if (word == "#") {
      if (i + 1 < words.size()) {
        report.warning(line,
                       before == "spell"
                           ? std::string("the slots after 'spell #' are dropped: the spell's own slots take "
                                         "their place")
                           : std::string("'#' is not the last slot: the slots after it are never examined"));
      }
    } else if (!isParameterKind(word)) {
      checkUnknownSlot(word, line, report);
    }
  }
}

void checkCommandLine(std::string_view text, int line, REPORTER& report) {
  const std::vector<std::string_view> words = splitWords(text);
  if (words.empty()) return;  // a blank line matches no command
  if (words.size() == 1) {
    report.warning(line,
                   "only a scope code " + quoted(words[0]) + " and no command: the line matches no order");
    return;
  }
  const std::string_view command = words[1];
  std::string upper;
  if (toUpperCopy(upper, command) != command) {
    report.warning(line,
                   "command " + quoted(command) +
                       " is not upper case: orders are upper-cased before the look-up, so none can match it");
  } else if (command.front() == ';' || command.front() == '@') {
    report.warning(line, "command " + quoted(command) + " begins with " + quoted(command.substr(0, 1)) +
                             ", which an order reads as a comment or an '@' marker: no order can match it");
  }
  checkSlots(words, 2, 0, line, report);
}

// What the loader would read from one world-file field as a number.
int readNumber(const FIELDPARSER& parser, int field) {
  int value = 0;
  parser.getInt(&value, field);
  return value;
}

// The column of a table line whose opening quote is never closed, or 0. A
// quote opens a column only as its first character and closes it only before
// a tab or the end of the line.
int unclosedQuoteColumn(std::string_view line) {
  std::size_t pos = 0;
  for (int column = 1;; ++column) {
    if (pos < line.size() && line[pos] == '"') {
      std::size_t close = pos + 1;
      while (close < line.size() &&
             !(line[close] == '"' && (close + 1 == line.size() || line[close + 1] == '\t'))) {
        ++close;
      }
      if (close >= line.size()) return column;
      pos = close + 1;
    } else {
      pos = line.find('\t', pos);
      if (pos == std::string_view::npos) return 0;
    }
    if (pos >= line.size()) return 0;
    ++pos;  // past the tab
  }
}

// Whether an earlier entry of world `earlier` hides one of world `later` that
// carries the same name: it is found first in every world the later one is.
bool hides(int earlier, int later) { return earlier == 0 || earlier == later; }

}  // namespace

bool isParameterKind(std::string_view word) { return findParameterKind(word) != nullptr; }

void checkCommandTable(const Lines& lines, REPORTER& report) {
  if (lines.size() <= 2) {
    report.warning(0,
                   "no command lines after the two header lines: every order will draw \"ERROR: "
                   "Unrecognized Command.\"");
  }
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const int line = static_cast<int>(n) + 1;
    if (n < 2) {
      const std::vector<std::string_view> words = splitWords(lines[n]);
      std::string upper;
      if (words.size() >= 2 &&
          (compareNoCase(words[0], "S") == 0 || compareNoCase(words[0], "G") == 0 ||
           compareNoCase(words[0], "C") == 0 || words[0] == "-") &&
          isKeyword(words[1])) {
        report.warning(line, "looks like a command, but the first two lines are a header that is never read");
      }
      continue;
    }
    checkCommandLine(lines[n], line, report);
  }
}

std::set<int> checkWorldFile(const Lines& lines, REPORTER& report) {
  std::set<int> worlds;
  std::map<int, int> worldLine;                  // world number -> line of its first mention
  std::map<int, std::pair<int, int>> gameWorld;  // game -> (world, line)
  for (std::size_t n = 0; n < lines.size(); ++n) {
    if (lines[n].empty()) continue;
    const int line = static_cast<int>(n) + 1;
    const FIELDPARSER parser(lines[n], '\t', '"', 1, 0, 0);
    const int world = readNumber(parser, 1);
    if (world == 0) {
      report.error(line, "world number " + quoted(parser.field(1)) +
                             " reads as 0: the load stops with \"Error Loading World Number.\"");
      continue;
    }
    if (!isPlainNumber(parser.field(1))) {
      report.warning(line,
                     "world number " + quoted(parser.field(1)) + " is read as " + std::to_string(world));
    }
    if (parser.fieldCount() < 2) {
      report.error(line, "world " + std::to_string(world) +
                             " has no name: the load stops with \"Error Loading World Number.\"");
      continue;
    }
    const auto [first, isNew] = worldLine.emplace(world, line);
    if (!isNew) {
      report.warning(line, "world " + std::to_string(world) + " is also on line " +
                               std::to_string(first->second) + ": the games of both go to the first");
    }
    worlds.insert(world);
    for (int field = 3; field <= parser.fieldCount(); ++field) {
      const std::string_view text = parser.field(field);
      const int game = readNumber(parser, field);
      if (game == 0) {
        report.error(line, "game " + quoted(text) + " (field " + std::to_string(field) + ") reads as 0" +
                               (text.empty() ? " (a tab too many?)" : "") +
                               ": the load stops with \"Unable to load game number.\"");
        continue;
      }
      if (!isPlainNumber(text))
        report.warning(line, "game " + quoted(text) + " is read as " + std::to_string(game));
      const auto [other, added] = gameWorld.emplace(game, std::make_pair(world, line));
      if (!added && other->second.first != world) {
        report.warning(line, "game " + std::to_string(game) + " is also in world " +
                                 std::to_string(other->second.first) + " (line " +
                                 std::to_string(other->second.second) +
                                 "): only the lower world number counts");
      }
    }
  }
  return worlds;
}

void checkDataTable(const Lines& lines, const std::set<int>* worlds, int isSpellTable, REPORTER& report) {
  std::map<std::string, std::vector<std::pair<int, int>>> carriers;  // NAME -> (world, line) in line order
  for (std::size_t n = 0; n < lines.size(); ++n) {
    if (lines[n].empty()) continue;  // skipped by the loader, no key taken
    const int line = static_cast<int>(n) + 1;
    const FIELDPARSER parser(lines[n], '\t', '"', 0, 0, 0);
    const int world = readNumber(parser, 1);
    if (!isPlainNumber(parser.field(1))) {
      report.warning(line, "world column " + quoted(parser.field(1)) +
                               " is not a number: the entry is read as world " + std::to_string(world) +
                               " named " + quoted(parser.field(2)));
    } else if (world != 0 && worlds != nullptr && worlds->count(world) == 0) {
      report.warning(line,
                     "world " + std::to_string(world) + " is not in vyrworld.dat: the entry is never found");
    }
    if (const int column = unclosedQuoteColumn(lines[n]); column != 0) {
      report.warning(line, "the quote that opens column " + std::to_string(column) +
                               " is never closed: the rest of the line is read as that column");
    }
    if (parser.fieldCount() > 4) {
      report.warning(line, std::to_string(parser.fieldCount()) +
                               " columns: those after the fourth are ignored (a tab inside a name?)");
    }
    if (parser.field(2).empty() && parser.field(3).empty()) {
      report.warning(line, "the entry has no name: only an empty quoted field finds it");
    }
    std::string name;
    std::string second;
    toUpperCopy(name, parser.field(2));
    toUpperCopy(second, parser.field(3));
    for (const std::string* key : {&name, &second}) {
      if (key->empty() || (key == &second && second == name)) continue;
      auto& list = carriers[*key];
      for (const auto& [otherWorld, otherLine] : list) {
        if (otherLine != line && hides(otherWorld, world)) {
          report.warning(line, "the name " + quoted(key == &name ? parser.field(2) : parser.field(3)) +
                                   " is already taken by the entry on line " + std::to_string(otherLine) +
                                   ", which is found first");
          break;
        }
      }
      list.emplace_back(world, line);
    }
    if (isSpellTable) {
      std::vector<std::string_view> words = splitWords(parser.field(4));
      words.insert(words.begin(), "spell");
      checkSlots(words, 1, 1, line, report);
    }
  }
}

}  // namespace vyr
