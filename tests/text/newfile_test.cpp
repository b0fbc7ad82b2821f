// Writing a new file never replaces, truncates or writes through anything at
// the target path, and leaves no temporary file behind.
#include "text/newfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace vyr {
namespace {

namespace fs = std::filesystem;

using Writer = int (*)(const std::string&, std::string_view);

int byLink(const std::string& path, std::string_view text) { return writeNewFileByLink(path, text); }

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
    {"writeNewFile", writeNewFile}, {"byLink", byLink}, {"exclusive", writeNewFileExclusive}};

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

}  // namespace
}  // namespace vyr
