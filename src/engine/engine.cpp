#include "engine/engine.h"

#include <filesystem>
#include <memory>

#include "archive/files.h"
#include "checker/archivepath.h"
#include "datacheck/datacheck.h"
#include "checker/orderscheck.h"
#include "checker/suggester.h"
#include "gamedata/synworlds.h"
#include "text/outtext.h"

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

// The text the annotated copy is written into, kept from call to call on each
// thread: a check writes again the pages the last one wrote instead of having
// the kernel hand out and clear fresh ones. One that grew large is given back
// after its call.
constexpr std::size_t kKeptOutput = std::size_t{1} << 20;
thread_local std::unique_ptr<OUTTEXT> keptOutput;

OUTTEXT& outputText() {
  if (!keptOutput) keptOutput = std::make_unique<OUTTEXT>();
  return *keptOutput;
}

void collect(ORDERSCHECK& check, CHECKRESULT& result, const CHECKOPTIONS& options) {
  check.setNotes(options.notes);
  check.setOrders(options.orders);
  check.check();
  result = CHECKRESULT{};
  if (check.stoppedOnTableFault()) {
    result.checked = 0;
    result.reason = check.stopReason();
  }
  result.errors = check.errors() + check.holdsNoOrders();
  result.warnings = check.warnings();
  result.findings = check.takeFindings();
  result.orders = check.takeOrders();
  if (options.annotated) result.annotated = check.annotated();
  if (keptOutput && keptOutput->size() > kKeptOutput) keptOutput.reset();
}

// The suggester of the last world asked for on this thread, kept until the
// shared data changes: building one copies every name of the data.
struct SUGGESTERCACHE {
  std::unique_ptr<SUGGESTER> suggester;
  int generation = -1;
};
thread_local SUGGESTERCACHE suggesterCache;

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
  keptOutput.reset();
  SYNTAX::releaseSyntaxData();
}

namespace {

// Why the data set at `source` cannot be read at all, in plain words.
std::string unreadableData(const std::string& source) {
  std::error_code failure;
  if (!std::filesystem::exists(source, failure)) return "no such file or directory";
  FILES archive(source);
  std::string message;
  if (!archive.readFiles(message) && !archive.plainFault().empty()) return archive.plainFault();
  return "cannot be read";
}

}  // namespace

int loadGameData(const std::string& path, std::string& error) {
  const std::string source = path.empty() ? archiveBesideExecutable() : path;
  std::vector<DataFinding> findings;
  std::string fault;
  if (!checkDataSet(source, findings, fault)) {
    error = source + ": " + unreadableData(source);
    return 0;
  }
  for (const DataFinding& finding : findings) {
    // A slot word that is no kind stops only the check of an order that
    // reaches it (CHECKRESULT::checked), so such data still loads.
    if (finding.isError && !finding.endsOrderOnly) {
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
  ORDERSCHECK check(gameNo, 1, suggesterFor(gameNo, options), &outputText());
  check.loadText(bytes);
  CHECKRESULT result;
  collect(check, result, options);
  return result;
}

int checkOrdersFile(const std::string& path, int gameNo, CHECKRESULT& result, const CHECKOPTIONS& options) {
  ORDERSCHECK check(gameNo, 1, suggesterFor(gameNo, options), &outputText());
  if (!check.loadFile(path)) return 0;
  collect(check, result, options);
  return 1;
}

}  // namespace vyr
