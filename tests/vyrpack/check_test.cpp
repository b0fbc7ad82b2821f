// Runs the built `vyrpack check` on broken data sets. Each case under
// tests/archive/broken/<case>/ holds the files that differ from the sample
// data (and in `absent` the names to leave out); its expected.stdout and
// expected.status are compared whole, for the loose files and, where the set
// can be packed, for the archive made of them.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "archive/files.h"

namespace {

namespace fs = std::filesystem;

#if defined(VYR_VYRPACK)

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

fs::path brokenDir() { return fs::path(VYR_TEST_DATA_DIR) / "archive" / "broken"; }
fs::path sampleDir() { return fs::path(VYR_SOURCE_DIR) / "data"; }

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

class DataCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_ = fs::temp_directory_path() / ("vyr_datacheck_" + std::to_string(getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(scratch_);
    fs::create_directories(scratch_ / "set");
  }
  void TearDown() override { fs::remove_all(scratch_); }

  // The sample data with the case's files laid over it.
  void makeSet(const fs::path& caseDir) {
    for (const auto& entry : fs::directory_iterator(sampleDir())) {
      if (entry.path().extension() == ".dat") fs::copy_file(entry.path(), set() / entry.path().filename());
    }
    for (const auto& entry : fs::directory_iterator(caseDir)) {
      if (entry.path().extension() == ".dat") {
        fs::copy_file(entry.path(), set() / entry.path().filename(), fs::copy_options::overwrite_existing);
      }
    }
    std::ifstream absent(caseDir / "absent");
    for (std::string name; std::getline(absent, name);) fs::remove(set() / name);
  }

  ToolRun vyrpack(const std::string& args) const {
    const std::string command = std::string("'") + VYR_VYRPACK + "' " + args + " >'" + at("stdout") +
                                "' 2>'" + at("stderr") + "' </dev/null";
    const int raw = std::system(command.c_str());
    return ToolRun{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(at("stdout")), readFile(at("stderr"))};
  }

  fs::path set() const { return scratch_ / "set"; }
  std::string at(const std::string& name) const { return (scratch_ / name).string(); }

  fs::path scratch_;
};

class BrokenDataSet : public DataCheckTest, public ::testing::WithParamInterface<std::string> {};

std::vector<std::string> brokenCases() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(brokenDir())) {
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST_P(BrokenDataSet, ReportsEveryFaultWithMemberAndLine) {
  const fs::path caseDir = brokenDir() / GetParam();
  makeSet(caseDir);
  const std::string expected = readFile(caseDir / "expected.stdout");
  const int status = std::stoi(readFile(caseDir / "expected.status"));

  const ToolRun loose = vyrpack("check " + set().string());
  EXPECT_EQ(loose.out, expected);
  EXPECT_EQ(loose.status, status) << loose.err;
  EXPECT_EQ(loose.err, "");

  // Packed, the same data gives the same report.
  if (vyrpack("create " + at("syntax.dat") + " " + set().string()).status == 0) {
    const ToolRun packed = vyrpack("check " + at("syntax.dat"));
    EXPECT_EQ(packed.out, expected);
    EXPECT_EQ(packed.status, status) << packed.err;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, BrokenDataSet, ::testing::ValuesIn(brokenCases()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

TEST_F(DataCheckTest, TheSampleDataIsClean) {
  for (const std::string& path : {sampleDir().string(), std::string(VYR_BUILT_ARCHIVE)}) {
    const ToolRun run = vyrpack("check " + path);
    EXPECT_EQ(run.out, "vyrpack check: 0 errors, 0 warnings\n") << path;
    EXPECT_EQ(run.status, 0) << path;
  }
}

// Archive-only faults: a member stored twice, a member left out, an archive
// that cannot be read at all; and the command line.
TEST_F(DataCheckTest, ArchiveFaultsAndMisuse) {
  {
    vyr::FILES archive(at("odd.dat"));
    for (const auto& entry : fs::directory_iterator(sampleDir())) {
      const std::string name = entry.path().filename().string();
      if (entry.path().extension() == ".dat" && name != "vyrhero.dat") {
        archive.addFile(sampleDir().string() + "/", name);
      }
    }
    auto again = std::make_unique<vyr::FILEOBJ>(0, "vyrworld.dat");
    again->getBuffer()->addLine("1\t\"Ashmere\"\t1");
    ASSERT_EQ(archive.addFront(std::move(again)), 1);
    std::string message;
    ASSERT_EQ(archive.writeFiles(message), 1) << message;
  }
  const ToolRun odd = vyrpack("check " + at("odd.dat"));
  EXPECT_EQ(odd.out,
            "vyrworld.dat: warning: stored 2 times: only the last record is read\n"
            "vyrhero.dat: warning: missing from the archive: the checker reads it as empty\n"
            "vyrpack check: 0 errors, 2 warnings\n");
  EXPECT_EQ(odd.status, 0);

  const struct {
    std::string bytes;
    std::string err;
  } damaged[] = {
      {std::string("\x01\x02", 2), ": Damaged data archive in FILES::loadFiles.\n"},
      {std::string("\x00\x44\x46\xFF\x7E", 5),
       ": Something is wrong the line should have already been added to the buffer.\n"},
  };
  for (const auto& d : damaged) {
    writeFile(at("damaged.dat"), d.bytes);
    const ToolRun run = vyrpack("check " + at("damaged.dat"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "vyrpack: " + at("damaged.dat") + d.err);
  }
  EXPECT_EQ(vyrpack("check " + at("nothing-here")).err,
            "vyrpack: cannot open " + at("nothing-here") + " for reading\n");
  EXPECT_EQ(vyrpack("check").status, 2);
  EXPECT_EQ(vyrpack("check a b").status, 2);
  EXPECT_EQ(vyrpack("check --force " + set().string()).status, 2);
}

#endif

}  // namespace
