// Fuzz target: the world-file reader on any text, and the world queries on
// what it read. A refused file answers one of the loader's messages.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "gamedata/synworlds.h"
#include "text/buffer.h"

namespace {

bool isLoaderMessage(std::string_view message) {
  return message == "Error Loading World Number." || message == "Unable to load game number." ||
         message == "Unable to allocate space for WORLDLIST." ||
         message == "Rquested World Number Does Not Exist." ||
         message == "Unable to add the game number to world list.";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vyr::BUFFER lines;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) end = text.size();
    lines.addLine(text.substr(begin, end - begin));
    begin = end + 1;
  }
  vyr::SYNWORLDS worlds(0, nullptr, 1);
  worlds.setVerbose(0);
  std::string message;
  if (worlds.readWorlds(lines, message) == 0 && !isLoaderMessage(message)) std::abort();

  // Every game read is answered by a world that has it.
  vyr::OBJECTLIST games;
  worlds.collectGames(&games);
  std::string name;
  for (games.first(); games.atEnd() == 0; games.next()) {
    const int game = games.current()->key();
    const int world = worlds.worldOfGame(game);
    if (world == 0 || worlds.worldNameOfGame(name, game) == nullptr) std::abort();
  }
  if (worlds.count() > 0 && worlds.worldOfGame(0) != 0) std::abort();
  return 0;
}
