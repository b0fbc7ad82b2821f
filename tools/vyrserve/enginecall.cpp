#include "vyrserve/enginecall.h"

#include <mutex>

#include "checker/syntax.h"
#include "gamedata/synworlds.h"
#include "vyrserve/fairlock.h"

namespace vyr {

int loadServedData(const std::string& path, std::string& error) { return loadGameData(path, error); }

void releaseServedData() { releaseGameData(); }

bool servedDataLoaded() { return SYNTAX::gameData() != nullptr; }

std::vector<SERVEDWORLD> servedWorlds() {
  std::vector<SERVEDWORLD> worlds;
  SYNWORLDS* data = SYNTAX::gameData();
  for (int position = 1; data != nullptr && position <= data->count(); ++position) {
    WORLDLIST& world = *data->get(position);
    SERVEDWORLD& served = worlds.emplace_back();
    served.number = world.key();
    served.name = world.name();
    for (int game = 1; game <= world.count(); ++game) served.games.push_back(world.get(game)->key());
  }
  return worlds;
}

CHECKRESULT checkServedOrders(std::string_view orders, int gameNo) {
  // TEMPORARY, the only lock around the engine: while the engine keeps its
  // state process-wide, checks take turns here, in the order they came.
  // Delete the one line below once checks may run side by side.
  // clang-format off
  static FAIRLOCK engineTurn; const std::lock_guard<FAIRLOCK> turn(engineTurn);
  // clang-format on
  return checkOrdersText(orders, gameNo);
}

}  // namespace vyr
