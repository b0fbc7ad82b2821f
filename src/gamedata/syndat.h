// One table of game data (resources, terrain, races, spells, ...), loaded from a
// tab-separated file: world, name, second name, extra text per line (the format
// is in doc/formats.md).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "containers/valueobjects.h"
#include "text/upperkey.h"

namespace vyr {

class FILES;

// One entry: key = its number in the table; name; second name (the text);
// world (0: every world); extra text (spells carry their parameter slots there).
class SYNDATOBJ : public NAMEDOBJECT {
 public:
  explicit SYNDATOBJ(int key = 0, int world = 0, std::string_view name = {}, std::string_view text = {},
                     std::string_view extra = {})
      : NAMEDOBJECT(key, name, text), world_(world), extra_(extra) {}
  [[nodiscard]] int getWorld() const { return world_; }
  // 1 when a game of `world` sees the entry: it is of that world or of every world.
  [[nodiscard]] int visibleIn(int world) const { return world_ == 0 || world_ == world ? 1 : 0; }
  std::string& getExtra(std::string& destination) const { return destination = extra_; }
  [[nodiscard]] const std::string& extra() const { return extra_; }

 private:
  int world_;
  std::string extra_;
};

// A table: owns its entries, held in key order with the keys 1, 2, 3, ... .
// Besides the list it keeps a name index so that `findName` costs a look-up in
// a hash map and a walk over the few entries that carry the name, not a walk
// over the whole table, and the entries in list order for `entry`. Invariant:
// for every upper-cased name or second name, the index holds the entries
// carrying it in list order, so the first visible one is the entry a walk from
// the head would find; an entry's key is read from the entry itself, so a key
// set on it is answered as it stands. Entries enter through `addItem` (which
// `load` uses) and keep the index up to date.
//
// The const look-ups read the index only and change nothing, so any number of
// threads may look up one table at once. Should the list be changed behind the
// index's back (entries added, removed or moved with the bare list operations,
// even when the count stays), the list's revision tells: the non-const
// `findName` then rebuilds the index first, and `reindex` does so at once; a
// const look-up answers from the index as it was last built.
class SYNDAT : public LIST<SYNDATOBJ> {
 public:
  SYNDAT() = default;

  // Appends the entries of one file: the archive member `fileName` when an
  // archive is given (a missing member adds nothing), else dir + "/" + fileName
  // (a file that gives no lines is fatal). Does not empty the table first.
  void load(std::string_view dir, std::string_view fileName, FILES* archive);
  // Writes "%d\t%s\t%s\t%s\n" per entry in key order; fatal when it cannot open.
  void save(const std::string& path);
  // The key of the first entry in key order that is visible in `world` and
  // whose name or second name equals `text` ignoring case; 0 when none.
  [[nodiscard]] int findName(std::string_view text, int world) const;
  [[nodiscard]] int findName(std::string_view text, int world);
  // The entry of that key; null when none.
  [[nodiscard]] const SYNDATOBJ* entry(int key) const;
  // The entries in list order.
  [[nodiscard]] const std::vector<const SYNDATOBJ*>& entries() const { return entries_; }
  // Brings the index up to the list after changes made with the bare list
  // operations.
  void reindex();
  // Appends an entry with the key count + 1; answers 1, or 0 when the list
  // refuses it.
  int addItem(int world, std::string_view name, std::string_view text, std::string_view extra);

 private:
  using Carriers = std::vector<const SYNDATOBJ*>;  // in list order

  void indexEntry(const SYNDATOBJ& entry);
  void rebuildIndex();

  // Upper-cased name or second name -> the entries carrying it.
  UPPERINDEX<Carriers> index_;
  Carriers entries_;  // every entry, in list order
  // The list's revision that the index was built for (or brought up to by
  // `addItem`); any other revision means the list changed behind its back.
  unsigned long long indexedRevision_ = 0;
};

}  // namespace vyr
