// vyrcheck, the batch front-end of the checker for game masters: checks any
// number of orders files in one process, with the game data loaded once, and
// reports the findings as compiler-style lines, JSON lines or annotated copies
// (byte for byte VyrSyn's). Its exit status says what was found.
//
// A file that cannot be checked (it cannot be read, or an order reaches a
// fault of the command table) fails alone: the reason goes to standard error,
// the run's status becomes 3 and the other files are still checked. The
// engine ends no check abnormally, so every file is checked in this process.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "findings/findingformat.h"

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
  int notes = 1;  // 0: --no-notes
  int jobs = 0;   // files checked at the same time; 0: one per processor
  COLUMNUNIT columns = COLUMNUNIT::kByte;
  int help = 0;
  int version = 0;
  std::vector<std::string> files;  // "-" is standard input
};

// Reads the arguments after the program name. Answers 1, or 0 with the fault
// in `fault`.
int parseVyrcheckOptions(const std::vector<std::string_view>& arguments, VYRCHECKOPTIONS& options,
                         std::string& fault);

// Where the annotated copy of `input` goes below `outDir`: the input's path
// below the folder, an absolute path without its leading '/', every ".." as
// a folder named "__" and "." left out, so that no copy lands outside the
// folder; standard input ("-") as "stdin.txt".
std::string copyPathFor(const std::string& outDir, const std::string& input);

// The usage text.
std::string vyrcheckUsage();

// The whole program; answers the exit status.
int runVyrcheck(int argc, char** argv);

}  // namespace vyr
