// Writing a new file never replaces, truncates or writes through anything at
// the target path, and leaves no temporary file behind.
#include "text/newfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace vyr {
namespace {

namespace fs = std::filesystem;

using Writer = int (*)(const std::string&, std::string_view);

int byLink(const std::string& path, std::string_view text) { return writeNewFileByLink(path, text); }
int exclusive(const std::string& path, std::string_view text) { return writeNewFileExclusive(path, text); }

class NewFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "vyr-newfile-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  std::set<std::string> names() const {
    std::set<std::string> result;
    for (const auto& entry : fs::directory_iterator(dir_)) result.insert(entry.path().filename().string());
    return result;
  }
  static std::string contents(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path dir_;
};

const std::pair<const char*, Writer> kWriters[] = {
    {"writeNewFile", writeNewFile}, {"byLink", byLink}, {"exclusive", exclusive}};

TEST_F(NewFileTest, CreatesTheFileWithExactlyTheTextAndTheUsualMode) {
  const mode_t mask = ::umask(022);
  for (const auto& [what, write] : kWriters) {
    const std::string name = std::string(what) + ".txt";
    ASSERT_EQ(write(path(name), std::string_view("A\r\n\0B\n", 6)), 1) << what;
    EXPECT_EQ(contents(path(name)), std::string("A\r\n\0B\n", 6)) << what;
    struct stat info {};
    ASSERT_EQ(::stat(path(name).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u) << what;
  }
  ::umask(mask);
  EXPECT_EQ(names(), (std::set<std::string>{"writeNewFile.txt", "byLink.txt", "exclusive.txt"}));
}

TEST_F(NewFileTest, ALongNameWorks) {
  const std::string name(255, 'n');
  ASSERT_EQ(writeNewFile(path(name), "x\n"), 1);
  EXPECT_EQ(names(), std::set<std::string>{name});
}

TEST_F(NewFileTest, RefusesEveryPathWhereSomethingStands) {
  std::ofstream(path("old.txt")) << "keep me\n";
  fs::create_directory(path("dir"));
  fs::create_symlink(path("nowhere.txt"), path("dangling"));
  fs::create_symlink(path("old.txt"), path("link"));
  const std::set<std::string> before = names();
  for (const auto& [what, write] : kWriters) {
    for (const char* target : {"old.txt", "dir", "dangling", "link", "missing/new.txt"}) {
      EXPECT_EQ(write(path(target), "new\n"), 0) << what << " " << target;
    }
    EXPECT_EQ(names(), before) << what;
    EXPECT_EQ(contents(path("old.txt")), "keep me\n") << what;
    EXPECT_FALSE(fs::exists(path("nowhere.txt"))) << what;
  }
}

// What the sync hook saw: for each call, whether it was handed the new file
// (with its whole text) or its directory, and whether the final name existed.
struct SyncCall {
  bool directory;
  long long size;
  bool finalExists;
  bool operator==(const SyncCall&) const = default;
};
std::vector<SyncCall> gSyncCalls;
std::string gSyncFinal;
int gSyncFailAt = 0;  // the call (1, 2, ...) that fails; 0: none

int recordingSync(int fd) {
  struct stat info {};
  EXPECT_EQ(::fstat(fd, &info), 0);
  gSyncCalls.push_back({S_ISDIR(info.st_mode), S_ISDIR(info.st_mode) ? -1 : static_cast<long long>(info.st_size),
                        ::access(gSyncFinal.c_str(), F_OK) == 0});
  if (static_cast<int>(gSyncCalls.size()) == gSyncFailAt) {
    errno = EIO;
    return -1;
  }
  return ::fsync(fd);
}

// The file is synced with its whole text before its name appears, the
// directory after; a failing sync at either step leaves nothing behind.
TEST_F(NewFileTest, SyncsTheFileBeforeItsNameAndTheDirectoryAfter) {
  using SyncedWriter = int (*)(const std::string&, std::string_view, SyncFunction);
  const std::pair<const char*, SyncedWriter> writers[] = {
      {"byLink", [](const std::string& p, std::string_view t, SyncFunction s) {
         return writeNewFileByLink(p, t, nullptr, s);
       }},
      {"exclusive", [](const std::string& p, std::string_view t, SyncFunction s) {
         return writeNewFileExclusive(p, t, s);
       }}};
  const struct {
    int failAt;
    int result;
  } cases[] = {{0, 1}, {1, 0}, {2, 0}};
  for (const auto& [what, write] : writers) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(what) + " failing at " + std::to_string(c.failAt));
      gSyncCalls.clear();
      gSyncFinal = path("out.txt");
      gSyncFailAt = c.failAt;
      ASSERT_EQ(write(gSyncFinal, "seven\n", recordingSync), c.result);
      std::vector<SyncCall> expected = {{false, 6, std::string(what) == "exclusive"}, {true, -1, true}};
      if (c.failAt == 1) expected.resize(1);
      EXPECT_EQ(gSyncCalls, expected);
      if (c.result == 1) {
        EXPECT_EQ(contents(gSyncFinal), "seven\n");
        EXPECT_EQ(names(), std::set<std::string>{"out.txt"});
        fs::remove(gSyncFinal);
      }
      EXPECT_EQ(names(), std::set<std::string>{});
    }
  }
}

}  // namespace
}  // namespace vyr
