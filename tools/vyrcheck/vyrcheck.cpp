#include "vyrcheck/vyrcheck.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "checker/archivepath.h"
#include "checker/engine.h"
#include "checker/gamenumber.h"
#include "checker/syntax.h"
#include "gamedata/synworlds.h"
#include "text/newfile.h"
#include "text/utils.h"
#include "vyrcheck/isolate.h"

namespace vyr {

namespace {

constexpr std::string_view kStdinName = "<stdin>";
constexpr std::string_view kStdinCopyName = "stdin.txt";
constexpr std::string_view kPrompt = "Press ENTER to Continue! ";

// An optional '-' and digits only, within the range of int.
bool readNumber(std::string_view text, int& value) {
  if (text.empty() || text.front() == '+') return false;
  const auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), value);
  return fault == std::errc() && end == text.data() + text.size();
}

// The value of an option given as "--name VALUE" or "--name=VALUE".
struct OPTIONREADER {
  const std::vector<std::string_view>& arguments;
  std::size_t& index;
  std::string& fault;

  // 1 when arguments[index] is the option; then `value` holds its value
  // (fault set when it has none).
  int matches(std::string_view name, std::string_view& value) {
    const std::string_view argument = arguments[index];
    if (argument.starts_with(name) && argument.size() > name.size() && argument[name.size()] == '=') {
      value = argument.substr(name.size() + 1);
      return 1;
    }
    if (argument != name) return 0;
    if (index + 1 >= arguments.size()) {
      fault = std::string(name) + " needs a value";
      return 1;
    }
    value = arguments[++index];
    return 1;
  }
};

int readFormat(std::string_view value, REPORTFORMAT& format) {
  if (value == "gnu") {
    format = REPORTFORMAT::kGnu;
  } else if (value == "json") {
    format = REPORTFORMAT::kJson;
  } else if (value == "annotated") {
    format = REPORTFORMAT::kAnnotated;
  } else {
    return 0;
  }
  return 1;
}

bool isDirectory(const std::string& path) {
  std::error_code fault;
  return std::filesystem::is_directory(path, fault);
}

void emit(std::FILE* stream, std::string_view text) { std::fwrite(text.data(), 1, text.size(), stream); }

// What a child wrote on standard output, as lines on standard error, each led
// by "vyrcheck: NAME: "; the ENTER prompts of the fatal report are left out.
void relayConsole(std::string_view name, std::string_view console) {
  std::string text(console);
  for (std::size_t at; (at = text.find(kPrompt)) != std::string::npos;) text.erase(at, kPrompt.size());
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!trimText(line).empty()) {
      std::fprintf(stderr, "vyrcheck: %.*s: %s\n", static_cast<int>(name.size()), name.data(), line.c_str());
    }
    start = end + 1;
  }
}

// One run over all files, with the data loaded. The files are checked in
// children (runIsolated); a child that dies on a file fails that file alone,
// and a new child goes on with the next.
class BATCHRUN {
 public:
  BATCHRUN(const VYRCHECKOPTIONS& options, std::string stdinBytes)
      : options_(options), stdinBytes_(std::move(stdinBytes)) {
    checkOptions_.suggestions = options_.format != REPORTFORMAT::kAnnotated ? 1 : 0;
  }

  int checkAll() {
    const int count = static_cast<int>(options_.files.size());
    const auto work = [this](int k, std::string& report) { return checkInChild(k, report); };
    const auto take = [this](int k, int status, std::string_view report, std::string_view console) {
      relayConsole(displayName(k), console);
      printReport(k, status, report);
    };
    for (int next = 0; next < count;) {
      CHILDEND ending;
      next = runIsolated(next, count, work, take, ending);
      if (next < count) {  // the child ended on this file
        relayConsole(displayName(next), ending.console);
        std::string said;
        if (ending.started && trimCopy(said, ending.console).empty()) {
          std::fprintf(stderr, "vyrcheck: %.*s: the check ended abnormally (%s %d)\n",
                       static_cast<int>(displayName(next).size()), displayName(next).data(),
                       ending.exited ? "status" : "signal", ending.exited ? ending.status : ending.signal);
        }
        printReport(next, kStatusFailed, {});
        ++next;
      }
    }
    return finish();
  }

 private:
  std::string_view displayName(int k) const {
    const std::string& file = options_.files[static_cast<std::size_t>(k)];
    return file == "-" ? kStdinName : std::string_view(file);
  }

  // The findings the child sent, then the file's summary line.
  void printReport(int k, int status, std::string_view report) {
    REPORTCOUNTS counts;
    const std::size_t headerEnd = report.find('\n');
    const std::string header(report.substr(0, headerEnd));
    if (status == kStatusClean && headerEnd != std::string_view::npos &&
        std::sscanf(header.c_str(), "%d %d %d", &counts.errors, &counts.warnings, &counts.unshown) == 3) {
      emit(stdout, report.substr(headerEnd + 1));
    } else {
      counts = REPORTCOUNTS{};
      counts.checked = 0;
      ++totals_.unchecked;
    }
    emit(stdout, formatFileSummary(options_.format, displayName(k), counts));
    ++totals_.files;
    totals_.errors += counts.errors;
    totals_.warnings += counts.warnings;
  }

  int finish() {
    totals_.status = totals_.unchecked > 0  ? kStatusFailed
                     : totals_.errors > 0   ? kStatusErrors
                     : totals_.warnings > 0 ? kStatusWarnings
                                            : kStatusClean;
    emit(stdout, formatTotal(options_.format, totals_));
    std::fflush(stdout);
    return totals_.status;
  }

  // The check of file k, in the child: the report is "E W U\n" (errors,
  // warnings, findings not shown) and the findings' lines. Answers the status.
  int checkInChild(int k, std::string& report) {
    const std::string& file = options_.files[static_cast<std::size_t>(k)];
    CHECKRESULT check;
    if (file == "-") {
      check = checkOrdersText(stdinBytes_, options_.gameNo, checkOptions_);
    } else if (isDirectory(file) || !checkOrdersFile(file, options_.gameNo, check, checkOptions_)) {
      std::fprintf(stderr, "vyrcheck: %s: cannot be read\n", file.c_str());
      return kStatusFailed;
    }
    std::string lines;
    int shown = 0;
    int unshown = 0;
    if (options_.format == REPORTFORMAT::kAnnotated) {
      if (!saveCopy(file, check.annotated)) return kStatusFailed;
    } else {
      for (const FINDING& finding : check.findings) {
        if (options_.maxFindings > 0 && shown >= options_.maxFindings) {
          ++unshown;
        } else if (!options_.quiet) {
          lines += formatFinding(options_.format, displayName(k), finding);
          ++shown;
        }
      }
    }
    report = std::to_string(check.errors) + ' ' + std::to_string(check.warnings) + ' ' +
             std::to_string(unshown) + '\n' + lines;
    return kStatusClean;
  }

  // The annotated copy under the file's own name in the output directory,
  // never over anything that is there.
  int saveCopy(const std::string& file, const std::string& annotated) const {
    const std::string base =
        file == "-" ? std::string(kStdinCopyName) : std::filesystem::path(file).filename().string();
    const std::string path = (std::filesystem::path(options_.outDir) / base).string();
    if (pathExists(path)) {
      std::fprintf(stderr, "vyrcheck: %s: already exists, not overwritten\n", path.c_str());
      return 0;
    }
    if (annotated.empty() || !writeNewFile(path, annotated)) {
      std::fprintf(stderr, "vyrcheck: %s: cannot be written (or nothing to write)\n", path.c_str());
      return 0;
    }
    return 1;
  }

  const VYRCHECKOPTIONS& options_;
  std::string stdinBytes_;
  CHECKOPTIONS checkOptions_;
  REPORTCOUNTS totals_;
};

std::string readAll(std::FILE* stream) {
  std::string bytes;
  char block[65536];
  std::size_t got = 0;
  while ((got = std::fread(block, 1, sizeof block, stream)) > 0) bytes.append(block, got);
  return bytes;
}

int failRun(const std::string& fault) {
  std::fprintf(stderr, "vyrcheck: %s\n", fault.c_str());
  return kStatusFailed;
}

// Selects the game data; answers the checker's `useArchive`, or -1 with the
// fault written.
int selectData(const VYRCHECKOPTIONS& options, std::string_view programName) {
  if (options.data.empty()) {
    SYNTAX::setArchivePath(defaultArchivePath(programName));
    return 1;
  }
  if (!pathExists(options.data)) {
    failRun(options.data + ": no such file or directory");
    return -1;
  }
  if (isDirectory(options.data)) {
    SYNWORLDS::setDirectory(options.data);
    return 0;
  }
  SYNTAX::setArchivePath(options.data);
  return 1;
}

// Loads the data first in a child, where a damaged or missing archive can end
// only the child, then here.
int loadData(const VYRCHECKOPTIONS& options, int useArchive) {
  const std::string_view name = options.data.empty() ? "syntax.dat" : std::string_view(options.data);
  const auto load = [useArchive](int, std::string&) {
    SYNTAX::loadSyntaxData(useArchive, 1);
    return 0;
  };
  const auto take = [name](int, int, std::string_view, std::string_view console) {
    relayConsole(name, console);
  };
  CHILDEND ending;
  if (runIsolated(0, 1, load, take, ending) != 1) {
    relayConsole(name, ending.console);
    return 0;
  }
  SYNTAX::loadSyntaxData(useArchive, 1);
  return 1;
}

}  // namespace

std::string vyrcheckUsage() {
  return "Usage: vyrcheck [options] FILE...\n"
         "Checks Vyr orders files as VyrSyn does; '-' reads standard input.\n"
         "  --format gnu|json|annotated  how findings are reported (default gnu)\n"
         "  --out-dir DIR                where annotated copies are written (--format annotated)\n"
         "  --game N                     the game number (default 1)\n"
         "  --data ARCHIVE|DIR           the game data (default syntax.dat beside the program)\n"
         "  --max-findings N             print at most N findings per file (0: all)\n"
         "  --quiet                      print the summaries only\n"
         "  -h, --help                   print this text\n"
         "Exit status: 0 nothing found, 1 warnings only, 2 errors, 3 the run failed.\n";
}

int parseVyrcheckOptions(const std::vector<std::string_view>& arguments, VYRCHECKOPTIONS& options,
                         std::string& fault) {
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size() && fault.empty(); ++i) {
    const std::string_view argument = arguments[i];
    if (optionsEnded || argument == "-" || !argument.starts_with('-')) {
      options.files.emplace_back(argument);
      continue;
    }
    OPTIONREADER reader{arguments, i, fault};
    std::string_view value;
    if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "-h" || argument == "--help") {
      options.help = 1;
    } else if (argument == "--quiet") {
      options.quiet = 1;
    } else if (reader.matches("--format", value)) {
      if (fault.empty() && !readFormat(value, options.format))
        fault = "unknown format '" + std::string(value) + "'";
    } else if (reader.matches("--out-dir", value)) {
      options.outDir = value;
    } else if (reader.matches("--data", value)) {
      options.data = value;
    } else if (reader.matches("--game", value)) {
      if (fault.empty() && !parseGameNumber(value, options.gameNo))
        fault = "bad game number '" + std::string(value) + "'";
    } else if (reader.matches("--max-findings", value)) {
      if (fault.empty() && (!readNumber(value, options.maxFindings) || options.maxFindings < 0)) {
        fault = "bad --max-findings '" + std::string(value) + "'";
      }
    } else {
      fault = "unknown option '" + std::string(argument) + "'";
    }
  }
  if (!fault.empty() || options.help) return fault.empty() ? 1 : 0;
  if (options.files.empty()) {
    fault = "no orders file given ('-' reads standard input)";
  } else if (options.format == REPORTFORMAT::kAnnotated && options.outDir.empty()) {
    fault = "--format annotated needs --out-dir DIR";
  } else if (options.format != REPORTFORMAT::kAnnotated && !options.outDir.empty()) {
    fault = "--out-dir goes with --format annotated";
  }
  return fault.empty() ? 1 : 0;
}

int runVyrcheck(int argc, char** argv) {
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  VYRCHECKOPTIONS options;
  std::string fault;
  if (!parseVyrcheckOptions(arguments, options, fault)) {
    std::fprintf(stderr, "vyrcheck: %s\n%s", fault.c_str(), vyrcheckUsage().c_str());
    return kStatusFailed;
  }
  if (options.help) {
    emit(stdout, vyrcheckUsage());
    return kStatusClean;
  }
  if (options.format == REPORTFORMAT::kAnnotated && !isDirectory(options.outDir)) {
    return failRun(options.outDir + ": not a directory");
  }
  const int useArchive = selectData(options, argc > 0 ? argv[0] : "");
  if (useArchive < 0) return kStatusFailed;
  if (!loadData(options, useArchive)) return kStatusFailed;

  std::string stdinBytes;
  for (const std::string& file : options.files) {
    if (file == "-") {
      stdinBytes = readAll(stdin);
      break;
    }
  }
  BATCHRUN run(options, std::move(stdinBytes));
  const int status = run.checkAll();
  SYNTAX::releaseSyntaxData();
  return status;
}

}  // namespace vyr
