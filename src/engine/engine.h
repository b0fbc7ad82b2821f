// The engine call every front-end checks through: the orders as bytes or a
// file, a game number and the loaded game data in; the annotated copy (byte
// for byte what VyrSyn writes), the counts and the findings out.
//
// The game data is the process's loaded data (SYNTAX::loadSyntaxData, or
// loadGameData below); it must be loaded before a check. A check only reads
// the data (its look-up indexes are built when it is loaded), so any number
// of checks may run at the same time on any threads, and each gives exactly
// what it gives alone; loading and releasing the data must not overlap a
// check. What a check needs for itself is its own or its thread's: the block
// store (containers/blockpool.h), and the suggester and the output text
// below. Calls may be made any number of times: each frees what it built,
// except that on each thread the suggester (the candidate names of one world,
// copied from the data) is built on the first call with suggestions for a
// world and kept for the next calls until the world or the data changes, and
// that the text the annotated copy is written into is kept for the next call
// unless it grew past a megabyte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "findings/finding.h"

namespace vyr {

// Loads the shared game data from `path`: a data archive, a directory of
// loose data files, or "" for "syntax.dat" beside the running program (the
// real executable, links followed). The data checks run first, and a data set
// with an error is not loaded, so that no later check can end on a fault of
// the data; only a slot word of the command table that is no parameter kind
// is let through, as it stops just the check of an order that reaches it
// (CHECKRESULT). Answers 1 (data loaded before is replaced), or 0 with `error`
// ("PATH: what is wrong" in plain words, with the member and line where there
// is one: "syntax.dat: damaged archive: byte 2: ...", "data: vyrworld.dat:3:
// error: ...") and the data of before left in place.
int loadGameData(const std::string& path, std::string& error);

// Releases the shared data and what the engine built from it on this thread
// (the suggester; other threads drop theirs at their next check); a later
// check needs the data loaded again.
void releaseGameData();

struct CHECKOPTIONS {
  int suggestions = 1;  // 0: no finding carries a suggestion
  int notes = 1;        // 0: no finding of severity note
  int annotated = 1;    // 0: CHECKRESULT::annotated is left empty (for a caller that reports findings only)
  int orders = 0;       // 1: CHECKRESULT::orders tells of every order line
};

// A check that reaches a fault of the command table (an order that reaches a
// slot word that is no parameter kind) stops at that order: `checked` is 0,
// `reason` says why, the findings before the order are kept and one finding
// of code "table-fault" marks it; the annotated copy is then incomplete.
// Notes (severity note) are findings only: they are in no count and leave the
// annotated copy as it is.
struct CHECKRESULT {
  int checked = 1;     // 0 when the check could not be completed
  std::string reason;  // why, when checked is 0
  // As the summary line counts them, plus 1 for the "no-orders" finding of a
  // file without any order line (the annotated copy shows no such error).
  int errors = 0;
  int warnings = 0;
  std::string annotated;  // the annotated copy: every line followed by '\n'
  std::vector<FINDING> findings;  // in the order of the check lines
  std::vector<ORDERPLACE> orders;  // with CHECKOPTIONS::orders: every order line checked, in order
};

// Checks the orders as VyrSyn checks standard input (check lines of an
// earlier run deleted first).
CHECKRESULT checkOrdersText(std::string_view bytes, int gameNo, const CHECKOPTIONS& options = {});

// Checks an orders file as VyrSyn checks an input file. Answers 0 (and
// leaves `result` alone) when the file cannot be read, as a directory cannot.
int checkOrdersFile(const std::string& path, int gameNo, CHECKRESULT& result,
                    const CHECKOPTIONS& options = {});

}  // namespace vyr
