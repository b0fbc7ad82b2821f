// Where the checker finds "syntax.dat": beside the program, also when the
// program was started through the search path or through a symbolic link.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdio>
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

  // Runs "PROGRAM 1" by the path `program`, relative to the work directory;
  // answers as runThroughPath.
  int runByPath(const std::string& program) {
    const std::string command =
        "cd '" + (root_ / "work").string() + "' && '" + program + "' 1 </dev/null >/dev/null 2>&1";
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

TEST_F(ArchiveLookup, BesideTheRealExecutableWhenStartedThroughALinkByItsPath) {
  fs::copy_file(VYR_BUILT_ARCHIVE, root_ / "bin" / "syntax.dat");
  fs::create_directories(root_ / "bin2");
  fs::create_symlink(root_ / "bin" / "VyrSyn", root_ / "bin2" / "VyrSyn");
  EXPECT_EQ(runByPath("../bin2/VyrSyn"), 0);
  EXPECT_EQ(runByPath((root_ / "bin2" / "VyrSyn").string()), 0);
}

TEST_F(ArchiveLookup, AnArchiveBesideTheLinkComesFirst) {
  // A damaged archive beside the real program: only the one beside the link is read.
  std::FILE* damaged = std::fopen((root_ / "bin" / "syntax.dat").c_str(), "w");
  ASSERT_NE(damaged, nullptr);
  std::fputs("not an archive", damaged);
  std::fclose(damaged);
  fs::create_directories(root_ / "bin2");
  fs::copy_file(VYR_BUILT_ARCHIVE, root_ / "bin2" / "syntax.dat");
  fs::create_symlink(root_ / "bin" / "VyrSyn", root_ / "bin2" / "VyrSyn");
  EXPECT_EQ(runByPath("../bin2/VyrSyn"), 0);
  EXPECT_NE(runByPath("../bin/VyrSyn"), 0);
}

TEST_F(ArchiveLookup, NoArchiveAnywhereEndsTheRun) { EXPECT_EQ(runThroughPath(), 128 + SIGABRT); }

}  // namespace
