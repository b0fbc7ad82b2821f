// The 31 parameter kinds of the command table: how the field of each slot is
// validated, the messages, and the spell splice.
#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>

#include "checker/paramkinds.h"

#include "checker/commandtable.h"
#include "checker/syntax.h"
#include "gamedata/synworlds.h"
#include "text/fatal.h"
#include "text/numbers.h"
#include "text/words.h"

namespace vyr {

namespace {

enum class Kind {
  kLoc, kLoc5, kRegion, kGloc, kCompress, kPlayer, kName, kUnit, kUnitAmt, kHero, kShip, kCastOrd, kSpell,
  kMagic, kExploreMode, kShabb, kYesNo, kBuild, kEmail, kPass, kResAmt, kRes, kFeed, kTax, kArt, kArtAmt,
  kEnemy, kPesAmtBuild, kPesAmtProduce, kRace, kLand
};

// Every kind, in the order of Kind: entry i describes Kind(i).
constexpr std::array<PARAMKIND, 31> kParamKinds = {{
    {"loc", "a map location REGION,SHIRE (region 1-16000, shire 1-5)", nullptr, ""},
    {"loc5", "a map location REGION,SHIRE that is not a central shire (shire 1-4)", nullptr, ""},
    {"region", "a region number, 1-32000", nullptr, ""},
    {"gloc", "a map location REGION,SHIRE, or GROUND (nothing may follow GROUND)", nullptr, ""},
    {"compress", "the size from which mail is compressed, 0-4000 KB", nullptr, ""},
    {"player", "a wizard player number, 1-150", nullptr, ""},
    {"name", "a name in words, not a number", nullptr, ""},
    {"unit", "the name of a unit of the game's world", &SYNWORLDS::units, "unit"},
    {"unitamt", "a number of units, 1-500000", nullptr, ""},
    {"hero", "a hero number, 0-100000", nullptr, ""},
    {"ship", "a ship number, 0-100000", nullptr, ""},
    {"castord", "the place of a spell in the casting order, 1-3", nullptr, ""},
    {"spell", "the name of a spell of the game's world; the spell's own parameters follow", &SYNWORLDS::spell,
     "spell"},
    {"magic", "a kind of magic: Spellcraft, Dark, Necromancy, Summoning, Construct, Sorcery, Will, Fire, Water, "
              "Earth, Air or Druidic Fire, Water, Earth, Air",
     nullptr, ""},
    {"exploremode", "how to explore: NORMAL, CAUTIOUS or BOLD", nullptr, ""},
    {"shabb", "the name of a ship type of the game's world", &SYNWORLDS::ships, "ship type"},
    {"y/n", "yes or no (Y, YES, N, NO)", nullptr, ""},
    {"build", "the name of a building of the game's world", &SYNWORLDS::build, "building"},
    {"email", "an email address", nullptr, ""},
    {"pass", "a password: one word of 4 to 15 characters", nullptr, ""},
    {"resamt", "an amount of a resource, 1-500000", nullptr, ""},
    {"res", "the name of a resource of the game's world", &SYNWORLDS::res, "resource"},
    {"feed", "a feed rate, 0-5", nullptr, ""},
    {"tax", "a tax rate: NONE, LOW, MEDIUM or HIGH (N, L, M, MED, H)", nullptr, ""},
    {"art", "the name of an artifact of the game's world", &SYNWORLDS::art, "artifact"},
    {"artamt", "a number of artifacts, 1-10000", nullptr, ""},
    {"enemy", "a number of enemies, 1-500000", nullptr, ""},
    {"pesamtbuild", "a number of peasants to build with, 1-100000", nullptr, ""},
    {"pesamtproduce", "a number of peasants to produce with, 0-4500", nullptr, ""},
    {"race", "the name of a race of the game's world", &SYNWORLDS::race, "race"},
    {"land", "the name of a terrain of the game's world", &SYNWORLDS::land, "terrain"},
}};

// A hash that gives each kind name its own slot of 64 (checked below), so that
// naming a slot's kind costs one hash and one comparison.
constexpr std::size_t kKindSlots = 64;
constexpr std::size_t kindSlot(std::string_view name) {
  const auto byte = [&](std::size_t i) { return static_cast<std::size_t>(static_cast<unsigned char>(name[i])); };
  return (name.size() * 13 + byte(0) * 25 + byte(name.size() - 1) * 5 + byte(1)) % kKindSlots;
}

// Slot -> 1 + index in kParamKinds, 0 for a free slot.
constexpr std::array<unsigned char, kKindSlots> kKindTable = [] {
  std::array<unsigned char, kKindSlots> table{};
  for (std::size_t i = 0; i < kParamKinds.size(); ++i) {
    const std::size_t slot = kindSlot(kParamKinds[i].name);
    table[slot] = table[slot] == 0 ? static_cast<unsigned char>(i + 1) : 0xFF;  // 0xFF: a clash
  }
  return table;
}();
static_assert(std::none_of(kKindTable.begin(), kKindTable.end(), [](unsigned char entry) { return entry == 0xFF; }),
              "two kind names share a slot: change kindSlot");
static_assert(std::count_if(kKindTable.begin(), kKindTable.end(), [](unsigned char entry) { return entry != 0; }) ==
              static_cast<long>(kParamKinds.size()));
static_assert(kParamKinds.size() <= 127, "a slot code holds a kind's index in a signed char");
static_assert(kParamKinds.back().name == "land" && static_cast<std::size_t>(Kind::kLand) + 1 == kParamKinds.size(),
              "kParamKinds lists the kinds in the order of Kind");

// The index in kParamKinds of the kind a slot names, or -1 when it names none.
int kindIndex(std::string_view name) {
  if (name.size() < 2) return -1;  // every kind name has at least three characters
  const unsigned char entry = kKindTable[kindSlot(name)];
  if (entry == 0 || kParamKinds[entry - 1].name != name) return -1;
  return entry - 1;
}

// An integer kind: the field must be integer text with a value in [low, high].
struct Range {
  Kind kind;
  long low;
  long high;
  const char* message;
};

constexpr std::array kRanges = {
    Range{Kind::kRegion, 1, 32000, "ERROR: Invalid Region Number Specified."},
    Range{Kind::kCompress, 0, 4000, "ERROR: Expected a valid compress email value 0-4000 KB."},
    Range{Kind::kPlayer, 1, 150, "ERROR: Expected a wizard player number. 1 - No Players."},
    Range{Kind::kUnitAmt, 1, 500000, "ERROR: Expected Valid Unit Amount."},
    Range{Kind::kHero, 0, 100000, "ERROR: Expected Valid Hero Number."},
    Range{Kind::kShip, 0, 100000, "ERROR: Expected Valid Ship Number."},
    Range{Kind::kCastOrd, 1, 3, "ERROR: Expected Cast Order Number 1-3."},
    Range{Kind::kResAmt, 1, 500000, "ERROR: Invalid Resource Amount."},
    Range{Kind::kFeed, 0, 5, "ERROR: Invalid Feed Rate."},
    Range{Kind::kArtAmt, 1, 10000, "ERROR: Invalid Artifact Amount."},
    Range{Kind::kEnemy, 1, 500000, "ERROR: Invalid Enemy Amount."},
    Range{Kind::kPesAmtBuild, 1, 100000, "ERROR: Invalid Peasant Amount For Building."},
    Range{Kind::kPesAmtProduce, 0, 4500, "ERROR: Invalid Peasant Amount For Producing."},
};

// A name kind: the field must name an entry, visible in the world, of the
// kind's table (kParamKinds).
struct Lookup {
  Kind kind;
  const char* message;
};

constexpr std::array kLookups = {
    Lookup{Kind::kUnit, "ERROR: Expected Unit Name."},
    Lookup{Kind::kShabb, "ERROR: Expected Valid Ship Type Name."},
    Lookup{Kind::kBuild, "ERROR: Expected Valid Building Name."},
    Lookup{Kind::kRes, "ERROR: Unknown Resource Type."},
    Lookup{Kind::kArt, "ERROR: Invalid Artifact Type."},
    Lookup{Kind::kRace, "ERROR: Invalid Race Name Specified."},
    Lookup{Kind::kLand, "ERROR: Invalid Terrain Type Specified."},
};

constexpr std::size_t kKinds = static_cast<std::size_t>(Kind::kLand) + 1;

// The rule of each kind in the tables above, or null, found without a search.
template <class Rule, std::size_t N>
constexpr std::array<const Rule*, kKinds> rulesByKind(const std::array<Rule, N>& rules) {
  std::array<const Rule*, kKinds> byKind{};
  for (const Rule& rule : rules) byKind[static_cast<std::size_t>(rule.kind)] = &rule;
  return byKind;
}
constexpr std::array kRangeOf = rulesByKind(kRanges);
constexpr std::array kLookupOf = rulesByKind(kLookups);

template <std::size_t N>
bool inWordList(std::string_view text, const std::array<std::string_view, N>& words) {
  for (const std::string_view word : words) {
    if (compareNoCase(text, word) == 0) return true;
  }
  return false;
}

constexpr std::array<std::string_view, 15> kMagicWords = {
    "Spellcraft", "Dark",      "Necromancy",    "Summoning", "Construct",     "Sorcery", "Will", "Fire",
    "Druidic Fire", "Druidic Water", "Water", "Druidic Earth", "Earth", "Druidic Air", "Air"};
constexpr std::array<std::string_view, 3> kExploreModes = {"NORMAL", "CAUTIOUS", "BOLD"};
constexpr std::array<std::string_view, 9> kTaxCodes = {"NONE", "N",      "LOW", "L", "HIGH",
                                                               "H",    "MEDIUM", "MED", "M"};
// What parseYesNo accepts.
constexpr std::array<std::string_view, 4> kYesNoWords = {"YES", "NO", "Y", "N"};
// The word a "gloc" field may hold in place of a location.
constexpr std::array<std::string_view, 1> kGroundWord = {"GROUND"};

// 1 when the text holds a valid location (region 1..16000, shire 1..5).
bool isLocation(std::string_view text) {
  LOCATION location(0);
  return location.parseLocation(text) && location.key() != 0;
}

// Whether the float reading of a text counts: only a text that, after white
// space and a sign, begins with a digit or '.'; words such as "Nancy" or "inf"
// would otherwise read as NaN or infinity.
bool readsAsFloat(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  return i < text.size() && (std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.');
}

// Whether the text is integer text (digits after an optional '-', as
// isInteger says), with its value read as readLong would in the same pass.
bool readIntegerText(std::string_view text, long& value) {
  if (text.empty()) return false;
  const bool negative = text.front() == '-';
  constexpr std::int64_t kLimit = 2147483648LL;  // one beyond the largest positive value
  std::int64_t read = 0;
  for (std::size_t i = negative ? 1 : 0; i < text.size(); ++i) {
    const unsigned digit = static_cast<unsigned>(static_cast<unsigned char>(text[i])) - '0';
    if (digit > 9) return false;
    if (read < kLimit) read = read * 10 + digit;
  }
  if (read > kLimit) read = kLimit;
  value = static_cast<long>(negative ? -read : (read == kLimit ? kLimit - 1 : read));
  return true;
}

bool isNumberLike(const FIELDPARSER& parser, int e) {
  const std::string_view text = parser.field(e);
  if (isInteger(text)) return true;
  float asFloat = 0;
  if (readsAsFloat(text) && parser.getFloat(&asFloat, e) != 0) return true;  // NaN is not 0 either
  long asLong = 0;
  return parser.getLong(&asLong, e) != 0;
}

const char* passwordWarning(std::string_view text) {
  if (text.size() >= 16) return "WARNING: Password Seems A Bit Long.";
  if (STRING(text).countWords() >= 2) return "WARNING: Password Shouldn't Be More Than One Word.";
  if (text.size() <= 3) return "WARNING: Password Seems A Bit Short.";
  return nullptr;
}

}  // namespace

// A name the game's world does not know may be one of another world: the
// player has most likely taken it from the wrong world's list.
void SYNTAX::noteOtherWorld(const FIELDPARSER& parser, int e, const PARAMKIND& kind) {
  if (notes_ == 0 || sink_ == nullptr || world_ == 0) return;
  const SYNWORLDS& data = *gameData();
  const std::string_view text = parser.field(e);
  for (const SYNWORLDS::WORLDINFO& info : data.worlds()) {
    const int world = info.number;
    if (world == world_ || data.tableOf(kind.table).findName(text, world) == 0) continue;
    const char first = kind.tableName.empty() ? 'x' : kind.tableName.front();
    const bool vowel = std::string_view("aeiou").find(first) != std::string_view::npos;
    std::string message = "NOTE: '";
    message += text;
    message += "' is ";
    message += vowel ? "an " : "a ";
    message += kind.tableName;
    message += " of world " + std::to_string(world) + "; this game plays in world " + std::to_string(world_) + ".";
    note(parser.fieldPosition(e), parser.fieldEnd(e), message, FINDINGCODE::kOtherWorldName, text, &kind);
    return;
  }
}

void SYNTAX::validateParameter(const FIELDPARSER& parser, int found, int kindAt, int e, SLOTWALK& walk) {
  if (found < 0 && stopAtTableFault_ != 0) {
    tableFault_.line = currentLine_;
    tableFault_.command = walk.words.size() >= 2 ? walk.words[1] : std::string_view();
    tableFault_.slot = kindAt >= 1 && kindAt <= static_cast<int>(walk.words.size())
                           ? walk.words[static_cast<std::size_t>(kindAt - 1)]
                           : std::string_view();
    walk.done = true;
    if (sink_ != nullptr) {
      sink_->finding(fieldReport(parser, e, "ERROR: Unknown Syntax Parameter.", FINDINGCODE::kTableFault));
    }
    return;
  }
  if (found < 0) {
    fatalFault(FATALFAULT{"Unknown Syntax Parameter.", {}, "About to cause an unknown syntax parameter error."});
  }
  const auto kind = static_cast<Kind>(found);
  const PARAMKIND* kindOf = &kParamKinds[static_cast<std::size_t>(found)];
  const std::string_view text = parser.field(e);
  const SYNWORLDS& data = *gameData();

  if (const Range* range = kRangeOf[static_cast<std::size_t>(kind)]) {
    long value = 0;
    if (!readIntegerText(text, value) || value < range->low || value > range->high) {
      report(parser, e, range->message, 0, FINDINGCODE::kInvalidNumber, kindOf);
    }
    return;
  }
  if (const Lookup* lookup = kLookupOf[static_cast<std::size_t>(kind)]) {
    if (data.tableOf(kindOf->table).findName(text, world_) == 0) {
      report(parser, e, lookup->message, 0, FINDINGCODE::kUnknownName, kindOf);
      noteOtherWorld(parser, e, *kindOf);
    }
    return;
  }

  switch (kind) {
    case Kind::kGloc: {
      if (compareNoCase(text, kGroundWord[0]) == 0) {
        walk.ground = true;
        return;
      }
      if (!isLocation(text))
        report(parser, e, "ERROR: Location Is Invalid.", 0, FINDINGCODE::kInvalidLocation, kindOf);
      return;
    }
    case Kind::kLoc:
      if (!isLocation(text))
        report(parser, e, "ERROR: Location Is Invalid.", 0, FINDINGCODE::kInvalidLocation, kindOf);
      return;
    case Kind::kLoc5: {
      LOCATION location(0);
      if (!location.parseLocation(text) || location.key() == 0) {
        report(parser, e, "ERROR: Location Is Invalid.", 0, FINDINGCODE::kInvalidLocation, kindOf);
      } else if (location.shire() == 5) {
        report(parser, e, "ERROR: Must be a shire other than central shire.", 0, FINDINGCODE::kCentralShire,
               kindOf);
      }
      return;
    }
    case Kind::kName:
      if (isNumberLike(parser, e))
        report(parser, e, "ERROR: Expected a text name, not a number.", 0, FINDINGCODE::kNumberForName,
               kindOf);
      return;
    case Kind::kMagic:
      if (!inWordList(text, kMagicWords))
        report(parser, e, "ERROR: Invalid Magic Type.", 0, FINDINGCODE::kInvalidMagic, kindOf);
      return;
    case Kind::kExploreMode:
      if (!inWordList(text, kExploreModes)) {
        report(parser, e, "ERROR: Invalid Explore Mode; Normal Cautious or Bold.", 0,
               FINDINGCODE::kInvalidExploreMode, kindOf);
      }
      return;
    case Kind::kTax:
      if (!inWordList(text, kTaxCodes))
        report(parser, e, "ERROR: Invalid Tax Rate Code.", 0, FINDINGCODE::kInvalidTaxRate, kindOf);
      return;
    case Kind::kYesNo:
      if (parseYesNo(text) == -1)
        report(parser, e, "ERROR: Expected Yes or No.", 0, FINDINGCODE::kExpectedYesNo, kindOf);
      return;
    case Kind::kEmail:
      if (text.find('@') == std::string_view::npos) {
        report(parser, e, "ERROR: Email Address Does Not Seem Valid.", 0, FINDINGCODE::kInvalidEmail, kindOf);
      }
      return;
    case Kind::kPass:
      if (const char* warning = passwordWarning(text))
        report(parser, e, warning, 1, FINDINGCODE::kUnusualPassword, kindOf);
      return;
    case Kind::kSpell: {
      const int key = data.tableOf(&SYNWORLDS::spell).findName(text, world_);
      if (key == 0)
        report(parser, e, "ERROR: Expected Valid Spell Name.", 0, FINDINGCODE::kUnknownName, kindOf);
      spliceSpell(key, walk);
      return;
    }
    default:
      return;  // the ranges and lookups above
  }
}

// After a spell slot followed by "#": the variant becomes its first p words
// followed by the spell's own slots (none when the spell was not found).
void SYNTAX::spliceSpell(int spellKey, SLOTWALK& walk) {
  const int p = walk.p;
  if (p + 1 > static_cast<int>(walk.codes.size()) || walk.codes[static_cast<std::size_t>(p)] != slotcode::kFreeText)
    return;
  if (walk.words.data() == walk.splicedWords.data()) {
    walk.splicedWords.resize(static_cast<std::size_t>(p));
    walk.splicedCodes.resize(static_cast<std::size_t>(p));
  } else {
    walk.splicedWords.assign(walk.words.begin(), walk.words.begin() + p);
    walk.splicedCodes.assign(walk.codes.begin(), walk.codes.begin() + p);
  }
  const SYNDATOBJ* spell = spellKey == 0 ? nullptr : gameData()->tableOf(&SYNWORLDS::spell).entry(spellKey);
  if (spell != nullptr) {
    splitWords(spell->extra(), spellSlots_);
    for (const std::string_view slot : spellSlots_) {
      walk.splicedWords.push_back(slot);
      walk.splicedCodes.push_back(slotCode(slot));
    }
  }
  walk.words = walk.splicedWords;
  walk.codes = walk.splicedCodes;
}

std::span<const PARAMKIND> parameterKinds() { return kParamKinds; }

std::span<const std::string_view> closedWordsOf(const PARAMKIND& kind) {
  std::size_t index = 0;
  while (index < kParamKinds.size() && &kParamKinds[index] != &kind) ++index;
  switch (index < kParamKinds.size() ? static_cast<Kind>(index) : Kind::kLoc) {
    case Kind::kMagic:
      return kMagicWords;
    case Kind::kExploreMode:
      return kExploreModes;
    case Kind::kTax:
      return kTaxCodes;
    case Kind::kYesNo:
      return kYesNoWords;
    case Kind::kGloc:
      return kGroundWord;
    default:
      return {};
  }
}

const PARAMKIND* findParameterKind(std::string_view name) {
  const int index = kindIndex(name);
  return index < 0 ? nullptr : &kParamKinds[static_cast<std::size_t>(index)];
}

}  // namespace vyr
