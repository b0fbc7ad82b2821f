// The check pass over a whole orders file: the header line, the lines up to
// the end line, each echoed and checked, and the warning for a game number
// that no world holds.
#include <cstring>

#include "checker/lineorigin.h"
#include "checker/orderlines.h"
#include "checker/syntax.h"
#include "gamedata/synworlds.h"
#include "text/charclass.h"

namespace vyr {

namespace {

const char kGameNumberWarning[] =
    "Warning: Game Number Specified Invalid. Using data that is common to all worlds of Vyr. \n ";

constexpr std::size_t kTabWidth = 8;  // every tab becomes this many spaces

bool isWhite(char c) { return isSpaceChar(c); }

// What wordEquals(1, "#END", 1) answers, without the general word walk.
bool isEndLine(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isWhite(text[i])) ++i;
  constexpr std::string_view kEnd = "#END";
  if (text.size() - i < kEnd.size()) return false;
  for (std::size_t k = 0; k < kEnd.size(); ++k) {
    if (upperChar(text[i + k]) != kEnd[k]) return false;
  }
  return i + kEnd.size() == text.size() || isWhite(text[i + kEnd.size()]);
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isWhite(text.back())) text.remove_suffix(1);
  while (!text.empty() && isWhite(text.front())) text.remove_prefix(1);
  return text;
}

// Whether the line holds "#VYR" anywhere, ignoring case. The pre-pass cannot
// change that (it only replaces tabs, adds a space before a ';' and trims), so
// a line is judged as it was read.
bool holdsHeaderMark(std::string_view text) {
  for (std::size_t at = 0; at + 4 <= text.size(); ++at) {
    const void* hash = std::memchr(text.data() + at, '#', text.size() - 3 - at);
    if (hash == nullptr) return false;
    at = static_cast<std::size_t>(static_cast<const char*>(hash) - text.data());
    if (upperChar(text[at + 1]) == 'V' && upperChar(text[at + 2]) == 'Y' && upperChar(text[at + 3]) == 'R') {
      return true;
    }
  }
  return false;
}

}  // namespace

// With `origin`, the pre-pass records where each prepared byte came from as it
// makes it.
std::string_view SYNTAX::prepareLine(std::string_view text, std::string& work, LINEORIGIN* origin) {
  if (origin != nullptr) {
    origin->written = text;
    origin->from.clear();
    const std::size_t semicolon = text.find(';');
    if (std::memchr(text.data(), '\t', text.size()) == nullptr &&
        (semicolon == std::string_view::npos || semicolon == 0 || text[semicolon - 1] == ' ')) {
      // Only trimmed: every kept byte is its written byte moved by one shift.
      const std::string_view kept = trimmed(text);
      origin->length = static_cast<int>(kept.size());
      origin->shift = kept.empty() ? 0 : static_cast<int>(kept.data() - text.data());
      return kept;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
      origin->from.insert(origin->from.end(), text[i] == '\t' ? kTabWidth : 1, static_cast<int>(i));
    }
  }
  if (std::memchr(text.data(), '\t', text.size()) != nullptr) {
    work.clear();
    for (const char c : text) {
      if (c == '\t') {
        work.append(kTabWidth, ' ');
      } else {
        work.push_back(c);
      }
    }
    text = work;
  }
  const std::size_t semicolon = text.find(';');
  if (semicolon != std::string_view::npos && semicolon > 0 && text[semicolon - 1] != ' ') {
    if (text.data() != work.data()) work.assign(text);
    work.insert(semicolon, 1, ' ');
    text = work;
    if (origin != nullptr) {
      const auto at = origin->from.begin() + static_cast<std::ptrdiff_t>(semicolon);
      origin->from.insert(at, *at);  // the inserted space comes from the ';'
    }
  }
  const std::string_view kept = trimmed(text);
  if (origin != nullptr) {
    const auto begin = static_cast<std::size_t>(kept.data() - text.data());
    origin->from.erase(origin->from.begin() + static_cast<std::ptrdiff_t>(begin + kept.size()), origin->from.end());
    origin->from.erase(origin->from.begin(), origin->from.begin() + static_cast<std::ptrdiff_t>(begin));
    origin->compact();
  }
  return kept;
}

int SYNTAX::checkOrderLines(ORDERLINES& in, BUFFER* out, OUTTEXT* outText, int* errorCount, int* warningCount,
                            int gameNo) {
  *errorCount = 0;
  *warningCount = 0;
  errors_ = 0;
  warnings_ = 0;
  orderLines_ = 0;
  tableFault_ = TABLEFAULT{};
  int results = 0;
  if (out == nullptr && outText == nullptr) return 0;
  output_ = out;
  outText_ = out == nullptr ? outText : nullptr;
  loadSyntaxData(0, 0);

  world_ = gameData()->worldOfGame(gameNo);
  if (world_ == 0) {
    BUFFER warning;
    warning.addWrappedText("", kGameNumberWarning, 2, 70, 0, "#> ");
    for (int n = 1; n <= warning.lineCount(); ++n) emitLine(warning.lineString(n)->view());
    ++warnings_;
    ++results;
    if (sink_ != nullptr) {
      CHECKREPORT report;
      report.position = 0;
      report.end = 0;
      report.message = "Warning: Game Number Specified Invalid. Using data that is common to all worlds of Vyr.";
      report.isWarning = 1;
      report.code = FINDINGCODE::kUnknownGame;
      sink_->finding(report);
    }
  }

  const bool preparing = in.needsPreparing() != 0;
  const auto prepare = [&](std::string_view text) { return preparing ? prepareLine(text, prepared_) : text; };
  // Checking starts after the first line that holds "#VYR", or at line 1.
  std::string_view line;
  int number = 0;
  bool header = false;
  while (!header && in.next(line)) {
    ++number;
    header = holdsHeaderMark(line);
  }
  if (header) {
    emitLine(prepare(line));
    if (orderSink_ != nullptr) {
      ORDERREPORT report;
      report.isHeader = 1;
      orderSink_->order(report);
    }
  } else {
    number = 0;
    (void)in.rewind();
  }
  in.startChecking();
  while (in.next(line)) {
    ++number;
    const std::string_view text = prepare(line);
    // The line as it goes out: an empty line and the end line as they stand,
    // an order indented by two spaces.
    if (text.empty()) {
      emitLine(text);
      continue;
    }
    if (isEndLine(text)) {
      emitLine(text);
      break;
    }
    parser_.parseLine("  ", text);
    currentLine_ = number;
    const int ordersBefore = orderLines_;
    results += checkOrderLine(parser_);
    if (orderSink_ != nullptr && orderLines_ != ordersBefore) {
      lastOrder_.opensShire = currentShire_.key() != 0 ? 1 : 0;
      orderSink_->order(lastOrder_);
    }
    if (tableFault_.line != 0) break;  // the pass stops at an order that reached a fault of the table
  }
  in.finish();
  currentLine_ = 0;
  outText_ = nullptr;
  *errorCount = errors_;
  *warningCount = warnings_;
  return results > 0 ? 1 : 0;
}

}  // namespace vyr
