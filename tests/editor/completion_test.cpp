// Completion and hover read the command table as the check pass does: every
// kind of slot, a spell's own slots included, offers what the check accepts
// and is explained by what the check matched.
#include "editor/completion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "checker/commandtable.h"
#include "engine/engine.h"
#include "checker/orderplace.h"
#include "checker/paramkinds.h"
#include "checker/syntax.h"
#include "editor/hover.h"
#include "gamedata/synworlds.h"
#include "support/datasettest.h"

namespace vyr {
namespace {

class EditorServices : public SampleDataTest {};

constexpr int kGame = 1;

std::vector<std::string> labelsAt(const std::string& line) {
  std::vector<std::string> labels;
  for (const COMPLETIONITEM& item : completionAt("SHIRE 12,3\n" + line + "\n", 2, line.size(), kGame).items)
    labels.push_back(item.label);
  return labels;
}

bool offers(const std::vector<std::string>& labels, std::string_view label) {
  return std::find(labels.begin(), labels.end(), label) != labels.end();
}

// The hover on the field that starts at the first byte of `field` in the line.
std::string hoverOn(const std::string& line, const std::string& field) {
  HOVER hover;
  const std::size_t at = line.find(field);
  EXPECT_NE(at, std::string::npos) << field;
  if (hoverAt(line + "\n", 1, at, kGame, hover) == 0) return {};
  EXPECT_EQ(hover.span.column, static_cast<int>(at) + 1);
  return hover.markdown;
}

// A field the check accepts for each kind of the sample table.
const std::map<std::string, std::string, std::less<>>& samples() {
  static const std::map<std::string, std::string, std::less<>> values = {
      {"loc", "12,3"},     {"loc5", "12,3"},       {"region", "5"},         {"gloc", "12,3"},
      {"compress", "10"},  {"player", "3"},         {"name", "Town"},       {"unit", "Pikemen"},
      {"unitamt", "5"},    {"hero", "1"},           {"ship", "1"},          {"castord", "1"},
      {"spell", "Calm"},   {"magic", "Fire"},       {"exploremode", "BOLD"}, {"shabb", "Cog"},
      {"y/n", "YES"},      {"build", "Farm"},       {"email", "a@b.c"},     {"pass", "secret"},
      {"resamt", "5"},     {"res", "Gold"},         {"feed", "2"},          {"tax", "LOW"},
      {"art", "Crown"},    {"artamt", "1"},         {"enemy", "5"},         {"pesamtbuild", "5"},
      {"pesamtproduce", "5"}, {"race", "Human"},    {"land", "Plains"},
  };
  return values;
}

// Completion after `head` offers what the kind admits; the hover on a sample
// field of the kind explains it.
void expectKindServed(const std::string& head, std::string_view slot) {
  SCOPED_TRACE(head + "<" + std::string(slot) + ">");
  const std::vector<std::string> labels = labelsAt(head);
  if (isKeywordSlot(slot)) {
    EXPECT_TRUE(offers(labels, slot));
    EXPECT_NE(hoverOn(head + std::string(slot), std::string(slot)).find("a keyword of"), std::string::npos);
    return;
  }
  const PARAMKIND* kind = findParameterKind(slot);
  ASSERT_NE(kind, nullptr);
  for (const std::string_view member : closedWordsOf(*kind)) EXPECT_TRUE(offers(labels, member)) << member;
  const int world = SYNTAX::gameData()->worldOfGame(kGame);
  if (kind->table != nullptr) {
    for (const SYNDATOBJ* entry : SYNTAX::gameData()->tableOf(kind->table).entries())
      EXPECT_EQ(offers(labels, entry->name()), entry->visibleIn(world) != 0) << entry->name();
  } else if (closedWordsOf(*kind).empty()) {
    EXPECT_TRUE(labels.empty()) << labels.front();
  }
  const std::string sample = samples().find(slot)->second;
  const std::string shown = hoverOn(head + sample, sample);
  const std::string expected =
      kind->table != nullptr ? "**" + sample + "**: " + std::string(kind->tableName) : "`" + std::string(slot) + "`: ";
  EXPECT_NE(shown.find(expected), std::string::npos) << shown;
}

TEST_F(EditorServices, EverySlotOfTheTableIsOfferedAndExplained) {
  const COMMANDTABLE& table = *sharedCommandTable();
  int slots = 0;
  for (const COMMANDTABLE::Words& variant : table.allVariants()) {
    std::string head = std::string(variant[1]) + " ";
    for (std::size_t k = 2; k < variant.size(); ++k) {
      const std::string_view slot = variant[k];
      if (slot == "*" || slot == "." || slot == "#") continue;
      expectKindServed(head, slot);
      ++slots;
      head += (isKeywordSlot(slot) ? std::string(slot) : samples().find(slot)->second) + " ";
    }
  }
  EXPECT_GE(slots, 40);
}

TEST_F(EditorServices, EverySlotOfEverySpellIsOfferedAndExplained) {
  const SYNWORLDS& data = *SYNTAX::gameData();
  const int world = data.worldOfGame(kGame);
  int spells = 0;
  for (const SYNDATOBJ* spell : data.tableOf(&SYNWORLDS::spell).entries()) {
    if (!spell->visibleIn(world)) continue;
    std::vector<std::string_view> slots;
    splitWords(spell->extra(), slots);
    std::string head = "CAST 2 " + spell->name() + " ";
    for (const std::string_view slot : slots) {
      if (slot == "*" || slot == "." || slot == "#") continue;
      expectKindServed(head, slot);
      head += samples().find(slot)->second + " ";
    }
    ++spells;
  }
  EXPECT_GE(spells, 5);
}

TEST_F(EditorServices, CompletionOffersWhatTheCheckAccepts) {
  struct Case {
    std::string line;
    std::vector<std::string> some;
    std::vector<std::string> none;
  };
  const Case cases[] = {
      {"STUDY ", {"Fire", "Druidic Air"}, {"Pikemen"}},
      {"EXPLORE ", {"NORMAL", "CAUTIOUS", "BOLD"}, {}},
      {"TAX ", {"NONE", "LOW", "MEDIUM", "HIGH"}, {}},
      {"ALLY 17 ", {"YES", "NO"}, {}},
      {"CAST 2 Summon 20 ", {"Pikemen", "Archers"}, {"Gold"}},
      {"CAST 2 Transmute 5 Gold ", {"Timber"}, {"Pikemen"}},
      {"CAST 2 Nosuchspell ", {}, {"Pikemen"}},
      {"TRAIN ", {"HERO", "TROOPS"}, {}},
      {"TRAIN TROOPS 5 ", {"Pikemen"}, {}},
      {"train troops 5 ", {"Pikemen"}, {}},
      {"rec", {"RECRUIT"}, {}},
      {"LAUNCH Cog ", {}, {"Cog"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const std::vector<std::string> labels = labelsAt(c.line);
    for (const std::string& label : c.some) EXPECT_TRUE(offers(labels, label)) << label;
    for (const std::string& label : c.none) EXPECT_FALSE(offers(labels, label)) << label;
  }
}

TEST_F(EditorServices, ItemsReplaceTheTypedPartOfTheField) {
  struct Case {
    std::string line;
    std::string label;
    std::string newText;
    int column;
  };
  const Case cases[] = {
      {"@REC", "RECRUIT", "@RECRUIT", 1},
      {"  rec", "RECRUIT", "RECRUIT", 3},
      {"STUDY Dru", "Druidic Fire", "\"Druidic Fire\"", 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const COMPLETION answer = completionAt("SHIRE 12,3\n" + c.line, 2, c.line.size(), kGame);
    EXPECT_EQ(answer.replace.line, 2);
    EXPECT_EQ(answer.replace.column, c.column);
    EXPECT_EQ(answer.replace.endColumn, static_cast<int>(c.line.size()) + 1);
    const auto found = std::find_if(answer.items.begin(), answer.items.end(),
                                    [&](const COMPLETIONITEM& item) { return item.label == c.label; });
    ASSERT_NE(found, answer.items.end());
    EXPECT_EQ(found->newText, c.newText);
  }
}

TEST_F(EditorServices, HoverNamesTheVariantTheCheckMatched) {
  struct Case {
    std::string line;
    std::string field;
    std::vector<std::string> parts;  // none: no hover
  };
  const Case cases[] = {
      {"TRAIN TROOPS 25 Archers", "TROOPS", {"`TROOPS`: a keyword of `S TRAIN TROOPS unitamt unit`"}},
      {"TRAIN TROOPS 25 Archers", "TRAIN", {"This order: `S TRAIN TROOPS unitamt unit`", "`S TRAIN HERO hero`"}},
      {"TRADE SELL 200 Gold", "SELL", {"`S TRADE SELL resamt res`"}},
      {"@TRAIN TROOPS 25 Archers", "TROOPS", {"`TROOPS`: a keyword of `S TRAIN TROOPS unitamt unit`"}},
      {"TRADE SELL 200 Gold", "Gold", {"**Gold**: resource", "GD"}},
      {"CAST 2 Summon 20 Pikemen", "20", {"`unitamt`: "}},
      {"CAST 2 Summon 20 Pikemen", "Pikemen", {"**Pikemen**: unit"}},
      {"CAST 2 Summon 20 Pikemen", "Summon", {"**Summon**: spell"}},
      {"RECRUT 5 Scouts", "RECRUT", {"Unrecognized Command.", "Did you mean `RECRUIT`?"}},
      {"@RECRUT 5", "@RECRUT", {"Unrecognized Command.", "`RECRUIT`"}},
      {"RECRUIT 5 Pikemen ; RECRUIT", "; RECRUIT", {}},
      {"NOTE TRAIN", "TRAIN", {"`#`: "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line + " @ " + c.field);
    const std::string shown = hoverOn(c.line, c.field);
    if (c.parts.empty()) {
      EXPECT_EQ(shown, "");
    }
    for (const std::string& part : c.parts) EXPECT_NE(shown.find(part), std::string::npos) << shown;
  }
}

}  // namespace
}  // namespace vyr
