#include "gamedata/synworlds.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "archive/files.h"

namespace vyr {
namespace {

namespace fs = std::filesystem;
using ::testing::internal::CaptureStderr;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStderr;
using ::testing::internal::GetCapturedStdout;

std::string makeTempDir() {
  std::string pattern = (fs::temp_directory_path() / "synworlds-XXXXXX").string();
  return mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The worlds as "number:name:game,game|...".
std::string describe(SYNWORLDS& worlds) {
  std::string out;
  for (int p = 1; p <= worlds.count(); ++p) {
    WORLDLIST& w = *worlds.get(p);
    out += (p > 1 ? "|" : "") + std::to_string(w.key()) + ":" + w.name() + ":";
    for (int g = 1; g <= w.count(); ++g) out += (g > 1 ? "," : "") + std::to_string(w.get(g)->key());
  }
  return out;
}

// Every table's entries, in load order, as "file: key world name second extra".
std::string describeTables(SYNWORLDS& worlds) {
  SYNDAT* tables[] = {worlds.res.get(),   worlds.land.get(),  worlds.race.get(),  worlds.magic.get(),
                      worlds.spell.get(), worlds.build.get(), worlds.units.get(), worlds.hero.get(),
                      worlds.ships.get(), worlds.art.get(),   worlds.place.get()};
  std::string out;
  for (int i = 0; i < 11; ++i) {
    for (int p = 1; p <= tables[i]->count(); ++p) {
      const SYNDATOBJ& e = *tables[i]->get(p);
      out += std::string(SYNWORLDS::kTableFiles[i]) + ": " + std::to_string(e.key()) + " " +
             std::to_string(e.getWorld()) + " " + e.name() + " " + e.text() + " " + e.extra() + "\n";
    }
  }
  return out;
}

// A fatal error's text on standard output, made visible to EXPECT_DEATH.
void expectFatal(const std::function<void()>& action, const std::string& message) {
  EXPECT_DEATH(
      {
        dup2(2, 1);
        std::freopen("/dev/null", "r", stdin);
        action();
      },
      message);
}

class SynworldsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = makeTempDir();
    ASSERT_FALSE(dir_.empty());
    saved_ = SYNWORLDS::directory();
    SYNWORLDS::setDirectory(dir_);
    // Each table names its own file, so a table loaded from the wrong file shows.
    for (const char* name : SYNWORLDS::kTableFiles) {
      writeFile(dir_ + "/" + name, std::string("0\t") + name + "\tsecond\n2\tOnly2\t\textra text\n");
    }
  }
  void TearDown() override {
    SYNWORLDS::setDirectory(saved_);
    fs::remove_all(dir_);
  }
  std::unique_ptr<SYNWORLDS> loadWorlds(const std::string& worldFile) {
    writeFile(dir_ + "/vyrworld.dat", worldFile);
    auto worlds = std::make_unique<SYNWORLDS>(0, nullptr, 1);
    worlds->setVerbose(0);
    worlds->loadAll(nullptr, 1);
    return worlds;
  }
  std::string dir_;
  std::string saved_;
};

TEST(SynworldsDirectory, DefaultsToTheSystemRepository) {
  EXPECT_EQ(SYNWORLDS::directory(), "/data/repository/Vyr/System");
}

TEST_F(SynworldsTest, ReadsWorldLines) {
  const struct {
    const char* file;
    const char* worlds;
  } cases[] = {
      {"2\t\"Second World\"\t17\t23\n", "2:Second World:17,23"},
      {"3\t\t\tThird\t\t5\n", "3:Third:5"},
      {"\t\t4\tFour\n", "4:Four:"},
      {"\n5\tFive\n\n2\tTwo\t9\n", "2:Two:9|5:Five:"},
      {"1\t\"A\tB\"\t30\t10\t30\n", "1:A\tB:10,30,30"},
      {"1\t\"\"\t3\n", "1::3"},
      {" 6x\tSix\t+7y\n", "6:Six:7"},
  };
  for (const auto& c : cases) EXPECT_EQ(describe(*loadWorlds(c.file)), c.worlds) << c.file;
}

TEST_F(SynworldsTest, AnswersTheLowestWorldOfAGame) {
  auto worlds = loadWorlds("3\tThree\t7\t9\n1\tOne\t8\t7\n");
  const int cases[][2] = {{7, 1}, {8, 1}, {9, 3}, {5, 0}, {0, 0}};
  for (const auto& c : cases) EXPECT_EQ(worlds->worldOfGame(c[0]), c[1]) << c[0];
  std::string name = "unchanged";
  ASSERT_NE(worlds->worldNameOfGame(name, 9), nullptr);
  EXPECT_EQ(name, "Three");
  EXPECT_EQ(worlds->worldNameOfGame(name, 5), nullptr);

  OBJECTLIST games;
  games.addNew(99);
  worlds->collectGames(&games);
  std::string keys;
  for (int p = 1; p <= games.count(); ++p) keys += std::to_string(games.get(p)->key()) + " ";
  EXPECT_EQ(keys, "7 7 8 9 ");
}

TEST_F(SynworldsTest, AddsWorldsAndGames) {
  auto worlds = loadWorlds("7\tSeven\n2\tTwo\n");
  int number = 0;
  EXPECT_EQ(worlds->addWorld("sEVEN", &number), 0);
  EXPECT_EQ(number, 7);
  EXPECT_EQ(worlds->addWorld("Eight", &number), 1);
  EXPECT_EQ(number, 8);
  worlds->addGame(8, 4);
  worlds->addGame(8, 4);
  EXPECT_EQ(describe(*worlds), "2:Two:|7:Seven:|8:Eight:4,4");
  SYNWORLDS empty(0, nullptr, 1);
  EXPECT_EQ(empty.addWorld("First", &number), 1);
  EXPECT_EQ(number, 1);
}

TEST_F(SynworldsTest, LoadsTheTablesInOrderFromLooseFilesOrAnArchive) {
  auto loose = loadWorlds("1\tOne\t1\n");
  EXPECT_EQ(loose->spell->findName("VYRSPELL.DAT", 1), 1);
  EXPECT_EQ(loose->art->findName("only2", 2), 2);
  EXPECT_EQ(loose->art->findName("only2", 1), 0);

  FILES archive(dir_ + "/unused.arc");
  loose->registerFiles(archive);
  ASSERT_EQ(archive.count(), 12);
  CaptureStderr();
  SYNWORLDS packed(1, &archive, 1);
  GetCapturedStderr();
  EXPECT_EQ(describe(packed), describe(*loose));
  EXPECT_EQ(describeTables(packed), describeTables(*loose));

  // Members missing from an archive are no error: no worlds, empty tables.
  FILES none(dir_ + "/none.arc");
  CaptureStderr();
  SYNWORLDS bare(1, &none, 1);
  EXPECT_EQ(GetCapturedStderr(), "Loading World Data ... Done!\nLoading Up Syntax Data Files ... Done!\n");
  EXPECT_EQ(bare.count(), 0);
  EXPECT_EQ(bare.worldOfGame(1), 0);
  EXPECT_EQ(bare.res->findName("", 0), 0);
}

TEST_F(SynworldsTest, ProgressMessagesGoToTheChosenStream) {
  writeFile(dir_ + "/vyrworld.dat", "1\tOne\n");
  const char* loading = "Loading World Data ... Done!\nLoading Up Syntax Data Files ... Done!\n";
  const struct {
    int verbose;
    int stream;
    const char* out;
    const char* err;
  } cases[] = {{1, 1, "", loading}, {1, 2, loading, ""}, {1, 0, loading, ""}, {2, 1, "", ""}, {0, 2, "", ""}};
  for (const auto& c : cases) {
    SYNWORLDS worlds(0, nullptr, c.stream);
    worlds.setVerbose(c.verbose);
    CaptureStdout();
    CaptureStderr();
    worlds.loadAll(nullptr, c.stream);
    std::fflush(stdout);
    EXPECT_EQ(GetCapturedStderr(), c.err);
    EXPECT_EQ(GetCapturedStdout(), c.out);
  }
}

TEST_F(SynworldsTest, SavingAndLoadingAgainKeepsWorldsEntriesAndKeys) {
  auto original = loadWorlds("5\t\"Fifth World\"\t30\t10\n2\tTwo\n\t1\tOne\t\t4\n");
  original->res->addItem(3, "Iron", "FE", "");
  const std::string out = makeTempDir();
  SYNWORLDS::setDirectory(out);
  original->setVerbose(1);
  CaptureStdout();
  original->saveAll();
  std::fflush(stdout);
  EXPECT_EQ(GetCapturedStdout(), "Saving World Data ... Done!\nSaving Syntax Data Files ... Done!\n");
  EXPECT_EQ(readFile(out + "/vyrworld.dat"), "1\t\"One\"\t4\n2\t\"Two\"\n5\t\"Fifth World\"\t10\t30\n");

  SYNWORLDS reloaded(0, nullptr, 1);
  reloaded.setVerbose(0);
  reloaded.loadAll(nullptr, 1);
  EXPECT_EQ(describe(reloaded), describe(*original));
  EXPECT_EQ(describeTables(reloaded), describeTables(*original));
  EXPECT_EQ(reloaded.res->findName("fe", 3), 3);
  fs::remove_all(out);
}

TEST_F(SynworldsTest, FatalErrors) {
  const struct {
    const char* file;
    const char* message;
  } loads[] = {
      {"2\tName\t17\t\n", "\nUnable to load game number\\.\n"},
      {"2\tName\tabc\n", "\nUnable to load game number\\.\n"},
      {"2\n", "\nError Loading World Number\\.\n"},
      {"0\tZero\n", "\nError Loading World Number\\.\n"},
      {"World\tName\n", "\nError Loading World Number\\.\n"},
      // The path of a loose world file that gives no lines comes first.
      {"", "World Data \\.\\.\\. .*/vyrworld\\.dat\n\nUnable to open VYRWORLDS file for reading\\.\n"},
      {nullptr, "World Data \\.\\.\\. .*/vyrworld\\.dat\n\nUnable to open VYRWORLDS file for reading\\.\n"},
  };
  for (const auto& c : loads) {
    fs::remove(dir_ + "/vyrworld.dat");
    if (c.file != nullptr) writeFile(dir_ + "/vyrworld.dat", c.file);
    expectFatal([] { SYNWORLDS worlds(1, nullptr, 1); }, c.message);
  }

  SYNWORLDS worlds(0, nullptr, 1);
  int number = 0;
  expectFatal([&] { worlds.addGame(3, 1); }, "\nRquested World Number Does Not Exist\\.\n");
  expectFatal([&] { worlds.addWorld(nullptr, &number); }, "\nUnable to add world name\\.\n");
  SYNWORLDS::setDirectory(dir_ + "/no/such/dir");
  expectFatal([&] { worlds.saveAll(); }, "\nUable to open file VYRWORLDS for writing\\.\n");
}

// The reader behind loadWorlds answers the fatal message instead of ending the
// run, and keeps the worlds of the lines before the fault.
TEST(SynworldsRead, AnswersTheFaultInsteadOfEndingTheRun) {
  const struct {
    const char* lines;
    int answer;
    const char* message;
    const char* worlds;
  } cases[] = {
      {"2\t\"Second World\"\t17\t\t23\n\n1\tFirst\n", 1, "", "1:First:|2:Second World:17,23"},
      {"1\tA\t5\n2\tName\t17\t\n", 0, "Unable to load game number.", "1:A:5|2:Name:17"},
      {"2\tName\tabc\n", 0, "Unable to load game number.", "2:Name:"},
      {"1\tA\n2\n", 0, "Error Loading World Number.", "1:A:"},
      {"0\tZero\n", 0, "Error Loading World Number.", ""},
      {"World\tName\n", 0, "Error Loading World Number.", ""},
  };
  for (const auto& c : cases) {
    BUFFER lines;
    std::string text = c.lines;
    for (std::size_t end = 0; (end = text.find('\n')) != std::string::npos; text.erase(0, end + 1)) {
      lines.addLine(text.substr(0, end));
    }
    SYNWORLDS worlds(0, nullptr, 1);
    std::string message;
    EXPECT_EQ(worlds.readWorlds(lines, message), c.answer) << c.lines;
    EXPECT_EQ(message, c.message) << c.lines;
    EXPECT_EQ(describe(worlds), c.worlds) << c.lines;
  }
}

}  // namespace
}  // namespace vyr
