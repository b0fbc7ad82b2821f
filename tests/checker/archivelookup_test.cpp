// Where the checker finds "syntax.dat": beside the program, also when the
// program was started through the search path.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

class ArchiveLookup : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("vyr-lookup-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "bin");
    fs::create_directories(root_ / "work");
    fs::copy_file(VYR_VYRSYN, root_ / "bin" / "VyrSyn");
  }
  void TearDown() override { fs::remove_all(root_); }

  // Runs "VyrSyn 1" by its bare name through PATH from the work directory on
  // empty standard input; answers the shell's exit status (128 + the signal
  // when the program was killed).
  int runThroughPath() {
    const std::string command = "cd '" + (root_ / "work").string() + "' && PATH='" + (root_ / "bin").string() +
                                "' VyrSyn 1 </dev/null >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path root_;
};

TEST_F(ArchiveLookup, BesideTheExecutableWhenStartedThroughThePath) {
  fs::copy_file(VYR_BUILT_ARCHIVE, root_ / "bin" / "syntax.dat");
  EXPECT_EQ(runThroughPath(), 0);
}

TEST_F(ArchiveLookup, CurrentDirectoryWhenNoneIsBesideTheExecutable) {
  fs::copy_file(VYR_BUILT_ARCHIVE, root_ / "work" / "syntax.dat");
  EXPECT_EQ(runThroughPath(), 0);
}

TEST_F(ArchiveLookup, NoArchiveAnywhereEndsTheRun) { EXPECT_EQ(runThroughPath(), 128 + SIGABRT); }

}  // namespace
