#include "checker/engine.h"

#include <memory>
#include <optional>

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

std::optional<SUGGESTER> suggesterFor(int gameNo, const CHECKOPTIONS& options) {
  if (!options.suggestions || SYNTAX::gameData() == nullptr) return std::nullopt;
  return std::optional<SUGGESTER>(std::in_place, SYNTAX::gameData()->worldOfGame(gameNo));
}

}  // namespace

CHECKRESULT checkOrdersText(std::string_view bytes, int gameNo, const CHECKOPTIONS& options) {
  const std::optional<SUGGESTER> suggester = suggesterFor(gameNo, options);
  ORDERSCHECK check(gameNo, 1, suggester ? &*suggester : nullptr);
  check.loadText(bytes);
  CHECKRESULT result;
  collect(check, result);
  return result;
}

int checkOrdersFile(const std::string& path, int gameNo, CHECKRESULT& result, const CHECKOPTIONS& options) {
  const std::optional<SUGGESTER> suggester = suggesterFor(gameNo, options);
  ORDERSCHECK check(gameNo, 1, suggester ? &*suggester : nullptr);
  if (!check.loadFile(path)) return 0;
  collect(check, result);
  return 1;
}

}  // namespace vyr
