#include "driver/driver.h"

#include <algorithm>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "checker/archivepath.h"
#include "checker/gamenumber.h"
#include "checker/ordersfile.h"
#include "driver/args.h"
#include "text/newfile.h"
#include "text/paths.h"

namespace vyr {
namespace {

constexpr char kBanner[] = "Vyr Syntax Checker. (c) 2026 The VyrSyn Developers.\n";
constexpr std::string_view kHelpOptions[] = {"/?", "-h", "--help", "help"};

void say(const char* text) { std::fputs(text, stderr); }

// Writes the message and the usage text; answers 0 for the caller to pass on.
int usageError(const char* message) {
  say(message);
  printUsage();
  return 0;
}

int readGameNumber(RUNSTATE& run, const ARGS& args) {
  run.gameNo = 1;
  if (args.count() < 2) {
    say("WARNING: No game number was supplied will use game no 1.\n");
  } else if (std::string text; args.getString(2, &text) != 1 || !parseGameNumber(text, run.gameNo)) {
    return usageError("ERROR: Unable to access the game number parameter, incorrect format.\n");
  }
  std::fprintf(stderr, "Game No     : %d\n", run.gameNo);
  return 1;
}

int readInputName(RUNSTATE& run, const ARGS& args) {
  run.inputFromStdin = args.count() < 3 ? 1 : 0;
  if (run.inputFromStdin) {
    say("Input File  : Standard Input\n");
    return 1;
  }
  if (args.getString(3, &run.inputFile) != 1) {
    return usageError("ERROR: Unable to access input file name parameter.\n");
  }
  std::fprintf(stderr, "Input File  : %s\n", run.inputFile.c_str());
  if (!fileExists(run.inputFile)) {
    std::fprintf(stderr, "ERROR: The input order file \"%s\" did not exist.\n", run.inputFile.c_str());
    printUsage();
    return 0;
  }
  return 1;
}

// Anything at the output path, even a file that cannot be read or a dangling
// symbolic link, ends the run: a run never overwrites anything.
int readOutputName(RUNSTATE& run, const ARGS& args) {
  run.outputToStdout = args.count() < 4 ? 1 : 0;
  if (run.outputToStdout) {
    say("Output File : Standard Output\n");
    return 1;
  }
  if (args.getString(4, &run.outputFile) != 1) {
    return usageError("ERROR: Unable to access output file name parameter.\n");
  }
  std::fprintf(stderr, "Output File : %s\n", run.outputFile.c_str());
  if (pathExists(run.outputFile)) {
    std::fprintf(stderr, "ERROR: The output order file \"%s\" already exists pick a new name.\n",
                 run.outputFile.c_str());
    printUsage();
    return 0;
  }
  return 1;
}

int readCommandLine(RUNSTATE& run) {
  const ARGS args;
  for (const std::string_view option : kHelpOptions) {
    if (args.findOption(option, 0) == 1) {
      printUsage();
      return 0;
    }
  }
  if (args.count() > 4) return usageError("ERROR: Too many arguments supplied.\n");
  return readGameNumber(run, args) && readInputName(run, args) && readOutputName(run, args);
}

// Creating the checker loads the command table and the game data; whatever
// that load reports appears here.
int createObjects(RUNSTATE& run) {
  run.input.reset(new (std::nothrow) BUFFER);
  if (run.input) run.output.reset(new (std::nothrow) BUFFER);
  if (run.output) run.checker.reset(new (std::nothrow) SYNTAX(1, 1));
  if (!run.checker) {
    say("Unable to initialise system. Not enough memory.\n");
    return 0;
  }
  return 1;
}

int loadOrders(RUNSTATE& run) {
  say("Loading Orders File. ... ");
  if (run.inputFromStdin) {
    readOrderLines(stdin, *run.input);
    dropByteOrderMark(*run.input);
  } else {
    run.orders = std::make_unique<FILEORDERLINES>();
    if (!run.orders->open(run.inputFile) || !run.orders->hasLines()) {
      say("Failed To Load.  Unknown Reason.\n");
      return 0;
    }
  }
  say("Done!\n");
  return 1;
}

}  // namespace

void printUsage() {
  say("Command Line Arguments:\n"
      "VyrSyn [game no] [in file] [out file]\n"
      "  game no  - Game Number.          Default = 1.\n"
      "  in file  - Orders file.          Default = Standard Input.\n"
      "  out file - Syntax results file.  Default = Standard Output.\n"
      "\n");
}

int setUpRun(RUNSTATE& run) { return readCommandLine(run) && createObjects(run) && loadOrders(run); }

int checkRun(RUNSTATE& run) {
  say("Deleting Previous Error Check Lines #--->?. .... ");
  // An orders file was loaded without its check lines; standard input still has them.
  if (run.inputFromStdin != 0) deleteCheckLines(*run.input);
  say("Done!\n");
  say("Performing Syntax Check. ... ");
  // The lines of standard input are deleted from the input buffer as the pass
  // echoes them, so that the input and the output never both hold them all.
  BUFFERORDERLINES held(*run.input, 0, 1);
  ORDERLINES& lines = run.orders ? static_cast<ORDERLINES&>(*run.orders) : held;
  run.annotated = std::make_unique<OUTTEXT>(run.orders ? run.orders->fileSize() : 0);
  checkAndSummarise(*run.checker, lines, *run.annotated, run.gameNo, &run.errorCount, &run.warningCount);
  say("Done!\n");
  return 1;
}

int saveRun(RUNSTATE& run) {
  say("Saving Output File. ... ");
  const std::string_view text = run.annotated->view();
  if (run.outputToStdout) {
    if (!text.empty()) std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
  } else if (text.empty() || !writeNewFile(run.outputFile, text)) {
    say("Failed To Save.  Unknown Reason.\n");
    return 0;
  }
  say("Done!\n");
  return 1;
}

void endRun(RUNSTATE& run) {
  run.input.reset();
  run.output.reset();
  run.orders.reset();
  run.annotated.reset();
  if (run.checker) {
    SYNTAX::releaseSyntaxData();
    run.checker.reset();
  }
  run.gameNo = 0;
  run.inputFromStdin = 0;
  run.outputToStdout = 0;
}

int runDriver(int argc, char** argv) {
  say(kBanner);
  const ARGS args(argc, argv);
  SYNTAX::setArchivePath(defaultArchivePath(argc > 0 ? argv[0] : ""));
  static RUNSTATE run;
  const int completed = setUpRun(run) && checkRun(run) && saveRun(run);
  endRun(run);
  return completed ? 0 : 1;
}

}  // namespace vyr
