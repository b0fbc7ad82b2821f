// Every call vyrmail makes into the checking engine, in one place: loading
// the game data, and the check of one block of orders with its report lines
// (the annotated copy, the findings as compiler-style lines and as JSON
// lines, as vyrcheck writes them).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vyr {

// Reads a game number as VyrSyn and vyrcheck read it; answers 0 for text
// that is no number.
int parseGame(std::string_view text, int& gameNo);

// Answers 1, or 0 with the fault in words.
int loadOrdersData(const std::string& path, std::string& error);

struct BLOCKCHECK {
  int checked = 1;
  std::string reason;      // when checked is 0
  int errors = 0;
  int warnings = 0;
  std::string annotated;   // byte for byte VyrSyn's output for the block
  std::vector<std::string> findingLines;  // "LINE:COLUMN: severity: message (did you mean ...)", no newline
  std::string json;        // vyrcheck's JSON lines for the block as file `name`
};

// Checks `text` for game `gameNo`; finding lines count from `firstLine`, the
// block's first line in the part it came from; columns count characters.
BLOCKCHECK checkBlock(std::string_view text, int gameNo, int firstLine, const std::string& name);

// vyrcheck's JSON total line over the blocks' counts.
std::string jsonTotal(int files, int unchecked, int errors, int warnings);

}  // namespace vyr
