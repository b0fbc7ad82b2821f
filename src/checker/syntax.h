// The checker: checks a player's orders buffer line by line against the command
// table and the game data, and writes the orders with their check lines into an
// output buffer.
//
// The command table and the game data are shared by all SYNTAX objects of the
// process: the first object loads them (`loadSyntaxData`), `releaseSyntaxData`
// destroys them. A SYNTAX object does not own its output buffer.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "findings/findingcode.h"
#include "checker/lineorigin.h"
#include "gamedata/location.h"
#include "text/buffer.h"
#include "text/fieldparser.h"
#include "text/outtext.h"

namespace vyr {

class SYNWORLDS;
class COMMANDTABLE;
struct PARAMKIND;

// One error or warning as the check pass reports it.
struct CHECKREPORT {
  int line = 0;              // the input buffer's line number (0 for the game-number warning)
  int field = 1;             // the field number
  int position = -1;         // where the field starts in the echoed line, -1 when it is missing
  int end = -1;              // where it ends there (just past its last byte), -1 when missing
  std::string_view echo;     // the echoed line
  std::string_view message;  // as the check line shows it
  std::string_view subject;  // the text the finding is about: the command, or the field's text
  int isWarning = 0;
  int isNote = 0;  // a note: no check line, not counted
  FINDINGCODE code = FINDINGCODE::kUnknownCommand;
  const PARAMKIND* kind = nullptr;  // for a parameter's finding: the slot's kind
  std::string_view suggestion;      // a note's own suggestion, or ""
};

// Where a check stopped on a fault of the command table: the order reached a
// slot word that is no parameter kind.
struct TABLEFAULT {
  int line = 0;  // the input buffer's line of the order; 0: no fault
  std::string command;
  std::string slot;
};
class ORDERLINES;

// Told of every error and warning as it is reported, besides the check line.
class FINDINGSINK {
 public:
  virtual ~FINDINGSINK() = default;
  virtual void finding(const CHECKREPORT& report) = 0;
};

// One order line as the check pass saw it: what an outline of the orders
// shows, by the pass's own rules.
struct ORDERREPORT {
  int line = 0;                // the input buffer's line
  std::string_view command;    // the order's command as written (after an '@' marker)
  char scope = 0;              // the scope of the variant it was checked by ('S', 'G', 'C'), or 0: none matched
  int isShire = 0;             // 1 for a SHIRE order
  int underShire = 0;          // 1 when the order stands under a SHIRE order
  int opensShire = 0;          // 1 when the orders after it stand under a SHIRE order
  int isHeader = 0;            // 1 for the header line (reported before the orders, its command empty)
};

// Told of every order line once it is checked.
class ORDERSINK {
 public:
  virtual ~ORDERSINK() = default;
  virtual void order(const ORDERREPORT& report) = 0;
};

// The process-wide command table that SYNTAX::loadSyntaxData loads; null
// before the load and after SYNTAX::releaseSyntaxData.
const COMMANDTABLE* sharedCommandTable();

class SYNTAX {
 public:
  // useArchive 1: data from "syntax.dat" beside the program; 0: loose files.
  // streamSelector 1: progress of the data load on standard error, else standard output.
  SYNTAX(int useArchive, int streamSelector);
  ~SYNTAX();
  SYNTAX(const SYNTAX&) = delete;
  SYNTAX& operator=(const SYNTAX&) = delete;

  static void loadSyntaxData(int useArchive, int streamSelector);
  static void releaseSyntaxData();
  // The archive to load instead of "syntax.dat" beside the program ("" for that).
  static void setArchivePath(std::string_view path);
  // The loaded data; no check changes it (only loads and releases do).
  static const SYNWORLDS* gameData();
  // Changes whenever the shared data is loaded or released, so that what is
  // built from the data (a suggester's names) can tell it is stale.
  static int dataGeneration();

  // Normalises every line in place: tabs to eight spaces, a space before a glued
  // first ';', trimmed. Answers the number of lines. With an origin record set,
  // appends to it where each prepared byte of each line came from.
  int prepareOrders(BUFFER& in);
  void setOriginRecord(std::vector<LINEORIGIN>* record) { origins_ = record; }
  // Copies the orders between the header and end lines into `out` with their
  // check lines; answers 1 when anything was reported.
  int checkOrders(BUFFER* in, BUFFER* out, int* errorCount, int* warningCount, int gameNo);
  // The same pass over a source of lines, each prepared as `prepareOrders`
  // would when the source asks for it, into the output buffer `out` or, when
  // that is null, onto the end of `outText`. Answers as `checkOrders`.
  int checkOrderLines(ORDERLINES& in, BUFFER* out, OUTTEXT* outText, int* errorCount, int* warningCount,
                      int gameNo);
  // One line as the pre-pass leaves it: tabs to eight spaces, a space before a
  // glued first ';', trimmed. The answer is a part of `text` or of `work`.
  // With `origin`, it also records where each prepared byte came from.
  static std::string_view prepareLine(std::string_view text, std::string& work, LINEORIGIN* origin = nullptr);
  // With 1, `checkOrders` deletes each input line after the header once it is
  // echoed, up to and including the end line, so that the input and the output
  // never both hold a whole large file; the output is the same either way. With
  // 0 (the default) the input is left as it was.
  void setReleaseInput(int release) { releaseInput_ = release; }
  // Checks one order line, already split into fields; answers 1 when errors or
  // warnings have been counted in the pass so far.
  int checkOrderLine(const FIELDPARSER& parser);
  // Appends one check line for field n of the parser's line to the output.
  void addCheckLine(const FIELDPARSER& parser, int n, std::string_view message);

  // At most this many errors and warnings are reported for one order line;
  // further faults of the line are neither written nor counted. Each check
  // line is as long as its field's column, so without a bound a line of many
  // faulty fields would give output quadratic in its length.
  static constexpr int kMaxReportsPerLine = 100;

  void setFindingSink(FINDINGSINK* sink) { sink_ = sink; }
  void setOrderSink(ORDERSINK* sink) { orderSink_ = sink; }
  // With 1, the finding sink is also told of notes: what the checks let pass
  // but a player most likely did not mean. Notes write no check line and are
  // not counted.
  void setNotes(int notes) { notes_ = notes; }
  // With 1, an order that reaches a slot word that is no parameter kind stops
  // the check pass (tableFault() tells where) instead of ending the process
  // through the fatal error report, which stays the default.
  void setStopAtTableFault(int stop) { stopAtTableFault_ = stop; }
  [[nodiscard]] const TABLEFAULT& tableFault() const { return tableFault_; }
  // The order lines the last pass checked: lines that are neither empty, nor
  // comments, nor the header and end lines.
  [[nodiscard]] int orderLines() const { return orderLines_; }
  [[nodiscard]] int errors() const { return errors_; }
  [[nodiscard]] int warnings() const { return warnings_; }
  [[nodiscard]] int world() const { return world_; }
  // 1 when the orders after the lines checked so far stand under a SHIRE order.
  [[nodiscard]] int underShire() const { return currentShire_.key() != 0 ? 1 : 0; }

  // Told of the slot word each field of an order stands in as the slot walk
  // reaches it: a keyword, the word naming the slot's kind, or "#" for free
  // text (every field from there on).
  class SLOTSINK {
   public:
    virtual ~SLOTSINK() = default;
    virtual void slot(int field, std::string_view word) = 0;
  };
  // The check pass's slot walk over one variant of a line's command (field
  // 1 + shift), as a pass for the game would walk it, telling `sink` of each
  // slot reached; what it reports goes nowhere. A fault of the table ends the
  // walk.
  void walkVariant(const FIELDPARSER& parser, const std::vector<std::string_view>& variant, int shift, int gameNo,
                   SLOTSINK& sink);

 private:
  // The state of one slot walk over a variant's words.
  struct SLOTWALK {
    std::span<const std::string_view> words;  // word k of the variant is words[k - 1]
    std::span<const signed char> codes;       // and its slot code codes[k - 1]
    // The words and codes after a spell's own slots were put in (words and
    // codes then view these).
    std::vector<std::string_view> splicedWords;
    std::vector<signed char> splicedCodes;
    int p = 3;
    int e = 2;
    bool repeat = false;
    bool optional = false;
    bool ground = false;
    bool done = false;
  };

  // `subject`: what the finding is about when it is not the field's text.
  void report(const FIELDPARSER& parser, int field, std::string_view message, int isWarning, FINDINGCODE code,
              const PARAMKIND* kind = nullptr, std::string_view subject = {});
  // One line of the pass's output, to the text or the buffer.
  void emitLine(std::string_view line) {
    if (outText_ != nullptr) {
      outText_->appendLine(line);
    } else {
      output_->addLine(line);
    }
  }
  // The report of a finding at field `field` of the parser's line.
  [[nodiscard]] CHECKREPORT fieldReport(const FIELDPARSER& parser, int field, std::string_view message,
                                        FINDINGCODE code) const;
  // Tells the sink of a note on the echo's bytes [position, end).
  void note(int position, int end, std::string_view message, FINDINGCODE code, std::string_view subject,
            const PARAMKIND* kind = nullptr, std::string_view suggestion = {});
  void noteUnclosedQuote(const FIELDPARSER& parser);
  void noteMisspelledKeyword(const FIELDPARSER& parser, std::string_view command, int s);
  void noteOtherWorld(const FIELDPARSER& parser, int e, const PARAMKIND& kind);
  const std::vector<std::string_view>* selectVariant(const FIELDPARSER& parser, std::string_view command,
                                                     int s);
  void checkScope(const FIELDPARSER& parser, std::string_view scope);
  // The slot walk; with kTellSlots each slot reached is told to slotSink_
  // (walkVariant), the check pass walks without.
  template <bool kTellSlots>
  void walkSlots(const FIELDPARSER& parser, SLOTWALK& walk);
  void checkExtraFields(const FIELDPARSER& parser, const SLOTWALK& walk);
  // Validates field e by the slot's kind: `kind` is its slot code, word
  // `kindAt` of the variant the word that names it.
  void validateParameter(const FIELDPARSER& parser, int kind, int kindAt, int e, SLOTWALK& walk);
  void spliceSpell(int spellKey, SLOTWALK& walk);

  LOCATION currentShire_;
  BUFFER* output_ = nullptr;
  OUTTEXT* outText_ = nullptr;  // instead of output_ during a pass into a text
  // Working areas of the check pass, kept from line to line so that checking a
  // line allocates nothing once they have grown to the longest line.
  FIELDPARSER parser_{"", ' ', '"', 1, 1, 1};
  std::string checkLine_;
  std::string prepared_;
  SLOTWALK walk_;
  std::vector<std::string_view> spellSlots_;
  int releaseInput_ = 0;
  int errors_ = 0;
  int warnings_ = 0;
  int world_ = 0;
  FINDINGSINK* sink_ = nullptr;
  ORDERSINK* orderSink_ = nullptr;
  ORDERREPORT lastOrder_;  // the order line checked last, for the order sink
  std::vector<LINEORIGIN>* origins_ = nullptr;
  int currentLine_ = 0;
  int reportsOnLine_ = 0;
  int notes_ = 0;
  int stopAtTableFault_ = 0;
  TABLEFAULT tableFault_;
  SLOTSINK* slotSink_ = nullptr;  // during walkVariant only
  int orderLines_ = 0;
  // Whether the shared data is loaded, so that each order line can ask cheaply.
  static inline bool loaded_ = false;
};

}  // namespace vyr
