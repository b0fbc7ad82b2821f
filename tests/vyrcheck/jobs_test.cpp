// vyrcheck --jobs N: files checked side by side are reported exactly as one
// at a time reports them: the same standard output and error, the same
// status, the same annotated copies.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "support/wholefile.h"

namespace vyr {
namespace {

namespace fs = std::filesystem;

struct RUN {
  int status;
  std::string out;
  std::string err;
  std::map<std::string, std::string> copies;  // below the output folder: path -> bytes
  bool operator==(const RUN&) const = default;
};

class VyrcheckJobs : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_ = fs::temp_directory_path() / ("vyrcheck_jobs_" + std::to_string(getpid()));
    fs::remove_all(scratch_);
    fs::create_directories(scratch_ / "in" / "a folder");
    // Every end-to-end input, the examples, generated files with a fault on
    // every line, and files that fail: missing, a folder, twice the same copy.
    int n = 0;
    for (const auto& entry : fs::recursive_directory_iterator(std::string(VYR_SOURCE_DIR) + "/tests/e2e/cases")) {
      const std::string name = entry.path().filename().string();
      if (!entry.is_regular_file() || name.rfind("expected", 0) == 0 || name == "args" || name == "setup") continue;
      if (entry.path().parent_path().filename().string().rfind("expected", 0) == 0) continue;
      const fs::path copy = scratch_ / "in" / (std::to_string(n++) + ".txt");
      fs::copy_file(entry.path(), copy);
      files_.push_back(copy.string());
    }
    for (const auto& entry : fs::directory_iterator(std::string(VYR_SOURCE_DIR) + "/examples")) {
      files_.push_back(entry.path().string());
    }
    for (int lines : {50, 3000}) {
      std::string text = "#VYR 1\nSHIRE 12,3\n";
      for (int k = 0; k < lines; ++k) text += k % 2 ? "RECRUIT 40 Pikemenn\n" : "STUDY Fyre\n";
      const fs::path big = scratch_ / "in" / ("generated" + std::to_string(lines) + ".txt");
      std::ofstream(big, std::ios::binary) << text;
      files_.push_back(big.string());
    }
    files_.push_back((scratch_ / "in" / "not-there.txt").string());
    files_.push_back((scratch_ / "in" / "a folder").string());
    files_.push_back(files_.front());
    files_.push_back("-");
  }
  void TearDown() override { fs::remove_all(scratch_); }

  RUN vyrcheck(const std::string& options, int jobs) const {
    const fs::path out = scratch_ / "copies";  // the same for every run: the messages name it
    fs::remove_all(out);
    std::string command = std::string("'") + VYR_VYRCHECK + "' --data '" + VYR_BUILT_ARCHIVE + "' " + options +
                          " --jobs " + std::to_string(jobs);
    if (options.find("annotated") != std::string::npos) command += " --out-dir '" + out.string() + "'";
    for (const std::string& file : files_) command += " '" + file + "'";
    command += " >'" + (scratch_ / "out").string() + "' 2>'" + (scratch_ / "err").string() + "' <'" +
               std::string(VYR_SOURCE_DIR) + "/examples/orders-mistakes.txt'";
    const int raw = std::system(command.c_str());
    RUN run{WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw), wholeFile(scratch_ / "out"),
            wholeFile(scratch_ / "err"), {}};
    if (fs::exists(out)) {
      for (const auto& entry : fs::recursive_directory_iterator(out)) {
        if (entry.is_regular_file()) run.copies[fs::relative(entry.path(), out).string()] = wholeFile(entry.path());
      }
    }
    return run;
  }

  fs::path scratch_;
  std::vector<std::string> files_;
};

TEST_F(VyrcheckJobs, ManyJobsReportWhatOneJobReports) {
  for (const std::string options : {"--format gnu", "--format json --max-findings 3", "--format annotated",
                                    "--format gnu --quiet --no-notes --game 7"}) {
    SCOPED_TRACE(options);
    const RUN one = vyrcheck(options, 1);
    EXPECT_EQ(one.status, 3);  // the files that fail
    EXPECT_NE(one.err, "");
    for (const int jobs : {2, 5}) {
      const RUN many = vyrcheck(options, jobs);
      EXPECT_EQ(many.status, one.status) << jobs << " jobs";
      EXPECT_EQ(many.out, one.out) << jobs << " jobs";
      EXPECT_EQ(many.err, one.err) << jobs << " jobs";
      EXPECT_EQ(many.copies, one.copies) << jobs << " jobs";
    }
  }
}

TEST_F(VyrcheckJobs, ABadJobCountIsAUsageFault) {
  for (const char* bad : {"0", "-1", "x", "2x"}) {
    const std::string command = std::string("'") + VYR_VYRCHECK + "' --jobs " + bad + " - </dev/null >/dev/null 2>&1";
    const int raw = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 3) << bad;
  }
}

}  // namespace
}  // namespace vyr
