// Runs the built vyrpack on the sample game data and on faulty input.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

#if defined(VYR_VYRPACK) && defined(VYR_BUILT_ARCHIVE)

const char* const kMembers[] = {"vyrsyn.dat",   "vyrworld.dat", "vyrres.dat",   "vyrland.dat", "vyrrace.dat",
                                "vyrmagic.dat", "vyrspell.dat", "vyrbuild.dat", "vyrunits.dat", "vyrhero.dat",
                                "vyrships.dat", "vyrart.dat",   "vyrplace.dat"};

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

class VyrpackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_ = fs::temp_directory_path() /
               ("vyr_vyrpack_" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(scratch_);
    fs::create_directories(scratch_ / "loose");
    for (const char* name : kMembers) fs::copy_file(dataDir() / name, scratch_ / "loose" / name);
  }
  void TearDown() override { fs::remove_all(scratch_); }

  static fs::path dataDir() { return fs::path(VYR_SOURCE_DIR) / "data"; }
  std::string at(const std::string& name) const { return (scratch_ / name).string(); }

  ToolRun vyrpack(const std::string& args) const {
    const std::string command = std::string("'") + VYR_VYRPACK + "' " + args + " >'" + at("stdout") + "' 2>'" +
                                at("stderr") + "' </dev/null";
    const int raw = std::system(command.c_str());
    return ToolRun{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(at("stdout")), readFile(at("stderr"))};
  }

  // The listing a sound archive of the sample data gives: lines and name per member.
  static std::string expectedListing() {
    std::string listing;
    for (const char* name : kMembers) {
      const std::string text = readFile(dataDir() / name);
      std::string count = std::to_string(std::count(text.begin(), text.end(), '\n'));
      std::string upper(name);
      std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
      listing += std::string(7 - count.size(), ' ') + count + "  " + upper + "\n";
    }
    return listing;
  }

  fs::path scratch_;
};

TEST_F(VyrpackTest, CreateListExtractGiveBackTheLooseFiles) {
  const ToolRun created = vyrpack("create " + at("syntax.dat") + " " + at("loose"));
  ASSERT_EQ(created.status, 0) << created.err;
  EXPECT_EQ(created.err, "");

  const ToolRun listed = vyrpack("list " + at("syntax.dat"));
  EXPECT_EQ(listed.status, 0) << listed.err;
  EXPECT_EQ(listed.out, expectedListing());

  const ToolRun extracted = vyrpack("extract " + at("syntax.dat") + " " + at("back"));
  ASSERT_EQ(extracted.status, 0) << extracted.err;
  for (const char* name : kMembers) {
    EXPECT_EQ(readFile(scratch_ / "back" / name), readFile(dataDir() / name)) << name;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(scratch_ / "back"), fs::directory_iterator()), 13);

  // The archive the build put beside VyrSyn holds the same thirteen members.
  const ToolRun built = vyrpack(std::string("list ") + VYR_BUILT_ARCHIVE);
  EXPECT_EQ(built.status, 0) << built.err;
  EXPECT_EQ(built.out, expectedListing());
}

TEST_F(VyrpackTest, FurtherMembersAndSingleExtracts) {
  writeFile(scratch_ / "loose" / "Notes.txt", "one\r\ntwo");
  ASSERT_EQ(vyrpack("create " + at("syntax.dat") + " " + at("loose") + " Notes.txt").status, 0);
  const ToolRun listed = vyrpack("list " + at("syntax.dat"));
  EXPECT_EQ(listed.out, expectedListing() + "      2  NOTES.TXT\n");

  const ToolRun extracted = vyrpack("extract " + at("syntax.dat") + " " + at("back") + " NOTES.TXT vyrres.dat");
  ASSERT_EQ(extracted.status, 0) << extracted.err;
  EXPECT_EQ(readFile(scratch_ / "back" / "notes.txt"), "one\ntwo\n");  // line ends as the archive keeps them
  EXPECT_EQ(readFile(scratch_ / "back" / "vyrres.dat"), readFile(dataDir() / "vyrres.dat"));
  EXPECT_EQ(std::distance(fs::directory_iterator(scratch_ / "back"), fs::directory_iterator()), 2);
}

TEST_F(VyrpackTest, FailuresAreReportedNeverHalfDone) {
  const std::string archive = at("syntax.dat");
  const std::string loose = at("loose");
  ASSERT_EQ(vyrpack("create " + archive + " " + loose).status, 0);
  const std::string packed = readFile(archive);
  fs::create_directories(scratch_ / "back");
  writeFile(scratch_ / "back" / "vyrsyn.dat", "mine\n");
  writeFile(scratch_ / "damaged.dat", std::string("\x00\x44\x46\xFF\x7E\x11\xFF", 7));

  struct Case {
    std::string args;
    int status;
    std::string message;  // part of standard error
  };
  const Case cases[] = {
      {"create " + archive + " " + loose, 1, archive + " already exists (use --force to replace it)"},
      {"extract " + archive + " " + at("back"), 1, "back/vyrsyn.dat already exists (use --force to replace it)"},
      {"extract " + archive + " " + at("back") + " nothing.dat", 1, " has no member nothing.dat"},
      {"create " + at("new.dat") + " " + loose + " VYRSYN.DAT", 1, "member VYRSYN.DAT is named twice"},
      {"create " + at("new.dat") + " " + loose + " sub/x.dat", 1, "'sub/x.dat' cannot be a member name"},
      {"create " + at("new.dat") + " " + at("nowhere"), 1, "cannot open " + at("nowhere") + "/vyrsyn.dat"},
      {"list " + at("damaged.dat"), 1, "damaged.dat: Damaged data archive in FILES::loadFiles."},
      {"list " + at("missing.dat"), 1, "cannot open " + at("missing.dat") + " for reading"},
      {"", 2, "no command given"},
      {"pack " + archive, 2, "unknown command pack"},
      {"list", 2, "list needs exactly one ARCHIVE"},
      {"create " + archive, 2, "create needs an ARCHIVE and a DIR"},
      {"list --force " + archive, 2, "list does not take --force"},
      {"list -x " + archive, 2, "unknown option -x"},
      {"list -- -x.dat", 1, "cannot open -x.dat for reading"},  // after "--" nothing is an option
      {"list -", 1, "cannot open - for reading"},               // nor is a lone "-"
      {"create " + at("new.dat") + " " + loose + " \xFF", 1, "holds the byte 0xFF, which cannot be stored"},
  };
  for (const Case& c : cases) {
    const ToolRun run = vyrpack(c.args);
    EXPECT_EQ(run.status, c.status) << c.args;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args << "\n" << run.err;
    EXPECT_EQ(run.out, "") << c.args;
  }
  EXPECT_EQ(readFile(archive), packed);
  EXPECT_EQ(readFile(scratch_ / "back" / "vyrsyn.dat"), "mine\n");
  EXPECT_FALSE(fs::exists(scratch_ / "new.dat"));

  // A missing data file or a byte that cannot be stored names the file and line.
  fs::remove(scratch_ / "loose" / "vyrres.dat");
  ToolRun run = vyrpack("create --force " + archive + " " + loose);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot open " + loose + "/vyrres.dat for reading"), std::string::npos) << run.err;
  for (const auto& [bytes, where] :
       {std::pair<std::string, std::string>{"0\tGold\tGD\t\n0\tSilver\tAG\t\n0\tBad\xFE\tB\t\n",
                                            "vyrres.dat:3: the byte 0xFE"},
        {std::string("0\tGo\0ld\tGD\t\n", 12), "vyrres.dat:1: the byte 0x00"},
        {"0\tGold\tGD\t\n\xFF", "vyrres.dat:2: the byte 0xFF"}}) {
    writeFile(scratch_ / "loose" / "vyrres.dat", bytes);
    run = vyrpack("create --force " + archive + " " + loose);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(loose + "/" + where + " cannot be stored"), std::string::npos) << run.err;
  }
  EXPECT_EQ(readFile(archive), packed);

  // --force replaces, and help goes to standard output.
  writeFile(scratch_ / "loose" / "vyrres.dat", "0\tGold\tGD\t\n");
  EXPECT_EQ(vyrpack("create " + archive + " " + loose + " --force").status, 0);
  EXPECT_NE(readFile(archive), packed);
  EXPECT_EQ(vyrpack("extract -f " + archive + " " + at("back")).status, 0);
  EXPECT_EQ(readFile(scratch_ / "back" / "vyrres.dat"), "0\tGold\tGD\t\n");
  const ToolRun help = vyrpack("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: vyrpack create [--force] ARCHIVE DIR [MEMBER...]\n", 0), 0u);
}

#else

TEST(VyrpackTest, NeedsTheBuiltTool) { GTEST_SKIP() << "vyrpack is not part of this build"; }

#endif

}  // namespace
