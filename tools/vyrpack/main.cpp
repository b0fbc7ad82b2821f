// vyrpack: builds, lists and unpacks the data archive "syntax.dat".
//
//   vyrpack create  [--force] ARCHIVE DIR [MEMBER...]
//   vyrpack list    ARCHIVE
//   vyrpack extract [--force] ARCHIVE DIR [MEMBER...]
//   vyrpack check   ARCHIVE|DIR
//
// Exit status: 0 done, 1 the job failed (for check: the data has errors), 2 the
// command line is wrong.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "datacheck/datacheck.h"
#include "vyrpack/packer.h"

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kMisused = 2;

constexpr char kUsage[] =
    "Usage: vyrpack create [--force] ARCHIVE DIR [MEMBER...]\n"
    "       vyrpack list ARCHIVE\n"
    "       vyrpack extract [--force] ARCHIVE DIR [MEMBER...]\n"
    "       vyrpack check ARCHIVE|DIR\n"
    "\n"
    "Builds, lists and unpacks the data archive (syntax.dat) that VyrSyn reads.\n"
    "\n"
    "  create   packs the loose files of DIR into ARCHIVE: the command table\n"
    "           vyrsyn.dat, the world file vyrworld.dat, the eleven data tables\n"
    "           (vyrres.dat vyrland.dat vyrrace.dat vyrmagic.dat vyrspell.dat\n"
    "           vyrbuild.dat vyrunits.dat vyrhero.dat vyrships.dat vyrart.dat\n"
    "           vyrplace.dat), then every further MEMBER file named\n"
    "  list     shows each member of ARCHIVE with its number of lines, in file order\n"
    "  extract  writes the members of ARCHIVE (all, or each MEMBER named) into DIR\n"
    "           as lower-case file names; DIR is created when missing\n"
    "  check    finds the faults of the game data in ARCHIVE or in the loose files\n"
    "           of DIR: each as MEMBER:LINE: error|warning: text, then a summary.\n"
    "           Errors would end a check run or stop the data load (an unknown\n"
    "           slot word, a bad world line); warnings are shapes that cannot do\n"
    "           what they seem to (a command name not in upper case, a '#' that\n"
    "           is not the last slot, a keyword after '*' or '.')\n"
    "\n"
    "Options:\n"
    "  -f, --force  replace an existing archive or loose file\n"
    "  -h, --help   show this text\n"
    "  --version    show the version\n"
    "\n"
    "Exit status: 0 done, 1 the job failed or check found errors, 2 the command\n"
    "line is wrong.\n";

struct CommandLine {
  std::string command;
  std::vector<std::string> operands;
  int force = 0;
  int help = 0;
  int version = 0;
};

int misuse(std::string_view message) {
  std::fprintf(stderr, "vyrpack: %.*s\nTry 'vyrpack --help'.\n", static_cast<int>(message.size()),
               message.data());
  return kMisused;
}

int failure(const std::string& message) {
  std::fprintf(stderr, "vyrpack: %s\n", message.c_str());
  return kFailed;
}

// Options may stand anywhere; "--" ends them. Answers "" or the fault.
std::string parseCommandLine(int argc, char** argv, CommandLine& line) {
  int optionsEnded = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg(argv[i]);
    if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      if (arg == "--") {
        optionsEnded = 1;
      } else if (arg == "-f" || arg == "--force") {
        line.force = 1;
      } else if (arg == "-h" || arg == "--help") {
        line.help = 1;
      } else if (arg == "--version") {
        line.version = 1;
      } else {
        return "unknown option " + std::string(arg);
      }
    } else if (line.command.empty()) {
      line.command = arg;
    } else {
      line.operands.emplace_back(arg);
    }
  }
  return {};
}

int runCreate(const CommandLine& line) {
  if (line.operands.size() < 2) return misuse("create needs an ARCHIVE and a DIR");
  vyrpack::CreateJob job;
  job.archive = line.operands[0];
  job.directory = line.operands[1];
  job.members = vyr::dataSetMembers();
  job.members.insert(job.members.end(), line.operands.begin() + 2, line.operands.end());
  job.force = line.force;
  std::string error;
  return vyrpack::createArchive(job, error) ? kDone : failure(error);
}

int runList(const CommandLine& line) {
  if (line.operands.size() != 1) return misuse("list needs exactly one ARCHIVE");
  if (line.force) return misuse("list does not take --force");
  std::string listing;
  std::string error;
  if (!vyrpack::listArchive(line.operands[0], listing, error)) return failure(error);
  std::fputs(listing.c_str(), stdout);
  return kDone;
}

int runExtract(const CommandLine& line) {
  if (line.operands.size() < 2) return misuse("extract needs an ARCHIVE and a DIR");
  vyrpack::ExtractJob job;
  job.archive = line.operands[0];
  job.directory = line.operands[1];
  job.members.assign(line.operands.begin() + 2, line.operands.end());
  job.force = line.force;
  std::string error;
  return vyrpack::extractArchive(job, error) ? kDone : failure(error);
}

int runCheck(const CommandLine& line) {
  if (line.operands.size() != 1) return misuse("check needs exactly one ARCHIVE or DIR");
  if (line.force) return misuse("check does not take --force");
  std::vector<vyr::DataFinding> findings;
  std::string error;
  if (!vyr::checkDataSet(line.operands[0], findings, error)) return failure(error);
  int errors = 0;
  for (const vyr::DataFinding& finding : findings) {
    std::printf("%s\n", vyr::formatDataFinding(finding).c_str());
    errors += finding.isError;
  }
  std::fputs(vyr::summariseDataCheck(findings).c_str(), stdout);
  return errors > 0 ? kFailed : kDone;
}

}  // namespace

int main(int argc, char** argv) {
  CommandLine line;
  const std::string fault = parseCommandLine(argc, argv, line);
  if (line.help) {
    std::fputs(kUsage, stdout);
    return kDone;
  }
  if (line.version) {
    std::fputs("vyrpack " VYR_VERSION "\n", stdout);
    return kDone;
  }
  if (!fault.empty()) return misuse(fault);
  if (line.command == "create") return runCreate(line);
  if (line.command == "list") return runList(line);
  if (line.command == "extract") return runExtract(line);
  if (line.command == "check") return runCheck(line);
  if (line.command.empty()) return misuse("no command given");
  return misuse("unknown command " + line.command);
}
