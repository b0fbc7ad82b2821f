// vyrserve on game data it cannot serve: status 1 and one line on standard
// error naming the data and the reason, before it listens; it never prompts,
// never aborts, never writes to standard output.
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

TEST(VyrserveFaults, EachDataFaultStopsTheStartWithOneLine) {
  const fs::path scratch = fs::temp_directory_path() / ("vyrserve_faults_" + std::to_string(getpid()));
  for (const FAULTSET& set : makeFaultSets(scratch / "sets")) {
    SCOPED_TRACE(set.what);
    std::ofstream(scratch / "answer") << "\n";  // what a prompt would take
    const std::string command = std::string("'") + VYR_VYRSERVE + "' --listen 127.0.0.1:0 --data '" + set.data +
                                "' >'" + (scratch / "out").string() + "' 2>'" + (scratch / "err").string() +
                                "' <'" + (scratch / "answer").string() + "'";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw)) << "ended by signal " << WTERMSIG(raw);
    EXPECT_EQ(WEXITSTATUS(raw), 1);
    EXPECT_EQ(wholeFile(scratch / "out"), "");
    const std::string err = wholeFile(scratch / "err");
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;  // one line
    EXPECT_EQ(err.rfind("vyrserve: ", 0), 0U) << err;
    EXPECT_NE(err.find(set.data), std::string::npos) << err;
    EXPECT_NE(err.find(set.reason), std::string::npos) << err;
  }
  fs::remove_all(scratch);
}

}  // namespace
}  // namespace vyr
