// The run of the checker program, from entry to exit: set-up (command line,
// buffers and checker, orders loaded), check (earlier check lines deleted, the
// check pass), save (to a new file or standard output), end. Everything the
// driver itself prints (banner, settings, progress, errors, usage) goes to
// standard error, so that checked orders on standard output stay clean.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "checker/orderlines.h"
#include "checker/syntax.h"
#include "text/buffer.h"
#include "text/outtext.h"

namespace vyr {

// The state of one run. It owns the input buffer, the output buffer and the
// checker; they exist from the end of the command-line steps of set-up until
// `endRun`. The file names are valid only while the matching flag is 0.
//
// An input file is not held in the input buffer: its lines are read in blocks
// as the pass walks them (`orders`). Standard input, which cannot be read
// twice, is held in the input buffer. The annotated orders are put together
// as one text (`annotated`), not as lines of the output buffer.
struct RUNSTATE {
  int gameNo = 1;
  int inputFromStdin = 0;
  int outputToStdout = 0;
  std::string inputFile;
  std::string outputFile;
  std::unique_ptr<BUFFER> input;
  std::unique_ptr<BUFFER> output;
  std::unique_ptr<SYNTAX> checker;
  std::unique_ptr<FILEORDERLINES> orders;
  std::unique_ptr<OUTTEXT> annotated;
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

}  // namespace vyr
