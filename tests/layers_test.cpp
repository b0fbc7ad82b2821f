// The library's folders are layers: a file includes only its own folder and
// the folders below it, in the order HACKING.md's map gives. The order is
// read from that sentence, so the map and the tree cannot drift apart.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
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
  const std::regex folder("`([a-z]+)/`");
  for (std::sregex_iterator it(sentence.begin(), sentence.end(), folder), end; it != end; ++it)
    folders.push_back((*it)[1]);
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
  const std::regex include("#include \"([a-z]+)/[^\"]+\"");
  for (const auto& entry : fs::recursive_directory_iterator(fs::path(VYR_SOURCE_DIR) / "src")) {
    if (!entry.is_regular_file()) continue;
    const std::string folder = entry.path().parent_path().filename().string();
    ASSERT_NE(rank(folder), -1) << "src/" << folder << "/ is not in HACKING.md's layer order";
    const std::string text = wholeText(entry.path());
    for (std::sregex_iterator it(text.begin(), text.end(), include), end; it != end; ++it) {
      const std::string used = (*it)[1];
      EXPECT_NE(rank(used), -1) << entry.path() << " includes from " << used << "/, which is no layer";
      EXPECT_LE(rank(used), rank(folder)) << entry.path() << " includes upward: " << (*it)[0];
    }
  }
}

}  // namespace
}  // namespace vyr
