// The worlds and the eleven data tables: loading, saving and the world queries.
#include "gamedata/synworlds.h"

#include <cstdio>
#include <memory>
#include <string>

#include "archive/files.h"
#include "text/buffer.h"
#include "text/fatal.h"
#include "text/fieldparser.h"
#include "text/paths.h"
#include "text/words.h"

namespace vyr {

namespace {

std::string& looseDirectory() {
  static std::string dir = [] {
    std::string joined;
    return joinPath(joined, "data/repository/Vyr", "System");
  }();
  return dir;
}

std::FILE* progressStream(int streamSelector) { return streamSelector == 1 ? stderr : stdout; }

std::string loosePath(const char* fileName) { return SYNWORLDS::directory() + "/" + fileName; }

}  // namespace

const std::string& SYNWORLDS::directory() { return looseDirectory(); }

void SYNWORLDS::setDirectory(std::string_view dir) { looseDirectory() = dir; }

SYNWORLDS::SYNWORLDS(int load, FILES* archive, int streamSelector) {
  for (auto* slot : {&res, &land, &race, &magic, &spell, &build, &units, &hero, &ships, &art, &place}) {
    *slot = std::make_unique<SYNDAT>();
  }
  verbose_ = 1;
  if (load == 1) loadAll(archive, streamSelector);
}

SYNWORLDS::~SYNWORLDS() {
  for (auto* slot : {&res, &land, &race, &magic, &spell, &build, &units, &hero, &ships, &art, &place}) {
    slot->reset();
  }
  verbose_ = 0;
  clear();
}

SYNDAT* SYNWORLDS::table(int index) {
  SYNDAT* const tables[11] = {res.get(),   land.get(), race.get(),  magic.get(), spell.get(), build.get(),
                              units.get(), hero.get(), ships.get(), art.get(),   place.get()};
  return tables[index];
}

void SYNWORLDS::loadAll(FILES* archive, int streamSelector) {
  loadWorlds(archive, streamSelector);
  std::FILE* stream = progressStream(streamSelector);
  if (verbose_ == 1) std::fprintf(stream, "Loading Up Syntax Data Files ... ");
  for (int i = 0; i < 11; ++i) table(i)->load(directory(), kTableFiles[i], archive);
  if (verbose_ == 1) std::fprintf(stream, "Done!\n");
}

void SYNWORLDS::loadWorlds(FILES* archive, int streamSelector) {
  std::FILE* stream = progressStream(streamSelector);
  if (verbose_ == 1) std::fprintf(stream, "Loading World Data ... ");
  BUFFER buffer;
  if (archive != nullptr) {
    archive->extractFile(kWorldFile, buffer);  // a missing member gives no worlds
  } else {
    const std::string path = loosePath(kWorldFile);
    if (buffer.loadBuffer(path, 0, 0) == 0) {
      fatalFault(FATALFAULT{"Unable to open VYRWORLDS file for reading.", path, {}});
    }
  }
  std::string message;
  if (readWorlds(buffer, message) == 0) fatalError(message);
  if (verbose_ == 1) std::fprintf(stream, "Done!\n");
}

int SYNWORLDS::readWorlds(BUFFER& lines, std::string& message) {
  const int count = lines.lineCount();
  int ok = 1;
  for (int n = 1; n <= count && ok != 0; ++n) {
    const std::string& line = lines.get(n)->str().text();
    if (!line.empty()) ok = readWorldLine(line, message);
  }
  reindexWorlds();
  return ok;
}

void SYNWORLDS::reindexWorlds() {
  worldOfGame_.clear();
  worlds_.clear();
  const int worlds = count();
  for (int position = 1; position <= worlds; ++position) {
    WORLDLIST& world = *get(position);
    WORLDINFO& info = worlds_.emplace_back(WORLDINFO{world.key(), world.name(), {}});
    const int games = world.count();
    for (int n = 1; n <= games; ++n) {
      const int game = world.get(n)->key();
      info.games.push_back(game);
      worldOfGame_.emplace(game, &world);
    }
  }
}

// One line of the world file: number, name, games; runs of tabs count as one.
int SYNWORLDS::readWorldLine(const std::string& line, std::string& message) {
  const FIELDPARSER parser(line, '\t', '"', 1, 0, 0);
  int number = 0;
  std::string name;
  if (parser.getInt(&number, 1) == 0 || parser.getField(name, 2) == nullptr) {
    message = "Error Loading World Number.";
    return 0;
  }
  WORLDLIST* world = addNew(number);
  if (world == nullptr) {
    message = "Unable to allocate space for WORLDLIST.";
    return 0;
  }
  world->setName(name);
  // The games go where addGame puts them: to the first world of that number.
  WORLDLIST* target = find(number);
  for (int field = 3; field <= parser.fieldCount(); ++field) {
    int game = 0;
    if (parser.getInt(&game, field) == 0) {
      message = "Unable to load game number.";
      return 0;
    }
    if (target == nullptr) {
      message = "Rquested World Number Does Not Exist.";
      return 0;
    }
    if (target->addNew(game) == nullptr) {
      message = "Unable to add the game number to world list.";
      return 0;
    }
  }
  return 1;
}

void SYNWORLDS::saveAll() {
  if (verbose_ != 0) std::printf("Saving World Data ... ");
  std::FILE* file = std::fopen(loosePath(kWorldFile).c_str(), "w");
  if (file == nullptr) fatalError("Uable to open file VYRWORLDS for writing.");
  sortByKey();
  reindexWorlds();
  const int worlds = count();
  for (int position = 1; position <= worlds; ++position) {
    WORLDLIST& world = *get(position);
    std::fprintf(file, "%ld\t\"%s\"", static_cast<long>(world.key()), world.name().c_str());
    world.sortByKey();
    for (world.first(); world.atEnd() == 0; world.next()) {
      std::fprintf(file, "\t%ld", static_cast<long>(world.current()->key()));
    }
    std::fprintf(file, "\n");
  }
  std::fclose(file);
  if (verbose_ != 0) std::printf("Done!\nSaving Syntax Data Files ... ");
  for (int i = 0; i < 11; ++i) table(i)->save(loosePath(kTableFiles[i]));
  if (verbose_ != 0) std::printf("Done!\n");
}

const WORLDLIST* SYNWORLDS::worldWithGame(int game) const {
  const auto found = worldOfGame_.find(game);
  return found == worldOfGame_.end() ? nullptr : found->second;
}

int SYNWORLDS::worldOfGame(int game) const {
  const WORLDLIST* world = worldWithGame(game);
  return world != nullptr ? world->key() : 0;
}

std::string* SYNWORLDS::worldNameOfGame(std::string& destination, int game) const {
  const WORLDLIST* world = worldWithGame(game);
  if (world == nullptr) return nullptr;
  world->getName(destination);
  return &destination;
}

int SYNWORLDS::addWorld(const char* name, int* worldOut) {
  if (name == nullptr) fatalError("Unable to add world name.");
  int worlds = count();
  for (int position = 1; position <= worlds; ++position) {
    const WORLDLIST* world = get(position);
    if (compareNoCase(world->name(), name) == 0) {
      if (worldOut != nullptr) *worldOut = world->key();
      return 0;
    }
  }
  int number = 1;
  if (worlds > 0) {
    sortByKey();
    number = get(worlds)->key() + 1;
  }
  WORLDLIST* world = addNew(number);
  if (world == nullptr) fatalError("Unable to add world to the world list.");
  world->setName(name);
  reindexWorlds();
  if (worldOut != nullptr) *worldOut = number;
  return 1;
}

void SYNWORLDS::addGame(int world, int game) {
  WORLDLIST* target = find(world);
  if (target == nullptr) fatalError("Rquested World Number Does Not Exist.");
  if (target->addNew(game) == nullptr) fatalError("Unable to add the game number to world list.");
  reindexWorlds();
}

void SYNWORLDS::collectGames(OBJECTLIST* target) {
  if (target == nullptr) return;
  target->clear();
  const int worlds = count();
  for (int position = 1; position <= worlds; ++position) {
    WORLDLIST& world = *get(position);
    for (world.first(); world.atEnd() == 0; world.next()) {
      if (target->addNew(world.current()->key()) == nullptr) {
        fatalError("Unable to allocate memory to the game object.");
      }
    }
  }
  target->sortByKey();
}

void SYNWORLDS::registerFiles(FILES& archive) {
  const std::string dir = directory() + "/";
  archive.addFile(dir, kWorldFile);
  for (const char* fileName : kTableFiles) archive.addFile(dir, fileName);
}

}  // namespace vyr
