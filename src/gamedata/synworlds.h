// The worlds of the game and the eleven data tables (the world file's format is
// in doc/formats.md).
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "containers/list.h"
#include "gamedata/syndat.h"
#include "text/buffer.h"

namespace vyr {

class FILES;

// One world: key = world number; a name (empty when it has none); the games
// as bare keys in key order. Owns its game elements.
class WORLDLIST : public OBJECT, public OBJECTLIST {
 public:
  explicit WORLDLIST(int key = 0, std::string_view name = {}) : OBJECT(key), name_(name) {}
  void setName(std::string_view text) { name_ = text; }
  std::string& getName(std::string& destination) const { return destination = name_; }
  [[nodiscard]] const std::string& name() const { return name_; }

 private:
  std::string name_;
};

// The worlds, in ascending world number, and the eleven data tables, which it
// owns and creates in its constructor (they are never null). `verbose` 1 makes
// loading print progress messages on the chosen stream (1: standard error,
// else standard output); any nonzero `verbose` makes saving print them on
// standard output.
class SYNWORLDS : public LIST<WORLDLIST> {
 public:
  // The directory of the loose data files; /data/repository/Vyr/System unless
  // set (tests and tools point it elsewhere).
  static const std::string& directory();
  static void setDirectory(std::string_view dir);

  SYNWORLDS(int load, FILES* archive, int streamSelector);
  ~SYNWORLDS() override;

  void setVerbose(int flag) { verbose_ = flag; }
  void loadAll(FILES* archive, int streamSelector);
  void loadWorlds(FILES* archive, int streamSelector);
  // Adds the worlds of the world file's lines without ending the run: answers
  // 1, or 0 with the message that `loadWorlds` would end the run with (the
  // worlds of the lines before the faulty one stay).
  [[nodiscard]] int readWorlds(BUFFER& lines, std::string& message);
  void saveAll();
  // The world queries read an index built as worlds and games are added
  // (`readWorlds`, `addWorld`, `addGame`), so that they change nothing and any
  // number of threads may ask at once.
  [[nodiscard]] int worldOfGame(int game) const;
  std::string* worldNameOfGame(std::string& destination, int game) const;
  // One world as the const queries see it.
  struct WORLDINFO {
    int number = 0;
    std::string name;
    std::vector<int> games;  // in the world's list order
  };
  // The worlds in list order (ascending world number).
  [[nodiscard]] const std::vector<WORLDINFO>& worlds() const { return worlds_; }
  int addWorld(const char* name, int* worldOut);
  void addGame(int world, int game);
  void collectGames(OBJECTLIST* target);
  void registerFiles(FILES& archive);

  // The file names, in load order: the world file, then the eleven tables.
  static constexpr const char* kWorldFile = "vyrworld.dat";
  static constexpr const char* kTableFiles[11] = {
      "vyrres.dat",   "vyrland.dat", "vyrrace.dat",  "vyrmagic.dat", "vyrspell.dat", "vyrbuild.dat",
      "vyrunits.dat", "vyrhero.dat", "vyrships.dat", "vyrart.dat",   "vyrplace.dat"};

  // A table read through const data: its look-ups change nothing.
  [[nodiscard]] const SYNDAT& tableOf(std::unique_ptr<SYNDAT> SYNWORLDS::*member) const { return *(this->*member); }

  std::unique_ptr<SYNDAT> res, land, race, magic, spell, build, units, hero, ships, art, place;

 private:
  SYNDAT* table(int index);  // 0..10 in load order
  int readWorldLine(const std::string& line, std::string& message);
  [[nodiscard]] const WORLDLIST* worldWithGame(int game) const;  // the lowest-numbered world that has it
  void reindexWorlds();

  int verbose_ = 1;
  std::unordered_map<int, const WORLDLIST*> worldOfGame_;  // game -> the first world in list order with it
  std::vector<WORLDINFO> worlds_;
};

}  // namespace vyr
