// The checker: checks a player's orders buffer line by line against the command
// table and the game data, and writes the orders with their check lines into an
// output buffer.
//
// The command table and the game data are shared by all SYNTAX objects of the
// process: the first object loads them (`loadSyntaxData`), `releaseSyntaxData`
// destroys them. A SYNTAX object does not own its output buffer.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "checker/findingcode.h"
#include "checker/lineorigin.h"
#include "gamedata/location.h"
#include "text/buffer.h"
#include "text/fieldparser.h"

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
  FINDINGCODE code = FINDINGCODE::kUnknownCommand;
  const PARAMKIND* kind = nullptr;  // for a parameter's finding: the slot's kind
};

// Told of every error and warning as it is reported, besides the check line.
class FINDINGSINK {
 public:
  virtual ~FINDINGSINK() = default;
  virtual void finding(const CHECKREPORT& report) = 0;
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
  static SYNWORLDS* gameData();
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
  [[nodiscard]] int errors() const { return errors_; }
  [[nodiscard]] int warnings() const { return warnings_; }
  [[nodiscard]] int world() const { return world_; }
  // 1 when the orders after the lines checked so far stand under a SHIRE order.
  [[nodiscard]] int underShire() const { return currentShire_.key() != 0 ? 1 : 0; }

 private:
  // The state of one slot walk over a variant's words.
  struct SLOTWALK {
    std::vector<std::string_view> words;  // word k of the variant is words[k - 1]
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
  const std::vector<std::string_view>* selectVariant(const FIELDPARSER& parser, std::string_view command,
                                                     int s);
  void checkScope(const FIELDPARSER& parser, std::string_view scope);
  void walkSlots(const FIELDPARSER& parser, SLOTWALK& walk);
  void checkExtraFields(const FIELDPARSER& parser, const SLOTWALK& walk);
  void validateParameter(const FIELDPARSER& parser, std::string_view kind, int e, SLOTWALK& walk);
  void spliceSpell(int spellKey, SLOTWALK& walk);

  LOCATION currentShire_;
  BUFFER* output_ = nullptr;
  // Working areas of the check pass, kept from line to line so that checking a
  // line allocates nothing once they have grown to the longest line.
  FIELDPARSER parser_{"", ' ', '"', 1, 1, 1};
  std::string indented_;
  std::string checkLine_;
  std::string prepared_;
  SLOTWALK walk_;
  std::vector<std::string_view> spellSlots_;
  int releaseInput_ = 0;
  int errors_ = 0;
  int warnings_ = 0;
  int world_ = 0;
  FINDINGSINK* sink_ = nullptr;
  std::vector<LINEORIGIN>* origins_ = nullptr;
  int currentLine_ = 0;
  int reportsOnLine_ = 0;
};

}  // namespace vyr
