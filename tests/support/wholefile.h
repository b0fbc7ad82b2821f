// The bytes of a file a test's run left behind ("" when it is not there).
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace vyr {

inline std::string wholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace vyr
