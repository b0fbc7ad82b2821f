// Map places and sets of them.
#include "gamedata/location.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "text/charclass.h"
#include "text/console.h"
#include "text/fatal.h"
#include "text/fieldparser.h"
#include "text/numbers.h"

namespace vyr {

namespace {

constexpr int kMaxRegion = 16000;
constexpr int kShires = 5;

// Neighbourhood within one region: row = the shire one stands in, column =
// the shire one may go to. Shire 5 borders all others; 1-2-3-4 form a ring.
constexpr int kBorders[kShires][kShires] = {
    {0, 1, 0, 1, 1}, {1, 0, 1, 0, 1}, {0, 1, 0, 1, 1}, {1, 0, 1, 0, 1}, {1, 1, 1, 1, 0},
};

std::string pairText(int region, int shire) { return std::to_string(region) + "," + std::to_string(shire); }

// Asks with `question` until the answer lies in 1..highest. At the end of
// input the default is all that can come back; when it is out of range the
// question is not asked forever: the answer is 0.
int askInRange(const std::string& question, int defaultValue, int highest, const char* what) {
  for (;;) {
    const int answer = promptInt(question.c_str(), defaultValue);
    if (answer >= 1 && answer <= highest) return answer;
    std::printf("Invalid %s. Between 1 and %d including.\n", what, highest);
    if (std::feof(stdin) != 0) return 0;
  }
}

}  // namespace

int LOCATION::setLocation(int region, int shire) {
  if (region < 0 || region > kMaxRegion || shire < 0 || shire > kShires) return 0;
  if (shire != 0 && region < 1) return 0;
  return setKey(region * 10 + shire);
}

std::string& LOCATION::toText(std::string& destination) const {
  return destination = pairText(region(), shire());
}

std::string& LOCATION::toParenText(std::string& destination) const {
  destination.assign(1, '(');
  destination += pairText(region(), shire());
  return destination += ')';
}

namespace {

// Reads a run of at most nine digits from `at`; answers the index past it.
std::size_t readDigits(std::string_view text, std::size_t at, int& value) {
  value = 0;
  const std::size_t begin = at;
  while (at < text.size() && at - begin < 9 && isDigitChar(text[at])) value = value * 10 + (text[at++] - '0');
  return at;
}

// Both pieces of a text that is digits, a comma and digits and nothing else,
// as most are; false for any other text.
bool readDigitPair(std::string_view text, int& region, int& shire) {
  const std::size_t comma = readDigits(text, 0, region);
  if (comma == 0 || comma >= text.size() || text[comma] != ',') return false;
  const std::size_t end = readDigits(text, comma + 1, shire);
  return end == text.size() && end > comma + 1;
}

// Both pieces of any text. A reading stops at the next comma anyway, so the
// pieces are the readings of the text before the first comma and of the text
// after it (no comma: no shire). A text holding the field parser's quote byte
// (or a NUL, where a field parser's line ends) is split by the parser itself.
[[gnu::noinline]] void readPieces(std::string_view text, int& region, int& shire) {
  region = shire = 0;
  std::size_t first = std::string_view::npos;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == kNoQuote || text[i] == '\0') {
      const FIELDPARSER parser(text, ',', kNoQuote, 0, 0, 0);
      parser.getInts({&region, &shire});
      return;
    }
    if (text[i] == ',' && first == std::string_view::npos) first = i;
  }
  if (first == std::string_view::npos) return;
  region = readShortInt(text.substr(0, first));
  shire = readShortInt(text.substr(first + 1));
}

}  // namespace

int LOCATION::parseLocation(std::string_view text) {
  // Both pieces are read like `atoi`: leading blanks are skipped, trailing
  // characters ignored, pieces after the second ignored; a 0 fails.
  int region = 0;
  int shire = 0;
  if (!readDigitPair(text, region, shire)) readPieces(text, region, shire);
  if (region == 0 || shire == 0) return 0;
  return setLocation(region, shire);
}

int LOCATION::equals(const LOCATION& other) const {
  return region() == other.region() && shire() == other.shire() ? 1 : 0;
}

int LOCATION::copyFrom(const LOCATION& other) { return setLocation(other.region(), other.shire()); }

int LOCATION::promptLocation(const char* label, int maxRegion) {
  const std::string base = label != nullptr ? label : "";
  const int region = askInRange(base + " Region Number", this->region(), maxRegion, "Region");
  if (region == 0) return 0;
  const int shire = askInRange(base + " Shire Number", this->shire(), kShires, "Shire");
  if (shire == 0) return 0;
  return setLocation(region, shire);
}

int LOCATIONLIST::parseList(const char* text) {
  if (text == nullptr) return 1;
  clear();
  const FIELDPARSER parser(text, ' ', '"', 1, 0, 0);
  int added = 0;
  for (int n = 1; n <= parser.fieldCount(); ++n) {
    LOCATION location;
    if (location.parseLocation(parser.field(n)) == 0 || contains(location) != 0) continue;
    if (addFront(std::make_unique<LOCATION>(location.key())) != 0) ++added;
  }
  return added;
}

std::string& LOCATIONLIST::listText(std::string& destination) {
  sortByKey();
  destination.clear();
  const int locations = count();
  for (int position = 1; position <= locations; ++position) {
    if (position > 1) destination += ' ';
    const LOCATION& location = *get(position);
    destination += pairText(location.region(), location.shire());
  }
  return destination;
}

std::string& LOCATIONLIST::listParenText(std::string& destination) {
  destination.clear();
  const int locations = count();
  for (int position = 1; position <= locations; ++position) {
    if (position > 1) destination += ' ';
    const LOCATION& location = *get(position);
    destination += '(';
    destination += pairText(location.region(), location.shire());
    destination += ')';
  }
  return destination;
}

std::string* LOCATIONLIST::markedText(std::string& destination, LOCATIONLIST* other, const char* marker,
                                      int paren) {
  if (other == nullptr || marker == nullptr) return nullptr;
  destination.clear();
  const int locations = count();
  for (int position = 1; position <= locations; ++position) {
    if (position > 1) destination += ' ';
    const LOCATION& location = *get(position);
    if (paren != 0) destination += '(';
    destination += pairText(location.region(), location.shire());
    if (other->contains(location) != 0) destination += marker;
    if (paren != 0) destination += ')';
  }
  return &destination;
}

int LOCATIONLIST::contains(const LOCATION& location) { return seek(location.key()); }

int LOCATIONLIST::addUnique(const LOCATION* location) {
  if (location == nullptr || contains(*location) != 0) return 0;
  if (addNew(location->key()) == nullptr) fatalError("Unable to add new location into the list.");
  return 1;
}

int LOCATIONLIST::removeLocation(const LOCATION& location) { return removeKey(location.key()); }

int LOCATIONLIST::createShireDestList(const LOCATION& location) {
  clear();
  const int from = location.shire();
  if (from < 1 || from > kShires) return 0;
  int added = 0;
  for (int to = 1; to <= kShires; ++to) {
    if (kBorders[from - 1][to - 1] == 0) continue;
    auto neighbour = std::make_unique<LOCATION>(0);
    if (neighbour->setLocation(location.region(), to) == 0) continue;
    if (add(std::move(neighbour)) == 0) fatalError("Unable to allocate LOCATION in createShireDestList.");
    ++added;
  }
  return added;
}

void LOCATIONLIST::fillShires(int regionCount, int firstShire) {
  clear();
  const int regions = regionCount < kMaxRegion ? regionCount : kMaxRegion;
  for (int region = 1; region <= regions; ++region) {
    for (int shire = firstShire; shire <= kShires; ++shire) {
      LOCATION* location = addNew(0);
      if (location == nullptr) fatalError("Unable to add new object into location list.");
      location->setLocation(region, shire);
    }
  }
  markUnsorted();
  sortByKey();
}

void LOCATIONLIST::fillCentralShires(int regionCount) { fillShires(regionCount, kShires); }

void LOCATIONLIST::fillAllShires(int regionCount) { fillShires(regionCount, 1); }

void LOCATIONLIST::addAllTo(LOCATIONLIST& other) {
  const int locations = count();
  for (int position = 1; position <= locations; ++position) other.addUnique(get(position));
}

void LOCATIONLIST::copyKeysFrom(LOCATIONLIST& other) {
  other.sortByKey();
  std::vector<int> keys;
  keys.reserve(static_cast<std::size_t>(other.count()));
  for (int position = 1; position <= other.count(); ++position) keys.push_back(other.get(position)->key());
  for (const int key : keys) {
    if (addNew(key) == nullptr) fatalError("Unable to add location into list.");
  }
}

}  // namespace vyr
