#include "gamedata/syndat.h"

#include <gtest/gtest.h>
#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace vyr {
namespace {

namespace fs = std::filesystem;

class SyndatTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "syndat-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }
  void write(const std::string& name, const std::string& content) {
    std::ofstream(dir_ + "/" + name, std::ios::binary) << content;
  }
  std::string read(const std::string& name) {
    std::ifstream in(dir_ + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::string dir_;
};

// Rows of one entry as "key|world|name|second|extra".
std::string rows(SYNDAT& table) {
  std::string out;
  for (int p = 1; p <= table.count(); ++p) {
    const SYNDATOBJ& e = *table.get(p);
    out += std::to_string(e.key()) + "|" + std::to_string(e.getWorld()) + "|" + e.name() + "|" + e.text() +
           "|" + e.extra() + "\n";
  }
  return out;
}

// What a walk from key 1 answers: the reference for the index.
int walkFind(SYNDAT& table, const std::string& text, int world) {
  for (int p = 1; p <= table.count(); ++p) {
    const SYNDATOBJ& e = *table.get(p);
    if (e.getWorld() != 0 && e.getWorld() != world) continue;
    if (strcasecmp(e.name().c_str(), text.c_str()) == 0 || strcasecmp(e.text().c_str(), text.c_str()) == 0) {
      return e.key();
    }
  }
  return 0;
}

TEST_F(SyndatTest, LoadsColumnsByPositionAndFindsVisibleNames) {
  write("t.dat",
        "0\tGold\tGD\n"
        "3\tElf\tE\n"
        "\n"
        "2\tElf\tElven\r\n"
        "0\tgold\tOther\n"
        "5\n"
        "Gold\tG\n"
        "7\t\"A\tB\"\tQ\textra\tignored\n"
        " -4x\tNeg\n"
        "4\t\tSecondOnly\n");
  SYNDAT table;
  table.load(dir_, "t.dat", nullptr);
  EXPECT_EQ(rows(table),
            "1|0|Gold|GD|\n2|3|Elf|E|\n3|2|Elf|Elven|\n4|0|gold|Other|\n5|5|||\n6|0|G||\n"
            "7|7|A\tB|Q|extra\n8|-4|Neg||\n9|4||SecondOnly|\n");
  const struct {
    const char* text;
    int world;
    int key;
  } cases[] = {
      {"gold", 1, 1},       {"GOLD", 0, 1}, {"gd", 9, 1},    {"Elf", 3, 2},   {"e", 3, 2},     {"Elf", 2, 3},
      {"e", 2, 0},          {"Elf", 0, 0},  {"ELVEN", 2, 3}, {"elven", 3, 0}, {"other", 0, 4}, {"", 5, 5},
      {"", 0, 6},           {"", 3, 6},     {"g", 0, 6},     {"a\tb", 7, 7},  {"q", 7, 7},     {"Neg", -4, 8},
      {"secondonly", 4, 9}, {"", 4, 6},     {"Gol", 0, 0},   {"Gold ", 0, 0}, {"extra", 7, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(table.findName(c.text, c.world), c.key) << c.text << " w" << c.world;
}

TEST_F(SyndatTest, IndexAnswersWhatTheWalkAnswers) {
  std::mt19937 random(7);
  const char* names[] = {"a", "A", "b", "ab", "", "Ab", "B", "c"};
  SYNDAT table;
  for (int i = 0; i < 300; ++i) {
    table.addItem(static_cast<int>(random() % 4), names[random() % 8], names[random() % 8], "");
  }
  auto agree = [&] {
    for (const char* name : {"a", "b", "ab", "", "c", "d"}) {
      for (int world = 0; world < 4; ++world)
        ASSERT_EQ(table.findName(name, world), walkFind(table, name, world));
    }
  };
  agree();
  // Changes behind the index's back: bare list removals, then more addItem.
  for (int key : {1, 2, 5, 40, 299}) table.removeKey(key);
  agree();
  table.addItem(3, "d", "c", "");
  agree();
  table.clear();
  EXPECT_EQ(table.findName("a", 0), 0);
}

// Changes made with the bare list operations that keep the count, or to an
// entry's key, are seen by the next look-up.
TEST_F(SyndatTest, LookUpsFollowListChangesThatKeepTheCount) {
  struct Case {
    const char* what;
    std::function<void(SYNDAT&)> change;
    std::vector<std::pair<const char*, int>> finds;  // name, key found in world 1
  };
  const std::vector<Case> cases = {
      {"remove one, add another",
       [](SYNDAT& t) {
         t.removeKey(2);
         t.add(std::make_unique<SYNDATOBJ>(7, 0, "Dwarf", "DW"));
       },
       {{"elf", 0}, {"e", 0}, {"dwarf", 7}, {"dw", 7}, {"gold", 1}, {"orc", 3}}},
      {"remove the first, add it back under another key",
       [](SYNDAT& t) {
         t.removeKey(1);
         t.add(std::make_unique<SYNDATOBJ>(4, 0, "Gold", "GD"));
       },
       {{"gold", 3}, {"gd", 4}, {"elf", 2}}},
      {"add in front, remove the last",
       [](SYNDAT& t) {
         t.addFront(std::make_unique<SYNDATOBJ>(9, 0, "Orc", ""));
         t.removeKey(3);
       },
       {{"orc", 9}, {"gold", 1}}},
      {"set a key", [](SYNDAT& t) { t.get(2)->setKey(20); }, {{"elf", 20}, {"e", 20}, {"gold", 1}}},
      {"renumber", [](SYNDAT& t) { t.renumber(11, 1); }, {{"gold", 11}, {"elf", 12}, {"orc", 13}}},
      {"move to the front", [](SYNDAT& t) { t.moveToFront(3); }, {{"orc", 3}, {"gold", 3}, {"gd", 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SYNDAT table;
    table.addItem(0, "Gold", "GD", "");
    table.addItem(1, "Elf", "E", "");
    table.addItem(0, "Orc", "Gold", "");
    ASSERT_EQ(table.findName("elf", 1), 2);  // the index is built
    c.change(table);
    for (const auto& [name, key] : c.finds) {
      EXPECT_EQ(table.findName(name, 1), key) << name;
      EXPECT_EQ(table.findName(name, 1), walkFind(table, name, 1)) << name;
    }
    // addItem after the change keeps answering what a walk answers.
    table.addItem(0, "Gold", "", "");
    for (const char* name : {"gold", "gd", "elf", "e", "orc", "dwarf"}) {
      EXPECT_EQ(table.findName(name, 1), walkFind(table, name, 1)) << name;
    }
  }
}

TEST_F(SyndatTest, LoadingTwiceAppendsAndSavingRoundTrips) {
  write("t.dat", "0\tGold\tGD\n3\tElf\t\tspell slots\n");
  SYNDAT table;
  table.load(dir_, "t.dat", nullptr);
  table.load(dir_, "t.dat", nullptr);
  ASSERT_EQ(table.count(), 4);
  EXPECT_EQ(table.findName("elf", 3), 2);
  table.save(dir_ + "/out.dat");
  EXPECT_EQ(read("out.dat"), "0\tGold\tGD\t\n3\tElf\t\tspell slots\n0\tGold\tGD\t\n3\tElf\t\tspell slots\n");
  SYNDAT again;
  again.load(dir_, "out.dat", nullptr);
  EXPECT_EQ(rows(again), rows(table));
}

TEST_F(SyndatTest, FatalErrors) {
  write("empty.dat", "");
  SYNDAT table;
  const struct {
    const char* file;
    const char* message;
  } loads[] = {{"empty.dat", "\nUnable to open file for reading\\. SYNDAT\\.\n"},
               {"missing.dat", "\nUnable to open file for reading\\. SYNDAT\\.\n"}};
  for (const auto& c : loads) {
    EXPECT_DEATH(
        {
          dup2(2, 1);
          std::freopen("/dev/null", "r", stdin);
          table.load(dir_, c.file, nullptr);
        },
        c.message);
  }
  EXPECT_DEATH(
      {
        dup2(2, 1);
        std::freopen("/dev/null", "r", stdin);
        table.save(dir_ + "/no/such/dir.dat");
      },
      "\nUnable to open up the syntax file for writing in SYNDAT\\.\n");
}

}  // namespace
}  // namespace vyr
