// Game data sets with one fault each, made in a scratch directory from the
// sample data and the built archive: what every front-end must report rather
// than check with, or stop on.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vyr {

struct FAULTSET {
  std::string what;
  std::string data;    // the --data argument
  std::string reason;  // a part of the one line that says why
};

// Makes the sets below `scratch` (which it empties first).
inline std::vector<FAULTSET> makeFaultSets(const std::filesystem::path& scratch) {
  namespace fs = std::filesystem;
  fs::remove_all(scratch);
  fs::create_directories(scratch);
  const fs::path sample = fs::path(VYR_SOURCE_DIR) / "data";
  auto looseCopy = [&](const std::string& name) {
    const fs::path dir = scratch / name;
    fs::create_directories(dir);
    for (const auto& entry : fs::directory_iterator(sample)) {
      if (entry.path().extension() == ".dat") fs::copy_file(entry.path(), dir / entry.path().filename());
    }
    return dir;
  };
  std::ifstream built(VYR_BUILT_ARCHIVE, std::ios::binary);
  const std::string archive{std::istreambuf_iterator<char>(built), std::istreambuf_iterator<char>()};

  const fs::path unreadable = looseCopy("unreadable");
  fs::remove(unreadable / "vyrres.dat");
  fs::create_directory(unreadable / "vyrres.dat");  // opens, but cannot be read (also as root)
  const fs::path emptyWorlds = looseCopy("empty-worlds");
  std::ofstream(emptyWorlds / "vyrworld.dat", std::ios::trunc).flush();
  const fs::path emptyTable = looseCopy("empty-table");
  std::ofstream(emptyTable / "vyrunits.dat", std::ios::trunc).flush();
  const fs::path missingMember = looseCopy("missing-member");
  fs::remove(missingMember / "vyrhero.dat");
  std::ofstream(scratch / "cut.dat", std::ios::binary) << archive.substr(0, archive.size() / 2);
  std::ofstream(scratch / "damaged.dat", std::ios::binary) << std::string("\x01\x02", 2);

  return {
      {"missing", (scratch / "nothing-here").string(), "no such file or directory"},
      {"member missing", missingMember.string(), "vyrhero.dat: error: missing"},
      {"member unreadable", unreadable.string(), "vyrres.dat: error: cannot be read"},
      {"world file empty", emptyWorlds.string(), "vyrworld.dat: error: empty"},
      {"table empty", emptyTable.string(), "vyrunits.dat: error: empty"},
      {"archive cut short", (scratch / "cut.dat").string(), "damaged archive"},
      {"archive damaged", (scratch / "damaged.dat").string(), "damaged archive"},
  };
}

}  // namespace vyr
