#include "vyrmail/orderscheck.h"

#include "engine/engine.h"
#include "findings/findingformat.h"
#include "checker/gamenumber.h"

namespace vyr {

int parseGame(std::string_view text, int& gameNo) { return parseGameNumber(text, gameNo); }

int loadOrdersData(const std::string& path, std::string& error) { return loadGameData(path, error); }

BLOCKCHECK checkBlock(std::string_view text, int gameNo, int firstLine, const std::string& name) {
  const CHECKRESULT result = checkOrdersText(text, gameNo);
  BLOCKCHECK block;
  block.checked = result.checked;
  block.reason = result.reason;
  block.errors = result.errors;
  block.warnings = result.warnings;
  block.annotated = result.annotated;
  REPORTCOUNTS counts;
  counts.checked = result.checked;
  counts.reason = result.reason;
  counts.errors = result.errors;
  counts.warnings = result.warnings;
  for (const FINDING& finding : result.findings) {
    appendFinding(block.json, REPORTFORMAT::kJson, name, finding, COLUMNUNIT::kChar);
    FINDING shifted = finding;
    shifted.line += firstLine - 1;
    std::string line = formatFinding(REPORTFORMAT::kGnu, "", shifted, COLUMNUNIT::kChar);
    if (!line.empty() && line.front() == ':') line.erase(0, 1);  // no file name: the reply names the part
    if (!line.empty() && line.back() == '\n') line.pop_back();
    block.findingLines.push_back(std::move(line));
  }
  block.json += formatFileSummary(REPORTFORMAT::kJson, name, counts);
  return block;
}

std::string jsonTotal(int files, int unchecked, int errors, int warnings) {
  REPORTCOUNTS totals;
  totals.files = files;
  totals.unchecked = unchecked;
  totals.errors = errors;
  totals.warnings = warnings;
  totals.status = unchecked > 0 ? 3 : errors > 0 ? 2 : warnings > 0 ? 1 : 0;
  return formatTotal(REPORTFORMAT::kJson, totals);
}

}  // namespace vyr
