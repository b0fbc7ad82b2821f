// The library's folders are layers: a file includes only its own folder and
// the folders below it, in the order HACKING.md's map gives. The order is
// read from that sentence, so the map and the tree cannot drift apart.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vyr {
namespace {

namespace fs = std::filesystem;

std::string wholeText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The folders of the map's sentence, highest first.
std::vector<std::string> layerOrder() {
  const std::string map = wholeText(fs::path(VYR_SOURCE_DIR) / "HACKING.md");
  const std::string lead = "includes only go downward in this order:";
  const std::size_t from = map.find(lead);
  if (from == std::string::npos) return {};
  const std::string sentence = map.substr(from, map.find('.', map.find("`containers/`", from)) - from);
  std::vector<std::string> folders;
  for (std::size_t at = sentence.find('`'); at != std::string::npos; at = sentence.find('`', at + 1)) {
    const std::size_t end = sentence.find('`', at + 1);
    if (end == std::string::npos) break;
    const std::string word = sentence.substr(at + 1, end - at - 1);
    if (word.size() > 1 && word.back() == '/') folders.push_back(word.substr(0, word.size() - 1));
    at = end;
  }
  return folders;
}

TEST(Layers, EveryLibraryFolderIncludesOnlyItsOwnAndLowerFolders) {
  const std::vector<std::string> order = layerOrder();
  ASSERT_FALSE(order.empty()) << "HACKING.md no longer names the layer order";
  auto rank = [&order](const std::string& folder) {
    for (std::size_t i = 0; i < order.size(); ++i)
      if (order[i] == folder) return static_cast<int>(order.size() - i);
    return -1;
  };
  const std::string include = "#include \"";
  for (const auto& entry : fs::recursive_directory_iterator(fs::path(VYR_SOURCE_DIR) / "src")) {
    if (!entry.is_regular_file()) continue;
    const std::string folder = entry.path().parent_path().filename().string();
    ASSERT_NE(rank(folder), -1) << "src/" << folder << "/ is not in HACKING.md's layer order";
    std::istringstream lines(wholeText(entry.path()));
    for (std::string line; std::getline(lines, line);) {
      if (!line.starts_with(include) || line.find('/') == std::string::npos) continue;
      const std::string used = line.substr(include.size(), line.find('/') - include.size());
      EXPECT_NE(rank(used), -1) << entry.path() << " includes from " << used << "/, which is no layer";
      EXPECT_LE(rank(used), rank(folder)) << entry.path() << " includes upward: " << line;
    }
  }
}

}  // namespace
}  // namespace vyr
