#include "vyrcheck/vyrcheck.h"

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "checker/archivepath.h"
#include "checker/gamenumber.h"
#include "engine/engine.h"
#include "text/fatal.h"
#include "text/newfile.h"
#include "text/optionvalue.h"
#include "text/paths.h"

namespace vyr {

namespace {

constexpr std::string_view kStdinName = "<stdin>";
constexpr std::string_view kStdinCopyName = "stdin.txt";
constexpr std::string_view kUpName = "__";  // what a ".." of an input path becomes below the output folder

// An optional '-' and digits only, within the range of int.
bool readNumber(std::string_view text, int& value) {
  if (text.empty() || text.front() == '+') return false;
  const auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), value);
  return fault == std::errc() && end == text.data() + text.size();
}

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

// Creates the folder and the folders above it that are missing, one after the
// other (a deep path goes through no recursion). Answers 1 when it is a folder.
int makeFolders(const std::filesystem::path& folder) {
  std::filesystem::path made;
  for (const std::filesystem::path& part : folder) {
    made /= part;
    std::error_code fault;
    if (!isDirectory(made.string())) std::filesystem::create_directory(made, fault);
  }
  return isDirectory(folder.string()) ? 1 : 0;
}

}  // namespace

std::string copyPathFor(const std::string& outDir, const std::string& input) {
  std::filesystem::path copy(outDir);
  if (input == "-") return (copy / kStdinCopyName).string();
  for (const std::filesystem::path& part : std::filesystem::path(input).relative_path()) {
    const std::string name = part.string();
    if (name.empty() || name == ".") continue;
    copy /= name == ".." ? std::string(kUpName) : name;
  }
  return copy.string();
}

namespace {

// One file's check with its report lines, made on any thread and reported
// on the main one in the order of the command line.
struct FILECHECK {
  CHECKRESULT check;
  std::string lines;  // its findings as the format prints them
  int unshown = 0;
};

// One run over all files, with the data loaded. A check that cannot be
// completed (a file that cannot be read, an order that reaches a fault of the
// command table) fails that file alone; the run goes on with the next. With
// more than one job, the files are checked on as many threads, at most a few
// files ahead of the one being reported, and reported exactly as one at a time
// reports them (annotated copies are written as each file is reported).
class BATCHRUN {
 public:
  BATCHRUN(const VYRCHECKOPTIONS& options, std::string stdinBytes)
      : options_(options), stdinBytes_(std::move(stdinBytes)) {
    checkOptions_.suggestions = options_.format != REPORTFORMAT::kAnnotated ? 1 : 0;
    checkOptions_.notes = options_.notes;
    checkOptions_.annotated = options_.format == REPORTFORMAT::kAnnotated ? 1 : 0;
  }

  int checkAll() {
    const std::size_t files = options_.files.size();
    const std::size_t jobs = std::min(files, static_cast<std::size_t>(std::max(1, options_.jobs)));
    if (jobs <= 1) {
      for (std::size_t k = 0; k < files; ++k) report(k, checkOne(options_.files[k]));
      return finish();
    }
    checked_.resize(files);
    const std::size_t ahead = 4 * jobs;  // files checked but not yet reported, at most
    std::vector<std::thread> workers;
    for (std::size_t t = 0; t < jobs; ++t) {
      workers.emplace_back([this, files, ahead] {
        for (;;) {
          std::size_t k = 0;
          {
            std::unique_lock<std::mutex> hold(lock_);
            changed_.wait(hold, [&] { return next_ >= files || next_ < reported_ + ahead; });
            if (next_ >= files) return;
            k = next_++;
          }
          auto done = std::make_unique<FILECHECK>(checkOne(options_.files[k]));
          {
            const std::lock_guard<std::mutex> hold(lock_);
            checked_[k] = std::move(done);
          }
          changed_.notify_all();
        }
      });
    }
    for (std::size_t k = 0; k < files; ++k) {
      std::unique_ptr<FILECHECK> done;
      {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [&] { return checked_[k] != nullptr; });
        done = std::move(checked_[k]);
      }
      report(k, std::move(*done));
      done.reset();
      {
        const std::lock_guard<std::mutex> hold(lock_);
        reported_ = k + 1;
      }
      changed_.notify_all();
    }
    for (std::thread& worker : workers) worker.join();
    return finish();
  }

 private:
  static std::string_view displayName(const std::string& file) {
    return file == "-" ? kStdinName : std::string_view(file);
  }

  // Checks one file; touches nothing but what it answers.
  FILECHECK checkOne(const std::string& file) const {
    const std::string_view name = displayName(file);
    FILECHECK done;
    CHECKRESULT& check = done.check;
    if (file == "-") {
      check = checkOrdersText(stdinBytes_, options_.gameNo, checkOptions_);
    } else if (!checkOrdersFile(file, options_.gameNo, check, checkOptions_)) {  // a directory too
      check.checked = 0;
      check.reason = "cannot be read";
    }
    if (options_.format != REPORTFORMAT::kAnnotated) {
      int shown = 0;
      for (const FINDING& finding : check.findings) {
        if (options_.maxFindings > 0 && shown >= options_.maxFindings) {
          ++done.unshown;
        } else if (!options_.quiet) {
          appendFinding(done.lines, options_.format, name, finding, options_.columns);
          ++shown;
        }
      }
      check.findings.clear();
    }
    return done;
  }

  // Reports file k (and writes its annotated copy).
  void report(std::size_t k, FILECHECK done) {
    const std::string& file = options_.files[k];
    const std::string_view name = displayName(file);
    CHECKRESULT& check = done.check;
    REPORTCOUNTS counts;
    counts.unshown = done.unshown;
    if (!check.checked) {
      std::fprintf(stderr, "vyrcheck: %.*s: %s\n", static_cast<int>(name.size()), name.data(),
                   check.reason.c_str());
    }
    if (options_.format == REPORTFORMAT::kAnnotated) {
      if (check.checked && !saveCopy(file, check.annotated)) {
        check.checked = 0;
        check.reason = "the annotated copy was not written";
      }
    }
    emit(stdout, done.lines);
    if (check.checked) {
      counts.errors = check.errors;
      counts.warnings = check.warnings;
    } else {
      counts = REPORTCOUNTS{};
      counts.checked = 0;
      counts.reason = check.reason;
      ++totals_.unchecked;
    }
    emit(stdout, formatFileSummary(options_.format, name, counts));
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

  // The annotated copy at the input's own path below the output directory
  // (copyPathFor), its folders created, never over anything that is there.
  int saveCopy(const std::string& file, const std::string& annotated) const {
    const std::string path = copyPathFor(options_.outDir, file);
    if (pathExists(path)) {
      std::fprintf(stderr, "vyrcheck: %s: already exists, not overwritten\n", path.c_str());
      return 0;
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (annotated.empty() || (!folder.empty() && !makeFolders(folder)) || !writeNewFile(path, annotated)) {
      std::fprintf(stderr, "vyrcheck: %s: cannot be written (or nothing to write)\n", path.c_str());
      return 0;
    }
    return 1;
  }

  const VYRCHECKOPTIONS& options_;
  std::string stdinBytes_;
  CHECKOPTIONS checkOptions_;
  REPORTCOUNTS totals_;
  // Between the workers and the reporting thread:
  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<std::unique_ptr<FILECHECK>> checked_;  // file k's check until it is reported
  std::size_t next_ = 0;                             // the next file to check
  std::size_t reported_ = 0;                         // the files reported so far
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

// A fault the library cannot continue from ends the run with one line and
// status 3: the console is never asked, nothing aborts.
[[noreturn]] void endOnFault(const FATALFAULT& fault) {
  std::fflush(stdout);
  std::string line = "vyrcheck: ";
  if (!fault.detail.empty()) line.append(fault.detail).append(": ");
  line.append(fault.message).append("\n");
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
  std::_Exit(kStatusFailed);
}

}  // namespace

std::string vyrcheckUsage() {
  return "Usage: vyrcheck [options] FILE...\n"
         "Checks Vyr orders files as VyrSyn does; '-' reads standard input.\n"
         "  --format gnu|json|annotated  how findings are reported (default gnu)\n"
         "  --out-dir DIR                where annotated copies are written (--format annotated),\n"
         "                               each at the input's own path below DIR\n"
         "  --columns byte|char          what gnu columns count (default byte)\n"
         "  --no-notes                   leave out the notes (what the checks let pass)\n"
         "  --game N                     the game number (default 1)\n"
         "  --data ARCHIVE|DIR           the game data (default syntax.dat beside the program)\n"
         "  --max-findings N             print at most N findings per file (0: all)\n"
         "  --jobs N                     check N files at a time (default: one per processor)\n"
         "  --quiet                      print the summaries only\n"
         "  -h, --help                   print this text\n"
         "  --version                    print the version\n"
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
    std::string_view value;
    if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "-h" || argument == "--help") {
      options.help = 1;
    } else if (argument == "--version") {
      options.version = 1;
    } else if (argument == "--quiet") {
      options.quiet = 1;
    } else if (argument == "--no-notes") {
      options.notes = 0;
    } else if (optionValue(arguments, i, "--columns", value, fault)) {
      if (value == "byte") {
        options.columns = COLUMNUNIT::kByte;
      } else if (value == "char") {
        options.columns = COLUMNUNIT::kChar;
      } else if (fault.empty()) {
        fault = "unknown column unit '" + std::string(value) + "' (byte or char)";
      }
    } else if (optionValue(arguments, i, "--format", value, fault)) {
      if (fault.empty() && !readFormat(value, options.format))
        fault = "unknown format '" + std::string(value) + "'";
    } else if (optionValue(arguments, i, "--out-dir", value, fault)) {
      options.outDir = value;
    } else if (optionValue(arguments, i, "--data", value, fault)) {
      options.data = value;
    } else if (optionValue(arguments, i, "--game", value, fault)) {
      if (fault.empty() && !parseGameNumber(value, options.gameNo))
        fault = "bad game number '" + std::string(value) + "'";
    } else if (optionValue(arguments, i, "--jobs", value, fault)) {
      if (fault.empty() && (!readNumber(value, options.jobs) || options.jobs < 1)) {
        fault = "bad --jobs '" + std::string(value) + "' (1 or more)";
      }
    } else if (optionValue(arguments, i, "--max-findings", value, fault)) {
      if (fault.empty() && (!readNumber(value, options.maxFindings) || options.maxFindings < 0)) {
        fault = "bad --max-findings '" + std::string(value) + "'";
      }
    } else {
      fault = "unknown option '" + std::string(argument) + "'";
    }
  }
  if (!fault.empty() || options.help || options.version) return fault.empty() ? 1 : 0;
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
  setFatalHandler(endOnFault);
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
  if (options.version) {
    emit(stdout, "vyrcheck " VYR_VERSION "\n");
    return kStatusClean;
  }
  if (options.format == REPORTFORMAT::kAnnotated) {
    if (!pathExists(options.outDir)) makeFolders(options.outDir);
    if (!isDirectory(options.outDir)) {
      return failRun(options.outDir +
                     (pathExists(options.outDir) ? ": not a directory" : ": cannot be created"));
    }
  }
  const std::string data = options.data.empty() ? defaultArchivePath(argc > 0 ? argv[0] : "") : options.data;
  std::string dataFault;
  if (!loadGameData(data, dataFault)) return failRun(dataFault);

  std::string stdinBytes;
  for (const std::string& file : options.files) {
    if (file == "-") {
      stdinBytes = readAll(stdin);
      break;
    }
  }
  if (options.jobs == 0) options.jobs = static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
  BATCHRUN run(options, std::move(stdinBytes));
  const int status = run.checkAll();
  releaseGameData();
  return status;
}

}  // namespace vyr
