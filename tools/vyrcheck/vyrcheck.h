// vyrcheck, the batch front-end of the checker for game masters: checks any
// number of orders files in one process, with the game data loaded once, and
// reports the findings as compiler-style lines, JSON lines or annotated copies
// (byte for byte VyrSyn's). Its exit status says what was found.
//
// Each file is checked in a child process (runIsolated), so that a fault of
// the command table, which ends the check through the fatal error report,
// fails that file alone: its message goes to standard error, the run's status
// becomes 3 and the other files are still checked.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "checker/findingformat.h"

namespace vyr {

// The exit statuses.
inline constexpr int kStatusClean = 0;
inline constexpr int kStatusWarnings = 1;
inline constexpr int kStatusErrors = 2;
inline constexpr int kStatusFailed = 3;

struct VYRCHECKOPTIONS {
  REPORTFORMAT format = REPORTFORMAT::kGnu;
  std::string outDir;  // annotated copies go there
  std::string data;    // archive or directory; "" for syntax.dat beside the program
  int gameNo = 1;
  int maxFindings = 0;  // findings printed per file; 0 for all
  int quiet = 0;
  int help = 0;
  std::vector<std::string> files;  // "-" is standard input
};

// Reads the arguments after the program name. Answers 1, or 0 with the fault
// in `fault`.
int parseVyrcheckOptions(const std::vector<std::string_view>& arguments, VYRCHECKOPTIONS& options,
                         std::string& fault);

// The usage text.
std::string vyrcheckUsage();

// The whole program; answers the exit status.
int runVyrcheck(int argc, char** argv);

}  // namespace vyr
