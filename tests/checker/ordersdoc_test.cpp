// doc/orders.md: every orders example (a block marked `vyr`) holds against the
// sample game data. An example without check lines is clean; one with check
// lines is the checker's own output, which checking again gives unchanged.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "checker/syntax.h"
#include "gamedata/synworlds.h"

namespace vyr {
namespace {

std::vector<std::string> examples(const std::string& path) {
  std::ifstream in(path);
  EXPECT_TRUE(in.good()) << path;
  std::vector<std::string> blocks;
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (!inside && line == "```vyr") {
      inside = true;
      blocks.emplace_back();
    } else if (inside && line == "```") {
      inside = false;
    } else if (inside) {
      blocks.back() += line + "\n";
    }
  }
  return blocks;
}

// A line the checker adds: its first word begins with '#' and ends with '>'.
bool holdsCheckLines(const std::string& text) {
  for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1) {
    const std::string word = text.substr(at, text.find_first_of(" \n", at) - at);
    if (word.size() >= 2 && word.front() == '#' && word.back() == '>') return true;
  }
  return false;
}

TEST(OrdersDocument, EveryExampleHoldsAgainstTheSampleData) {
  const std::string saved = SYNWORLDS::directory();
  SYNTAX::releaseSyntaxData();
  SYNWORLDS::setDirectory(std::string(VYR_SOURCE_DIR) + "/data");
  SYNTAX::loadSyntaxData(0, 0);
  const std::vector<std::string> blocks = examples(std::string(VYR_SOURCE_DIR) + "/doc/orders.md");
  EXPECT_GE(blocks.size(), 2u);
  for (const std::string& block : blocks) {
    SCOPED_TRACE(block);
    const CHECKRESULT result = checkOrdersText(block, 1);
    if (holdsCheckLines(block)) {
      EXPECT_EQ(result.annotated, block);
    } else {
      EXPECT_TRUE(result.findings.empty()) << result.annotated;
    }
  }
  releaseGameData();
  SYNWORLDS::setDirectory(saved);
}

}  // namespace
}  // namespace vyr
