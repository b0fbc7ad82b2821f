// floor: the least work a checker of orders files must do, as a yardstick for
// VyrSyn's time and memory.
//
//   floor FILE
//
// Reads the file, cuts every line into its space-separated fields, looks the
// first field up in a hash table of command names, and writes every line back
// to standard output indented by two spaces. Nothing is checked. The count of
// lines whose first word is a known command goes to standard error, so that
// the work cannot be left out.
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: floor FILE\n", stderr);
    return 2;
  }
  std::FILE* file = std::fopen(argv[1], "rb");
  if (file == nullptr) return 1;
  std::string input;
  char block[1 << 16];
  std::size_t got = 0;
  while ((got = std::fread(block, 1, sizeof block, file)) > 0) input.append(block, got);
  std::fclose(file);

  const std::unordered_set<std::string_view> commands = {
      "ALLY",    "AMBUSH", "BOARD",   "CAST",    "CLEAR",   "CONSTRUCT", "EMAIL",  "EXPLORE",
      "FEED",    "FORGE",  "IMMIGRATE", "LAND", "LAUNCH",  "MARCH",     "MESSAGE", "NOTE",
      "PASSWORD", "PRODUCE", "RECRUIT", "RENAME", "ROUTE", "SCOUT",     "SHIRE",  "STUDY",
      "SURVEY",  "TAX",    "TRADE",   "TRAIN",   "ZIPMAIL"};  // the commands of data/vyrsyn.dat
  std::string output;
  output.reserve(input.size() + input.size() / 4);
  std::vector<std::string_view> fields;
  long known = 0;
  std::size_t begin = 0;
  while (begin < input.size()) {
    std::size_t end = input.find('\n', begin);
    if (end == std::string::npos) end = input.size();
    const std::string_view line(input.data() + begin, end - begin);
    fields.clear();
    for (std::size_t i = 0; i < line.size();) {
      while (i < line.size() && line[i] == ' ') ++i;
      const std::size_t start = i;
      while (i < line.size() && line[i] != ' ') ++i;
      if (i > start) fields.push_back(line.substr(start, i - start));
    }
    if (!fields.empty() && commands.count(fields.front()) != 0) ++known;
    output += "  ";
    output += line;
    output += '\n';
    begin = end + 1;
  }
  std::fwrite(output.data(), 1, output.size(), stdout);
  std::fprintf(stderr, "%ld\n", known);
  return 0;
}
