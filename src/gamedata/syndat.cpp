// Data tables: loading, saving and the indexed name look-up.
#include "gamedata/syndat.h"

#include <cctype>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "archive/files.h"
#include "text/buffer.h"
#include "text/charclass.h"
#include "text/fatal.h"
#include "text/fieldparser.h"

namespace vyr {

namespace {

// The index key of a name: every byte upper-cased as the case-blind
// comparison of the utilities does it, so equal keys mean equal names.
std::string indexKey(std::string_view text) {
  std::string key(text);
  for (char& c : key) c = upperChar(c);
  return key;
}

}  // namespace

void SYNDAT::load(std::string_view dir, std::string_view fileName, FILES* archive) {
  BUFFER buffer;
  if (archive != nullptr) {
    archive->extractFile(fileName, buffer);  // a missing member leaves it empty
  } else {
    std::string path(dir);
    path += '/';
    path += fileName;
    if (buffer.loadBuffer(path, 0, 0) == 0) fatalError("Unable to open file for reading. SYNDAT.");
  }
  const int lines = buffer.lineCount();
  for (int n = 1; n <= lines; ++n) {
    const std::string_view line = buffer.get(n)->str().view();
    if (line.empty()) continue;
    // Columns by position: tabs are not collapsed, a quoted column may hold tabs.
    const FIELDPARSER parser(line, '\t', '"', 0, 0, 0);
    int world = 0;
    parser.getInt(&world, 1);
    addItem(world, parser.field(2), parser.field(3), parser.field(4));
  }
}

void SYNDAT::save(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) fatalError("Unable to open up the syntax file for writing in SYNDAT.");
  for (int ok = first(); ok != 0 && atEnd() == 0; ok = next()) {
    const SYNDATOBJ& entry = *current();
    std::fprintf(file, "%d\t%s\t%s\t%s\n", entry.getWorld(), entry.name().c_str(), entry.text().c_str(),
                 entry.extra().c_str());
  }
  std::fclose(file);
}

int SYNDAT::findName(std::string_view text, int world) {
  if (indexedRevision_ != revision()) rebuildIndex();
  return std::as_const(*this).findName(text, world);
}

void SYNDAT::reindex() {
  if (indexedRevision_ != revision()) rebuildIndex();
}

const SYNDATOBJ* SYNDAT::entry(int key) const {
  // A loaded table holds the key k at position k.
  if (key >= 1 && static_cast<std::size_t>(key) <= entries_.size()) {
    const SYNDATOBJ* atPosition = entries_[static_cast<std::size_t>(key - 1)];
    if (atPosition->key() == key) return atPosition;
  }
  for (const SYNDATOBJ* candidate : entries_) {
    if (candidate->key() == key) return candidate;
  }
  return nullptr;
}

int SYNDAT::findName(std::string_view text, int world) const {
  const Carriers* found = index_.find(UPPERKEY{text});
  if (found == nullptr) return 0;
  for (const SYNDATOBJ* entry : *found) {
    if (entry->visibleIn(world)) return entry->key();
  }
  return 0;
}

int SYNDAT::addItem(int world, std::string_view name, std::string_view text, std::string_view extra) {
  const int key = count() + 1;
  // The new entry goes to the end of the list, and so to the end of every
  // carrier list, unless the list is out of key order or holds larger keys.
  const bool appends =
      indexedRevision_ == revision() && isKeySorted() != 0 && (last() == 0 || current()->key() <= key);
  auto entry = std::make_unique<SYNDATOBJ>(key, world, name, text, extra);
  const SYNDATOBJ& added = *entry;
  if (add(std::move(entry)) == 0) return 0;
  if (appends) {
    indexEntry(added);
    indexedRevision_ = revision();
  } else {
    rebuildIndex();
  }
  return 1;
}

void SYNDAT::indexEntry(const SYNDATOBJ& entry) {
  const SYNDATOBJ* carrier = &entry;
  entries_.push_back(carrier);
  std::string nameKey = indexKey(entry.name());
  std::string textKey = indexKey(entry.text());
  if (textKey != nameKey) index_[std::move(textKey)].push_back(carrier);
  index_[std::move(nameKey)].push_back(carrier);
}

void SYNDAT::rebuildIndex() {
  index_.clear();
  entries_.clear();
  const int entries = count();
  for (int position = 1; position <= entries; ++position) indexEntry(*get(position));
  indexedRevision_ = revision();
}

}  // namespace vyr
