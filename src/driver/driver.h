// The run of the checker program, from entry to exit: set-up (command line,
// buffers and checker, orders loaded), check (earlier check lines deleted, the
// check pass), save (to a new file or standard output), end. Everything the
// driver itself prints (banner, settings, progress, errors, usage) goes to
// standard error, so that checked orders on standard output stay clean.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "checker/syntax.h"
#include "text/buffer.h"

namespace vyr {

// The state of one run. It owns the input buffer, the output buffer and the
// checker; they exist from the end of the command-line steps of set-up until
// `endRun`. The file names are valid only while the matching flag is 0.
struct RUNSTATE {
  int gameNo = 1;
  int inputFromStdin = 0;
  int outputToStdout = 0;
  std::string inputFile;
  std::string outputFile;
  std::unique_ptr<BUFFER> input;
  std::unique_ptr<BUFFER> output;
  std::unique_ptr<SYNTAX> checker;
  int errorCount = 0;
  int warningCount = 0;
};

// The whole program: banner, argument store, the phases on the process's one
// run state. Answers the exit status: 0 after a complete run, 1 after any
// failure of the driver (its message already written).
int runDriver(int argc, char** argv);

// The phases. Each answers 1 when the run goes on and 0 when it must end with
// status 1; the message is written by then. They need the argument store filled.
int setUpRun(RUNSTATE& run);  // command line, buffers and checker, orders loaded
int checkRun(RUNSTATE& run);  // check-line deletion, pre-pass, check pass, summary line
int saveRun(RUNSTATE& run);   // output to the new file or to standard output
void endRun(RUNSTATE& run);   // destroys the buffers, the shared data and the checker

// The usage text on standard error.
void printUsage();

// Reads the stream to its end in pieces of at most 29,999 characters, each
// piece ending after a newline or when full, and adds one line per piece
// without its newline; a carriage return stays. A piece that is only the
// newline ending a full piece adds nothing, so a line of any length arrives as
// pieces of its text only. A NUL byte ends the text of its piece. Answers the
// number of lines added. When `sourceLines` is given, the 1-based number of the
// stream's line that each added line came from is appended to it.
int readOrderLines(std::FILE* stream, BUFFER& buffer, std::vector<int>* sourceLines = nullptr);

// 1 when the line's first word begins with '#' and ends with '>': a check line
// or summary line of an earlier run; also when it does so once cut at a ';'
// glued into it, where the pre-pass puts a space.
[[nodiscard]] int isCheckLine(const STRING& line);
[[nodiscard]] int isCheckText(std::string_view text);
// Loads an orders file as the check needs it, in one go: what `loadBuffer`,
// `dropByteOrderMark` and `deleteCheckLines` give one after the other, without
// ever storing the check lines. Answers the number of lines read (check lines
// included); 0 when the file cannot be read or is empty.
int loadOrdersFile(const std::string& path, BUFFER& buffer);
// Deletes every check line; answers the number deleted.
int deleteCheckLines(BUFFER& buffer);
// Drops a UTF-8 byte-order mark from the start of line 1; answers 1 when it did.
int dropByteOrderMark(BUFFER& buffer);

// The check of orders whose earlier check lines are gone: the pre-pass, the
// check pass into `output` and, when the pass found anything, the summary line
// "#> Errors %d Warnings %d" at the top of `output`. Answers the pass's answer.
int checkAndSummarise(SYNTAX& checker, BUFFER& input, BUFFER& output, int gameNo, int* errorCount,
                      int* warningCount);
// The output buffer as a new file, each line followed by a line break; 0 when
// it has no line or cannot be written (nothing is ever overwritten).
int saveOutputFile(BUFFER& buffer, const std::string& path);

}  // namespace vyr
