#include "driver/driver.h"

#include <algorithm>
#include <new>
#include <utility>
#include <string_view>
#include <vector>

#include "driver/args.h"
#include "driver/newfile.h"
#include "text/utils.h"

namespace vyr {
namespace {

constexpr char kBanner[] = "Vyr Syntax Checker. (c) 2026 The VyrSyn Developers.\n";
constexpr std::string_view kHelpOptions[] = {"/?", "-h", "--help", "help"};
constexpr std::size_t kMaxPiece = 29999;  // characters in one read of standard input
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

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
  } else if (args.getInt(2, &run.gameNo) != 1) {
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
  if (run.checker) run.checker->setReleaseInput(1);  // the input is not needed after the pass
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
  } else if (loadOrdersFile(run.inputFile, *run.input) == 0) {
    say("Failed To Load.  Unknown Reason.\n");
    return 0;
  }
  say("Done!\n");
  return 1;
}

bool isCheckWord(std::string_view word) { return !word.empty() && word.front() == '#' && word.back() == '>'; }

}  // namespace

int saveOutputFile(BUFFER& buffer, const std::string& path) {
  if (buffer.lineCount() == 0) return 0;
  std::size_t size = 0;
  for (int n = 1; n <= buffer.lineCount(); ++n) size += buffer.lineString(n)->view().size() + 1;
  std::string text;
  text.reserve(size);
  for (int n = 1; n <= buffer.lineCount(); ++n) {
    text += buffer.lineString(n)->view();
    text += '\n';
  }
  return writeNewFile(path, text);
}

void printUsage() {
  say("Command Line Arguments:\n"
      "VyrSyn [game no] [in file] [out file]\n"
      "  game no  - Game Number.          Default = 1.\n"
      "  in file  - Orders file.          Default = Standard Input.\n"
      "  out file - Syntax results file.  Default = Standard Output.\n"
      "\n");
}

int readOrderLines(std::FILE* stream, BUFFER& buffer, std::vector<int>* sourceLines) {
  int added = 0;
  int previousFull = 0;
  int sourceLine = 1;
  std::string piece;
  auto finishPiece = [&] {
    if (!(previousFull && piece == "\n")) {
      std::string_view text(piece.data(), std::min(piece.size(), piece.find('\0')));
      if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
      buffer.addLine(text);
      ++added;
      if (sourceLines != nullptr) sourceLines->push_back(sourceLine);
    }
    if (piece.back() == '\n') ++sourceLine;
    previousFull = piece.size() == kMaxPiece && piece.back() != '\n' ? 1 : 0;
    piece.clear();
  };
  std::vector<char> block(1 << 16);
  std::size_t got = 0;
  while ((got = std::fread(block.data(), 1, block.size(), stream)) > 0) {
    for (std::size_t i = 0; i < got; ++i) {
      piece.push_back(block[i]);
      if (block[i] == '\n' || piece.size() == kMaxPiece) finishPiece();
    }
  }
  if (!piece.empty()) finishPiece();
  return added;
}

// The first word counts as it stands and as the pre-pass will leave it: a ';'
// glued into it (the line's first ';') gets a space before it and so ends the
// word. A line such as "#>;text" would otherwise be echoed as "#> ;text" and
// deleted only by the next run, whose output would then differ.
int isCheckLine(const STRING& line) { return isCheckText(line.view()); }

int isCheckText(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size() && isSpaceChar(text[begin])) ++begin;
  if (begin == text.size() || text[begin] != '#') return 0;
  std::size_t end = begin;
  while (end < text.size() && !isSpaceChar(text[end])) ++end;
  const std::string_view word = text.substr(begin, end - begin);
  const std::size_t semicolon = word.find(';');
  const bool cut = semicolon != std::string_view::npos && semicolon > 0;
  return isCheckWord(word) || (cut && isCheckWord(word.substr(0, semicolon))) ? 1 : 0;
}

int deleteCheckLines(BUFFER& buffer) {
  int deleted = 0;
  for (int p = 1; p <= buffer.lineCount();) {
    if (isCheckLine(*buffer.lineString(p))) {
      buffer.deleteLine(p);
      ++deleted;
    } else {
      ++p;
    }
  }
  return deleted;
}

int dropByteOrderMark(BUFFER& buffer) {
  STRING* first = buffer.lineString(1);
  if (first == nullptr || !first->text().starts_with(kByteOrderMark)) return 0;
  const std::string rest = first->text().substr(kByteOrderMark.size());
  first->setText(rest);
  return 1;
}

// Only the first line read can carry the byte-order mark; it is judged
// without it, and loses it when kept (it is then line 1).
int loadOrdersFile(const std::string& path, BUFFER& buffer) {
  bool first = true;
  bool keptWithMark = false;
  const int read = buffer.loadBuffer(path, 0, 0, [&](std::string_view text) {
    if (!std::exchange(first, false) || !text.starts_with(kByteOrderMark)) return isCheckText(text) == 0;
    keptWithMark = isCheckText(text.substr(kByteOrderMark.size())) == 0;
    return keptWithMark;
  });
  if (keptWithMark) dropByteOrderMark(buffer);
  return read;
}

int setUpRun(RUNSTATE& run) { return readCommandLine(run) && createObjects(run) && loadOrders(run); }

int checkRun(RUNSTATE& run) {
  say("Deleting Previous Error Check Lines #--->?. .... ");
  // An orders file was loaded without its check lines; standard input still has them.
  if (run.inputFromStdin != 0) deleteCheckLines(*run.input);
  say("Done!\n");
  say("Performing Syntax Check. ... ");
  checkAndSummarise(*run.checker, *run.input, *run.output, run.gameNo, &run.errorCount, &run.warningCount);
  say("Done!\n");
  return 1;
}

int checkAndSummarise(SYNTAX& checker, BUFFER& input, BUFFER& output, int gameNo, int* errorCount,
                      int* warningCount) {
  checker.prepareOrders(input);
  const int found = checker.checkOrders(&input, &output, errorCount, warningCount, gameNo);
  if (found != 0) {
    const std::string summary =
        "#> Errors " + std::to_string(*errorCount) + " Warnings " + std::to_string(*warningCount);
    output.insertLine(summary, 1);
  }
  return found;
}

int saveRun(RUNSTATE& run) {
  say("Saving Output File. ... ");
  if (run.outputToStdout) {
    run.output->printBuffer(0, 0);
  } else if (!saveOutputFile(*run.output, run.outputFile)) {
    say("Failed To Save.  Unknown Reason.\n");
    return 0;
  }
  say("Done!\n");
  return 1;
}

void endRun(RUNSTATE& run) {
  run.input.reset();
  run.output.reset();
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
  static RUNSTATE run;
  const int completed = setUpRun(run) && checkRun(run) && saveRun(run);
  endRun(run);
  return completed ? 0 : 1;
}

}  // namespace vyr
