// doc/codes.md: an entry for every code the checker can give and none for a
// code it cannot, and each entry's faulty orders give its code while the
// corrected orders are clean, checked against the sample game data.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "findings/findingcode.h"
#include "checker/syntax.h"
#include "gamedata/synworlds.h"

namespace vyr {
namespace {

// One example block: the orders and the game number of its heading.
struct EXAMPLE {
  std::string orders;
  int gameNo = 1;
  bool sampleData = true;  // false: "(other command table)"
};

struct ENTRY {
  std::vector<EXAMPLE> faulty;
  std::vector<EXAMPLE> corrected;
};

// The entries by their "## code" heading; an example is the indented block
// after a line that starts with "Faulty" or "Corrected".
std::map<std::string, ENTRY> readEntries(const std::string& path) {
  std::ifstream in(path);
  EXPECT_TRUE(in.good()) << path;
  std::map<std::string, ENTRY> entries;
  ENTRY* entry = nullptr;
  EXAMPLE* example = nullptr;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("## ")) {
      const std::string code = line.substr(3);
      EXPECT_EQ(entries.count(code), 0U) << "two entries for " << code;
      entry = &entries[code];
      example = nullptr;
    } else if (entry != nullptr && (line.starts_with("Faulty") || line.starts_with("Corrected"))) {
      auto& examples = line.starts_with("Faulty") ? entry->faulty : entry->corrected;
      example = &examples.emplace_back();
      if (const auto game = line.find("(game "); game != std::string::npos) {
        example->gameNo = std::stoi(line.substr(game + 6));
      }
      example->sampleData = line.find("(other command table)") == std::string::npos;
    } else if (example != nullptr && line.starts_with("    ")) {
      example->orders += line.substr(4) + "\n";
    } else if (example != nullptr && !line.empty()) {
      example = nullptr;
    }
  }
  return entries;
}

class Codes : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    saved() = SYNWORLDS::directory();
    SYNTAX::releaseSyntaxData();
    SYNWORLDS::setDirectory(std::string(VYR_SOURCE_DIR) + "/data");
    SYNTAX::loadSyntaxData(0, 0);
  }
  static void TearDownTestSuite() {
    SYNTAX::releaseSyntaxData();
    SYNWORLDS::setDirectory(saved());
  }
  static std::string& saved() {
    static std::string directory;
    return directory;
  }
};

TEST_F(Codes, EveryCodeHasAnEntryWhoseExamplesHold) {
  const std::map<std::string, ENTRY> entries = readEntries(std::string(VYR_SOURCE_DIR) + "/doc/codes.md");
  std::set<std::string> codes;
  for (const FINDINGCODE code : findingCodes()) codes.emplace(findingCodeName(code));
  for (const std::string& code : codes) EXPECT_EQ(entries.count(code), 1U) << "no entry for " << code;
  for (const auto& [code, entry] : entries) {
    EXPECT_EQ(codes.count(code), 1U) << "an entry for a code the checker never gives: " << code;
    EXPECT_FALSE(entry.faulty.empty()) << code;
    EXPECT_FALSE(entry.corrected.empty()) << code;
    for (const EXAMPLE& example : entry.faulty) {
      if (!example.sampleData) continue;
      std::string found;
      for (const FINDING& f : checkOrdersText(example.orders, example.gameNo).findings) found += f.code + " ";
      EXPECT_NE(found.find(code + " "), std::string::npos) << code << ": the faulty orders give " << found;
    }
    for (const EXAMPLE& example : entry.corrected) {
      if (!example.sampleData) continue;
      for (const FINDING& f : checkOrdersText(example.orders, example.gameNo).findings) {
        ADD_FAILURE() << code << ": the corrected orders give " << f.code << " (" << f.message << ")";
      }
    }
  }
}

}  // namespace
}  // namespace vyr
