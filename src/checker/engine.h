// The engine call every front-end checks through: the orders as bytes or a
// file, a game number and the loaded game data in; the annotated copy (byte
// for byte what VyrSyn writes), the counts and the findings out.
//
// The game data is the process's shared data (SYNTAX::loadSyntaxData, or
// loadGameData below); it must be loaded before a check. A check reads and
// writes process-wide state (the shared data's look-up caches, the block
// pool, the engine's suggester): one call at a time per process; a server
// that takes requests on several threads must let one call in at a time.
// Calls may be made any number of times: each frees what it built, and the
// suggester (the candidate names of one world, copied from the data) is built
// on the first call with suggestions for a world and kept for the next calls
// until the world or the data changes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "checker/finding.h"

namespace vyr {

// Loads the shared game data from `path`: a data archive, a directory of
// loose data files, or "" for "syntax.dat" beside the running program (the
// real executable, links followed). The data checks run first, and a data set
// with an error is not loaded, so that no later check can end on a fault of
// the data. Answers 1 (data loaded before is replaced), or 0 with `error`
// ("PATH: what is wrong") and the data of before left in place.
int loadGameData(const std::string& path, std::string& error);

// Releases the shared data and what the engine built from it (the suggester);
// a later check needs the data loaded again.
void releaseGameData();

struct CHECKOPTIONS {
  int suggestions = 1;  // 0: no finding carries a suggestion
  int notes = 1;        // 0: no finding of severity note
};

struct CHECKRESULT {
  int checked = 1;     // 0 when the check could not be completed
  std::string reason;  // why, when checked is 0
  int errors = 0;      // as the summary line counts them
  int warnings = 0;
  std::string annotated;  // the annotated copy: every line followed by '\n'
  std::vector<FINDING> findings;  // in the order of the check lines
};

// Checks the orders as VyrSyn checks standard input (check lines of an
// earlier run deleted first).
CHECKRESULT checkOrdersText(std::string_view bytes, int gameNo, const CHECKOPTIONS& options = {});

// Checks an orders file as VyrSyn checks an input file. Answers 0 (and
// leaves `result` alone) when the file cannot be read.
int checkOrdersFile(const std::string& path, int gameNo, CHECKRESULT& result,
                    const CHECKOPTIONS& options = {});

}  // namespace vyr
