// Every call the web checker makes into the engine, in one file: loading and
// releasing the game data, the list of worlds, and the check itself.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/engine.h"

namespace vyr {

// As loadGameData and releaseGameData.
// Makes a fault the library cannot continue from fail the one check it meets
// (checkServedOrders answers it as not checked, which is answered 500), and
// anywhere else end the program with one line on standard error (call before
// any other thread starts).
void installServedFaultHandler();
int loadServedData(const std::string& path, std::string& error);
void releaseServedData();
[[nodiscard]] bool servedDataLoaded();

struct SERVEDWORLD {
  int number = 0;
  std::string name;
  std::vector<int> games;
};
// The worlds of the loaded data and their games, in the data's order.
std::vector<SERVEDWORLD> servedWorlds();

// One check of an orders text, from any thread.
CHECKRESULT checkServedOrders(std::string_view orders, int gameNo);

}  // namespace vyr
