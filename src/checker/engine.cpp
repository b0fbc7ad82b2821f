#include "checker/engine.h"

#include <filesystem>
#include <memory>

#include "checker/archivepath.h"
#include "checker/datacheck.h"
#include "checker/orderscheck.h"
#include "checker/suggester.h"
#include "gamedata/synworlds.h"

namespace vyr {

const char* severityName(SEVERITY severity) {
  switch (severity) {
    case SEVERITY::kError:
      return "error";
    case SEVERITY::kWarning:
      return "warning";
    case SEVERITY::kNote:
      return "note";
  }
  return "error";
}

namespace {

void collect(ORDERSCHECK& check, CHECKRESULT& result) {
  check.check();
  result = CHECKRESULT{};
  result.errors = check.errors();
  result.warnings = check.warnings();
  result.findings = check.findings();
  BUFFER& annotated = check.annotated();
  for (int n = 1; n <= annotated.lineCount(); ++n) {
    result.annotated += annotated.lineString(n)->view();
    result.annotated += '\n';
  }
}

// The suggester of the last world asked for, kept until the shared data
// changes: building one copies every name of the data.
struct SUGGESTERCACHE {
  std::unique_ptr<SUGGESTER> suggester;
  int generation = -1;
};
SUGGESTERCACHE suggesterCache;

const SUGGESTER* suggesterFor(int gameNo, const CHECKOPTIONS& options) {
  if (!options.suggestions || SYNTAX::gameData() == nullptr) return nullptr;
  const int world = SYNTAX::gameData()->worldOfGame(gameNo);
  SUGGESTERCACHE& cache = suggesterCache;
  if (!cache.suggester || cache.generation != SYNTAX::dataGeneration() || cache.suggester->world() != world) {
    cache.suggester.reset();  // the old names go before the new ones are copied
    cache.suggester = std::make_unique<SUGGESTER>(world);
    cache.generation = SYNTAX::dataGeneration();
  }
  return cache.suggester.get();
}

}  // namespace

void releaseGameData() {
  suggesterCache = SUGGESTERCACHE{};
  SYNTAX::releaseSyntaxData();
}

int loadGameData(const std::string& path, std::string& error) {
  const std::string source = path.empty() ? archiveBesideExecutable() : path;
  std::vector<DataFinding> findings;
  std::string fault;
  if (!checkDataSet(source, findings, fault)) {
    error = source + ": " + fault;
    return 0;
  }
  for (const DataFinding& finding : findings) {
    if (finding.isError) {
      error = source + ": " + formatDataFinding(finding);
      return 0;
    }
  }
  releaseGameData();  // data loaded before is replaced
  std::error_code ignored;
  if (std::filesystem::is_directory(source, ignored)) {
    SYNWORLDS::setDirectory(source);
    SYNTAX::loadSyntaxData(0, 1);
  } else {
    SYNTAX::setArchivePath(source);
    SYNTAX::loadSyntaxData(1, 1);
  }
  return 1;
}

CHECKRESULT checkOrdersText(std::string_view bytes, int gameNo, const CHECKOPTIONS& options) {
  ORDERSCHECK check(gameNo, 1, suggesterFor(gameNo, options));
  check.loadText(bytes);
  CHECKRESULT result;
  collect(check, result);
  return result;
}

int checkOrdersFile(const std::string& path, int gameNo, CHECKRESULT& result, const CHECKOPTIONS& options) {
  ORDERSCHECK check(gameNo, 1, suggesterFor(gameNo, options));
  if (!check.loadFile(path)) return 0;
  collect(check, result);
  return 1;
}

}  // namespace vyr
