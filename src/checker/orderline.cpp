// Checking one order line: echo, variant selection, scope, the slot walk over
// the variant's parameter slots, surplus fields and SHIRE tracking.
#include <climits>
#include <string>

#include "checker/commandtable.h"
#include "checker/ordercommand.h"
#include "checker/orderplace.h"
#include "checker/paramkinds.h"
#include "checker/syntax.h"
#include "gamedata/synworlds.h"
#include "text/editdistance.h"

namespace vyr {

namespace {

bool startsWith(std::string_view text, char c) { return !text.empty() && text.front() == c; }

// Word k (1-based) of a variant and its slot code; the empty text and
// kNoKind past its end.
std::string_view wordAt(std::span<const std::string_view> words, int k) {
  return k >= 1 && k <= static_cast<int>(words.size()) ? words[k - 1] : std::string_view();
}
signed char codeAt(std::span<const signed char> codes, int k) {
  return k >= 1 && k <= static_cast<int>(codes.size()) ? codes[k - 1] : slotcode::kNoKind;
}

const PARAMKIND* kindOf(signed char code) {
  return code >= 0 ? &parameterKinds()[static_cast<std::size_t>(code)] : nullptr;
}

}  // namespace

void SYNTAX::addCheckLine(const FIELDPARSER& parser, int n, std::string_view message) {
  const int pos = parser.fieldPosition(n);
  std::string& line = checkLine_;
  line.clear();
  if (pos == -1) {
    line.assign(1, '#');
    line.append(parser.line().size(), '-');
  } else if (pos > 1) {
    line.assign(1, '#');
    line.append(static_cast<std::size_t>(pos - 2), '-');
  }
  line += "> ";
  line += message;
  emitLine(line);
}

void SYNTAX::report(const FIELDPARSER& parser, int field, std::string_view message, int isWarning,
                    FINDINGCODE code, const PARAMKIND* kind, std::string_view subject) {
  if (reportsOnLine_ >= kMaxReportsPerLine) return;
  ++reportsOnLine_;
  addCheckLine(parser, field, message);
  if (isWarning) {
    ++warnings_;
  } else {
    ++errors_;
  }
  if (sink_ != nullptr) {
    CHECKREPORT found = fieldReport(parser, field, message, code);
    if (field == 1) {
      // The check line stands at field 1, but the finding is about the
      // command: without the '@' marker, glued or apart.
      const ORDERCOMMAND order = orderCommand(parser);
      found.position = parser.fieldPosition(order.field);
      found.end = parser.fieldEnd(order.field);
      if (order.field == 1 && parser.field(1).starts_with('@') && found.position >= 0) ++found.position;
    }
    if (!subject.empty()) found.subject = subject;
    found.isWarning = isWarning;
    found.kind = kind;
    sink_->finding(found);
  }
}

CHECKREPORT SYNTAX::fieldReport(const FIELDPARSER& parser, int field, std::string_view message,
                                FINDINGCODE code) const {
  CHECKREPORT found;
  found.line = currentLine_;
  found.field = field;
  found.position = parser.fieldPosition(field);
  found.end = parser.fieldEnd(field);
  found.echo = parser.line();
  found.message = message;
  found.subject = parser.field(field);
  found.code = code;
  return found;
}

int SYNTAX::checkOrderLine(const FIELDPARSER& parser) {
  reportsOnLine_ = 0;
  emitLine(parser.line());
  const std::string_view first = parser.field(1);
  if (parser.fieldCount() == 0 || startsWith(first, ';')) return errors_ > 0 || warnings_ > 0 ? 1 : 0;
  ++orderLines_;

  const ORDERCOMMAND order = orderCommand(parser);
  const int s = order.shift;
  const std::string_view command = order.text;
  lastOrder_ = ORDERREPORT{currentLine_, command, 0, 0, currentShire_.key() != 0 ? 1 : 0, 0};
  if (s == 1 && (parser.fieldCount() < 2 || startsWith(command, ';'))) return 0;
  if (!loaded_) loadSyntaxData(0, 0);

  if (const auto* variant = selectVariant(parser, command, s)) {
    SLOTWALK& walk = walk_;
    walk.words = *variant;
    walk.codes = sharedCommandTable()->slotCodes(variant);
    walk.p = 3;
    walk.e = 2 + s;
    walk.repeat = false;
    walk.optional = false;
    walk.ground = false;
    walk.done = false;
    const std::string_view scope = wordAt(walk.words, 1);
    lastOrder_.scope = scopeCode(scope);
    checkScope(parser, scope);
    walkSlots<false>(parser, walk);
    if (tableFault_.line != 0) return 0;  // the check pass stops at this order
    checkExtraFields(parser, walk);
  }
  noteUnclosedQuote(parser);

  if (first.size() == 5 && parser.fieldEquals(1, "SHIRE", 1)) {
    lastOrder_.isShire = 1;
    if (errors_ == 1) {
      currentShire_.setLocation(1, 1);
    } else {
      currentShire_.parseLocation(parser.field(2));
    }
  }
  return errors_ > 0 || warnings_ > 0 ? 1 : 0;
}

// The first variant, in table order, whose keywords all match the order's
// fields; reports the line's error and answers null when there is none.
const std::vector<std::string_view>* SYNTAX::selectVariant(const FIELDPARSER& parser,
                                                           std::string_view command, int s) {
  int rejected = -1;
  const COMMANDTABLE& table = *sharedCommandTable();
  for (const auto* variant : table.variants(command)) {
    bool matches = true;
    for (const int k : table.keywords(variant)) {
      if (!parser.fieldEquals(k - 1 + s, (*variant)[k - 1], 1)) {
        matches = false;
        break;
      }
    }
    if (matches) return variant;
    ++rejected;
  }
  if (rejected > 0) {
    report(parser, 1, "ERROR: Missing One Or More Command Parameters.", 0, FINDINGCODE::kMissingParameters,
           nullptr, command);
    noteMisspelledKeyword(parser, command, s);
  } else {
    report(parser, 1, "ERROR: Unrecognized Command.", 0, FINDINGCODE::kUnknownCommand, nullptr, command);
    noteMisspelledKeyword(parser, command, s);  // a command of one form says this when its keyword is wrong
  }
  return nullptr;
}

void SYNTAX::note(int position, int end, std::string_view message, FINDINGCODE code, std::string_view subject,
                  const PARAMKIND* kind, std::string_view suggestion) {
  if (notes_ == 0 || sink_ == nullptr) return;
  CHECKREPORT found;
  found.line = currentLine_;
  found.position = position;
  found.end = end;
  found.message = message;
  found.subject = subject;
  found.isNote = 1;
  found.code = code;
  found.kind = kind;
  found.suggestion = suggestion;
  sink_->finding(found);
}

// A quote that opens a name and is never closed takes the rest of the line
// into the name. Quotes inside a trailing comment do not count.
void SYNTAX::noteUnclosedQuote(const FIELDPARSER& parser) {
  if (notes_ == 0 || sink_ == nullptr) return;
  const std::string_view line = parser.line();
  if (line.find('"') == std::string_view::npos) return;  // most lines hold no quote at all
  int open = -1;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') {
      open = open < 0 ? static_cast<int>(i) : -1;
    } else if (line[i] == ';' && open < 0 && (i == 0 || line[i - 1] == ' ')) {
      break;
    }
  }
  if (open < 0) return;
  note(open, static_cast<int>(line.size()),
       "NOTE: This quote is never closed: the field runs to the end of the line.",
       FINDINGCODE::kUnclosedQuote, line.substr(static_cast<std::size_t>(open)));
}

// The command exists but no form matched: a form whose keywords all match but
// one, and that one is a near spelling of the field there, is most likely
// what the player meant.
void SYNTAX::noteMisspelledKeyword(const FIELDPARSER& parser, std::string_view command, int s) {
  if (notes_ == 0 || sink_ == nullptr) return;
  int bestDistance = INT_MAX;
  int bestField = 0;
  std::string_view bestKeyword;
  for (const auto* variant : sharedCommandTable()->variants(command)) {
    int wrong = 0;
    int wrongField = 0;
    std::string_view wrongKeyword;
    for (int k = 3; k <= static_cast<int>(variant->size()); ++k) {
      const std::string_view word = (*variant)[k - 1];
      if (isKeywordSlot(word) && !parser.fieldEquals(k - 1 + s, word, 1)) {
        ++wrong;
        wrongField = k - 1 + s;
        wrongKeyword = word;
      }
    }
    if (wrong != 1 || parser.fieldCount() < wrongField) continue;
    const std::string_view typed = parser.field(wrongField);
    const int distance = editDistance(typed, wrongKeyword);
    if (distance <= suggestionLimit(typed) && distance < bestDistance) {
      bestDistance = distance;
      bestField = wrongField;
      bestKeyword = wrongKeyword;
    }
  }
  if (bestField == 0) return;
  const std::string_view typed = parser.field(bestField);
  std::string message = "NOTE: '";
  message += typed;
  message += "' is no keyword of ";
  message += command;
  message += ".";
  note(parser.fieldPosition(bestField), parser.fieldEnd(bestField), message, FINDINGCODE::kMisspelledKeyword,
       typed, nullptr, bestKeyword);
}

void SYNTAX::checkScope(const FIELDPARSER& parser, std::string_view scope) {
  switch (scopeFault(scope, currentShire_.key() != 0 ? 1 : 0)) {
    case SCOPEFAULT::kOutsideShire:
      report(parser, 1, "ERROR: Shire Type Order Is Not Under A SHIRE Order.", 0,
             FINDINGCODE::kOrderOutsideShire);
      return;
    case SCOPEFAULT::kGlobalUnderShire:
      report(parser, 1, "WARNING: Global Orders Do Not Need To Be Under A Shire Orders.", 1,
             FINDINGCODE::kGlobalUnderShire);
      return;
    case SCOPEFAULT::kCityUnderShire:
      report(parser, 1, "WARNING: City Orders Do Not Need To Be Under A Shire Order.", 1,
             FINDINGCODE::kCityUnderShire);
      return;
    case SCOPEFAULT::kNone:
      return;
  }
}

template <bool kTellSlots>
void SYNTAX::walkSlots(const FIELDPARSER& parser, SLOTWALK& walk) {
  const int fields = parser.fieldCount();
  // A walk that can no longer report anything stops early: the rest of a
  // repeated slot could only add faults past the line's limit.
  while (walk.p <= static_cast<int>(walk.codes.size()) && !walk.done && reportsOnLine_ < kMaxReportsPerLine) {
    const signed char code = walk.codes[static_cast<std::size_t>(walk.p - 1)];
    if constexpr (kTellSlots) {
      if (code == slotcode::kKeyword) slotSink_->slot(walk.e, wordAt(walk.words, walk.p));
    }
    if (code != slotcode::kKeyword) {
      const std::string_view text = parser.field(walk.e);
      const bool missing = fields < walk.e;
      int kindAt = walk.p;     // the word that names the slot's kind
      signed char here = code;  // the code of word p, the slot itself
      if (code == slotcode::kRepeat) {
        walk.repeat = true;
        kindAt = walk.p - 1;
      } else if (code == slotcode::kOptional) {
        ++walk.p;
        kindAt = walk.p;
        here = codeAt(walk.codes, walk.p);
        walk.optional = true;
      }
      const signed char kind = kindAt == walk.p ? here : codeAt(walk.codes, kindAt);
      const bool anyOptional = walk.repeat || walk.optional;
      if constexpr (kTellSlots)
        slotSink_->slot(walk.e, here == slotcode::kFreeText ? std::string_view("#") : wordAt(walk.words, kindAt));
      if (here == slotcode::kFreeText || (anyOptional && missing)) {
        walk.done = true;
      } else if (startsWith(text, ';')) {
        if (!anyOptional)
          report(parser, walk.e, "ERROR: Expected More Parameters, Found Comment.", 0,
                 FINDINGCODE::kCommentForParameter, kindOf(kind));
        walk.done = true;
      } else if (walk.ground) {
        report(parser, walk.e, "ERROR: No More Parameters Allowed After GROUND.", 0,
               FINDINGCODE::kParameterAfterGround, kindOf(kind));
        walk.done = true;
      } else if (missing) {
        report(parser, walk.e, "ERROR: Expected More Parameters.", 0, FINDINGCODE::kMissingParameter,
               kindOf(kind));
        walk.done = true;
      } else {
        validateParameter(parser, kind, kindAt, walk.e, walk);
      }
      if (walk.done) break;
    }
    ++walk.e;
    if (!walk.repeat) ++walk.p;
  }
}

void SYNTAX::walkVariant(const FIELDPARSER& parser, const std::vector<std::string_view>& variant, int shift,
                         int gameNo, SLOTSINK& sink) {
  BUFFER scratch;
  output_ = &scratch;
  world_ = gameData()->worldOfGame(gameNo);
  stopAtTableFault_ = 1;
  reportsOnLine_ = 0;
  SLOTWALK& walk = walk_;
  walk.words = variant;
  walk.codes = sharedCommandTable()->slotCodes(&variant);
  walk.p = 3;
  walk.e = 2 + shift;
  walk.repeat = false;
  walk.optional = false;
  walk.ground = false;
  walk.done = false;
  slotSink_ = &sink;
  walkSlots<true>(parser, walk);
  slotSink_ = nullptr;
  output_ = nullptr;
}

void SYNTAX::checkExtraFields(const FIELDPARSER& parser, const SLOTWALK& walk) {
  const bool freeText = !walk.codes.empty() && walk.codes.back() == slotcode::kFreeText;
  for (int e = walk.e; parser.fieldCount() >= e && reportsOnLine_ < kMaxReportsPerLine; ++e) {
    if (startsWith(parser.field(e), ';') || freeText) break;
    report(parser, e, "WARNING: Extra Parameter Supplied.", 1, FINDINGCODE::kExtraParameter);
  }
}

}  // namespace vyr
