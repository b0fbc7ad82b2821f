// The 31 parameter kinds of the command table: how the field of each slot is
// validated, the messages, and the spell splice.
#include <array>
#include <cctype>
#include <cstdio>
#include <string>
#include <unordered_map>

#include "checker/commandtable.h"
#include "checker/syntax.h"
#include "gamedata/synworlds.h"
#include "text/utils.h"

namespace vyr {

namespace {

enum class Kind {
  kLoc, kLoc5, kRegion, kGloc, kCompress, kPlayer, kName, kUnit, kUnitAmt, kHero, kShip, kCastOrd, kSpell,
  kMagic, kExploreMode, kShabb, kYesNo, kBuild, kEmail, kPass, kResAmt, kRes, kFeed, kTax, kArt, kArtAmt,
  kEnemy, kPesAmtBuild, kPesAmtProduce, kRace, kLand
};

const std::unordered_map<std::string_view, Kind>& kindNames() {
  static const std::unordered_map<std::string_view, Kind> kinds = {
      {"loc", Kind::kLoc},           {"loc5", Kind::kLoc5},
      {"region", Kind::kRegion},     {"gloc", Kind::kGloc},
      {"compress", Kind::kCompress}, {"player", Kind::kPlayer},
      {"name", Kind::kName},         {"unit", Kind::kUnit},
      {"unitamt", Kind::kUnitAmt},   {"hero", Kind::kHero},
      {"ship", Kind::kShip},         {"castord", Kind::kCastOrd},
      {"spell", Kind::kSpell},       {"magic", Kind::kMagic},
      {"exploremode", Kind::kExploreMode}, {"shabb", Kind::kShabb},
      {"y/n", Kind::kYesNo},         {"build", Kind::kBuild},
      {"email", Kind::kEmail},       {"pass", Kind::kPass},
      {"resamt", Kind::kResAmt},     {"res", Kind::kRes},
      {"feed", Kind::kFeed},         {"tax", Kind::kTax},
      {"art", Kind::kArt},           {"artamt", Kind::kArtAmt},
      {"enemy", Kind::kEnemy},       {"pesamtbuild", Kind::kPesAmtBuild},
      {"pesamtproduce", Kind::kPesAmtProduce}, {"race", Kind::kRace},
      {"land", Kind::kLand}};
  return kinds;
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

// A name kind: the field must name an entry of one table visible in the world.
struct Lookup {
  Kind kind;
  std::unique_ptr<SYNDAT> SYNWORLDS::*table;
  const char* message;
};

const std::array kLookups = {
    Lookup{Kind::kUnit, &SYNWORLDS::units, "ERROR: Expected Unit Name."},
    Lookup{Kind::kShabb, &SYNWORLDS::ships, "ERROR: Expected Valid Ship Type Name."},
    Lookup{Kind::kBuild, &SYNWORLDS::build, "ERROR: Expected Valid Building Name."},
    Lookup{Kind::kRes, &SYNWORLDS::res, "ERROR: Unknown Resource Type."},
    Lookup{Kind::kArt, &SYNWORLDS::art, "ERROR: Invalid Artifact Type."},
    Lookup{Kind::kRace, &SYNWORLDS::race, "ERROR: Invalid Race Name Specified."},
    Lookup{Kind::kLand, &SYNWORLDS::land, "ERROR: Invalid Terrain Type Specified."},
};

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

void SYNTAX::validateParameter(const FIELDPARSER& parser, std::string_view kindName, int e, SLOTWALK& walk) {
  const auto found = kindNames().find(kindName);
  if (found == kindNames().end()) {
    std::fputs("About to cause an unknown syntax parameter error.\n", stdout);
    waitForEnter();
    fatalError("Unknown Syntax Parameter.");
  }
  const Kind kind = found->second;
  const std::string_view text = parser.field(e);
  SYNWORLDS& data = *gameData();

  for (const Range& range : kRanges) {
    if (range.kind != kind) continue;
    long value = 0;
    parser.getLong(&value, e);
    if (!isInteger(text) || value < range.low || value > range.high) report(parser, e, range.message, 0);
    return;
  }
  for (const Lookup& lookup : kLookups) {
    if (lookup.kind != kind) continue;
    if ((data.*lookup.table)->findName(text, world_) == 0) report(parser, e, lookup.message, 0);
    return;
  }

  switch (kind) {
    case Kind::kGloc: {
      std::string upper;
      if (toUpperCopy(upper, text) == "GROUND") {
        walk.ground = true;
        return;
      }
      if (!isLocation(text)) report(parser, e, "ERROR: Location Is Invalid.", 0);
      return;
    }
    case Kind::kLoc:
      if (!isLocation(text)) report(parser, e, "ERROR: Location Is Invalid.", 0);
      return;
    case Kind::kLoc5: {
      LOCATION location(0);
      if (!location.parseLocation(text) || location.key() == 0) {
        report(parser, e, "ERROR: Location Is Invalid.", 0);
      } else if (location.shire() == 5) {
        report(parser, e, "ERROR: Must be a shire other than central shire.", 0);
      }
      return;
    }
    case Kind::kName:
      if (isNumberLike(parser, e)) report(parser, e, "ERROR: Expected a text name, not a number.", 0);
      return;
    case Kind::kMagic:
      if (!inWordList(text, kMagicWords)) report(parser, e, "ERROR: Invalid Magic Type.", 0);
      return;
    case Kind::kExploreMode:
      if (!inWordList(text, kExploreModes)) {
        report(parser, e, "ERROR: Invalid Explore Mode; Normal Cautious or Bold.", 0);
      }
      return;
    case Kind::kTax:
      if (!inWordList(text, kTaxCodes)) report(parser, e, "ERROR: Invalid Tax Rate Code.", 0);
      return;
    case Kind::kYesNo:
      if (parseYesNo(text) == -1) report(parser, e, "ERROR: Expected Yes or No.", 0);
      return;
    case Kind::kEmail:
      if (text.find('@') == std::string_view::npos) {
        report(parser, e, "ERROR: Email Address Does Not Seem Valid.", 0);
      }
      return;
    case Kind::kPass:
      if (const char* warning = passwordWarning(text)) report(parser, e, warning, 1);
      return;
    case Kind::kSpell: {
      const int key = data.spell->findName(text, world_);
      if (key == 0) report(parser, e, "ERROR: Expected Valid Spell Name.", 0);
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
  if (p + 1 > static_cast<int>(walk.words.size()) || walk.words[p] != "#") return;
  walk.words.resize(static_cast<std::size_t>(p));
  if (spellKey == 0) return;
  const SYNDATOBJ* spell = gameData()->spell->find(spellKey);
  if (spell == nullptr) return;
  std::vector<std::string_view> slots;
  splitWords(spell->extra(), slots);
  walk.words.insert(walk.words.end(), slots.begin(), slots.end());
}

}  // namespace vyr
