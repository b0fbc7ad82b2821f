// vyrcheck on game data it cannot check with: status 3 and one line on
// standard error naming the data and the reason; it never prompts, never
// aborts, never writes a report.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/faultsets.h"
#include "support/wholefile.h"

namespace vyr {
namespace {

namespace fs = std::filesystem;

struct RUN {
  int status;
  std::string out;
  std::string err;
};

// Runs vyrcheck with a line on standard input that a prompt would take.
RUN vyrcheck(const fs::path& scratch, const std::string& args) {
  std::ofstream(scratch / "answer") << "\n";
  const std::string command = std::string("'") + VYR_VYRCHECK + "' " + args + " >'" + (scratch / "out").string() +
                              "' 2>'" + (scratch / "err").string() + "' <'" + (scratch / "answer").string() + "'";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw), wholeFile(scratch / "out"),
          wholeFile(scratch / "err")};
}

TEST(VyrcheckFaults, EachDataFaultEndsTheRunWithOneLineAndStatusThree) {
  const fs::path scratch = fs::temp_directory_path() / ("vyrcheck_faults_" + std::to_string(getpid()));
  const std::string orders = std::string(VYR_SOURCE_DIR) + "/examples/orders-mistakes.txt";
  for (const FAULTSET& set : makeFaultSets(scratch / "sets")) {
    SCOPED_TRACE(set.what);
    const RUN run = vyrcheck(scratch, "--data '" + set.data + "' '" + orders + "'");
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, "");
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;  // one line
    EXPECT_EQ(run.err.rfind("vyrcheck: " + set.data + ": ", 0), 0U) << run.err;
    EXPECT_NE(run.err.find(set.reason), std::string::npos) << run.err;
  }
  fs::remove_all(scratch);
}

}  // namespace
}  // namespace vyr
