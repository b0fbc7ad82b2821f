#include "vyrserve/enginecall.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "checker/syntax.h"
#include "gamedata/synworlds.h"
#include "text/fatal.h"

namespace vyr {

namespace {

// A fault met while checking one request's orders: it ends that check only.
class CHECKFAULT : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// 1 while this thread runs a check for a request.
thread_local int checking = 0;

std::string faultText(const FATALFAULT& fault) {
  std::string text;
  if (!fault.detail.empty()) text.append(fault.detail).append(": ");
  return text.append(fault.message);
}

// A fault the library cannot continue from. In a request's check it fails
// that request alone; anywhere else (faulty game data at start) it is one line
// on standard error and status 1. The console is never asked.
[[noreturn]] void onFault(const FATALFAULT& fault) {
  if (checking) throw CHECKFAULT(faultText(fault));
  const std::string line = "vyrserve: " + faultText(fault) + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
  std::_Exit(1);
}

}  // namespace

void installServedFaultHandler() { setFatalHandler(onFault); }

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
  // scratch state belongs to its thread and is set afresh when a check starts,
  // so a check a fault ended leaves nothing behind for the next.
  checking = 1;
  try {
    CHECKRESULT result = checkOrdersText(orders, gameNo);
    checking = 0;
    return result;
  } catch (const CHECKFAULT& fault) {
    checking = 0;
    CHECKRESULT result;
    result.checked = 0;
    result.reason = fault.what();
    return result;
  }
}

}  // namespace vyr
