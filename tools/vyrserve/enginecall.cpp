#include "vyrserve/enginecall.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "checker/syntax.h"
#include "gamedata/synworlds.h"
#include "text/fatal.h"

namespace vyr {

namespace {

// A fault the library cannot continue from (faulty game data at start): one
// line on standard error and status 1; the console is never asked.
[[noreturn]] void endOnFault(const FATALFAULT& fault) {
  std::string line = "vyrserve: ";
  if (!fault.detail.empty()) line.append(fault.detail).append(": ");
  line.append(fault.message).append("\n");
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
  std::_Exit(1);
}

}  // namespace

void installServedFaultHandler() { setFatalHandler(endOnFault); }

int loadServedData(const std::string& path, std::string& error) { return loadGameData(path, error); }

void releaseServedData() { releaseGameData(); }

bool servedDataLoaded() { return SYNTAX::gameData() != nullptr; }

std::vector<SERVEDWORLD> servedWorlds() {
  std::vector<SERVEDWORLD> worlds;
  const SYNWORLDS* data = SYNTAX::gameData();
  if (data == nullptr) return worlds;
  for (const SYNWORLDS::WORLDINFO& world : data->worlds()) worlds.push_back({world.number, world.name, world.games});
  return worlds;
}

CHECKRESULT checkServedOrders(std::string_view orders, int gameNo) {
  // Checks run side by side: the loaded data is read only, and each check's
  // scratch state belongs to its thread.
  return checkOrdersText(orders, gameNo);
}

}  // namespace vyr
