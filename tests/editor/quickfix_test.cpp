// Quick fixes only ever improve an order: making every fix offered for every
// finding of a corpus (the end-to-end inputs, the examples, the fuzz seeds and
// orders with misspellings of every fixed word list and every data name)
// never leaves its line with more findings than before, and the finding it
// fixes is gone.
#include "editor/quickfix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "checker/commandtable.h"
#include "engine/engine.h"
#include "checker/paramkinds.h"
#include "checker/syntax.h"
#include "gamedata/synworlds.h"
#include "support/datasettest.h"

namespace vyr {
namespace {

class QuickFix : public SampleDataTest {};

constexpr int kGame = 1;

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string lineOf(const std::string& text, int line) {
  std::size_t start = 0;
  for (int k = 1; k < line && start <= text.size(); ++k) {
    const std::size_t newline = text.find('\n', start);
    start = newline == std::string::npos ? text.size() + 1 : newline + 1;
  }
  if (start > text.size()) return {};
  return text.substr(start, text.find('\n', start) - start);
}

int findingsOn(const CHECKRESULT& result, int line) {
  int count = 0;
  for (const FINDING& finding : result.findings) count += finding.line == line ? 1 : 0;
  return count;
}

struct TALLY {
  int applied = 0;
  int worse = 0;
  int kept = 0;  // the fixed finding still there
  std::vector<std::string> faults;
};

// Makes every fix the check of `text` offers, one at a time, and re-checks.
void tryEveryFix(const std::string& what, const std::string& text, TALLY& tally) {
  const CHECKRESULT before = checkOrdersText(text, kGame);
  for (const FINDING& finding : before.findings) {
    std::string fixed;
    if (finding.suggestion.empty()) continue;
    if (!applyQuickFix(text, finding, fixed)) {
      tally.faults.push_back(what + ":" + std::to_string(finding.line) + ": the fix lies outside its line");
      continue;
    }
    ++tally.applied;
    const CHECKRESULT after = checkOrdersText(fixed, kGame);
    const std::string place = what + ":" + std::to_string(finding.line) + ": '" + lineOf(text, finding.line) +
                              "' -> '" + lineOf(fixed, finding.line) + "'";
    if (findingsOn(after, finding.line) > findingsOn(before, finding.line)) {
      ++tally.worse;
      tally.faults.push_back(place + ": more findings than before");
    }
    for (const FINDING& later : after.findings) {
      if (later.line == finding.line && later.column == finding.column && later.code == finding.code) {
        ++tally.kept;
        tally.faults.push_back(place + ": " + finding.code + " is still there");
        break;
      }
    }
  }
}

// A word misspelt as players do: a letter left out, two swapped, one wrong,
// one too many.
std::vector<std::string> misspellings(std::string_view word) {
  std::vector<std::string> wrong;
  const std::string w(word);
  if (w.size() >= 2) {
    wrong.push_back(w.substr(0, w.size() / 2) + w.substr(w.size() / 2 + 1));
    wrong.push_back(std::string{w[1], w[0]} + w.substr(2));
  }
  wrong.push_back(w.substr(0, w.size() - 1) + "q");
  wrong.push_back(w.substr(0, 1) + "x" + w.substr(1));
  return wrong;
}

std::string asField(std::string_view word) {
  return word.find(' ') == std::string_view::npos ? std::string(word) : "\"" + std::string(word) + "\"";
}

// The words a field of `kind` may hold: its fixed words, or the names and
// second names of its table visible in the game's world.
std::vector<std::string> membersOf(const PARAMKIND& kind) {
  std::vector<std::string> members;
  for (const std::string_view word : closedWordsOf(kind)) members.emplace_back(word);
  if (kind.table != nullptr) {
    const SYNWORLDS& data = *SYNTAX::gameData();
    const int world = data.worldOfGame(kGame);
    for (const SYNDATOBJ* entry : data.tableOf(kind.table).entries()) {
      if (!entry->visibleIn(world)) continue;
      if (!entry->name().empty()) members.emplace_back(entry->name());
      if (!entry->text().empty()) members.emplace_back(entry->text());
    }
  }
  return members;
}

// A valid field for each kind that has neither fixed words nor a table.
std::string sampleOf(std::string_view kind) {
  static const std::pair<std::string_view, std::string_view> kSamples[] = {
      {"loc", "12,3"},   {"loc5", "12,3"},     {"region", "12"},      {"gloc", "12,3"}, {"compress", "100"},
      {"player", "5"},   {"name", "Eldor"},    {"unitamt", "5"},      {"hero", "3"},    {"ship", "3"},
      {"castord", "1"},  {"email", "a@b.c"},   {"pass", "secret"},    {"resamt", "10"}, {"feed", "2"},
      {"artamt", "1"},   {"enemy", "10"},      {"pesamtbuild", "10"}, {"pesamtproduce", "10"},
  };
  for (const auto& [name, sample] : kSamples) {
    if (name == kind) return std::string(sample);
  }
  return "x";
}

struct SLOT {
  std::string field;
  const PARAMKIND* kind = nullptr;  // for a field that names something
};

// The fields of a valid order of `variant` (the spell's own slots spliced in),
// the command first.
std::vector<SLOT> orderOf(const COMMANDTABLE::Words& variant) {
  std::vector<SLOT> fields{{std::string(variant[1]), nullptr}};
  std::vector<std::string_view> words(variant.begin() + 2, variant.end());
  const SYNWORLDS& data = *SYNTAX::gameData();
  for (std::size_t k = 0; k < words.size(); ++k) {
    const std::string_view word = words[k];
    const signed char code = slotCode(word);
    if (code == slotcode::kKeyword) {
      fields.push_back({std::string(word), nullptr});
    } else if (code == slotcode::kRepeat && fields.size() > 1) {
      fields.push_back(fields.back());
    } else if (code >= 0) {
      const PARAMKIND& kind = parameterKinds()[static_cast<std::size_t>(code)];
      const std::vector<std::string> members = membersOf(kind);
      fields.push_back({members.empty() ? sampleOf(kind.name) : asField(members.front()), &kind});
      if (kind.name == "spell" && k + 1 < words.size() && words[k + 1] == "#") {
        // A spell with slots of its own, so that they are misspelt too.
        for (const SYNDATOBJ* spell : data.tableOf(&SYNWORLDS::spell).entries()) {
          if (!spell->visibleIn(data.worldOfGame(kGame)) || spell->extra().empty()) continue;
          fields.back().field = asField(spell->name());
          std::vector<std::string_view> own;
          splitWords(spell->extra(), own);
          words.erase(words.begin() + static_cast<long>(k) + 1, words.end());
          words.insert(words.end(), own.begin(), own.end());
          break;
        }
      }
    }
  }
  return fields;
}

std::string joined(const std::vector<SLOT>& fields) {
  std::string line;
  for (const SLOT& slot : fields) line += (line.empty() ? "" : " ") + slot.field;
  return line;
}

TEST_F(QuickFix, ReplacesTheFaultyWordOnly) {
  struct Case {
    const char* text;
    int line;
    const char* fixedLine;
  };
  const Case cases[] = {
      {"SHIRE 12,3\n@RECRUT 5 Scouts\n", 2, "@RECRUIT 5 Scouts"},
      {"SHIRE 12,3\n@ RECRUT 5 Scouts\n", 2, "@ RECRUIT 5 Scouts"},
      {"SHIRE 12,3\nRECRUT 5 Scouts ; the rest stays\n", 2, "RECRUIT 5 Scouts ; the rest stays"},
      {"SHIRE 12,3\r\n@  RECRUIT   5   Scots\r\n", 2, "@  RECRUIT   5   Scouts\r"},
      {"STUDY Fyre\n", 1, "STUDY Fire"},
      {"STUDY \"Druidic Fyre\"\n", 1, "STUDY \"Druidic Fire\""},
      {"SHIRE 12,3\nEXPLORE Cautios\n", 2, "EXPLORE CAUTIOUS"},
      {"TAX Hihg\n", 1, "TAX HIGH"},
      {"ALLY 17 Yse\n", 1, "ALLY 17 YES"},
      {"SHIRE 12,3\nLAND 3 GRUOND\n", 2, "LAND 3 GROUND"},
      {"SHIRE 12,3\n@ TRAIN TROPS 25 Archers\n", 2, "@ TRAIN TROOPS 25 Archers"},
  };
  for (const Case& c : cases) {
    const CHECKRESULT before = checkOrdersText(c.text, kGame);
    int fixes = 0;
    for (const FINDING& finding : before.findings) {
      std::string fixed;
      if (!applyQuickFix(c.text, finding, fixed)) continue;
      ++fixes;
      EXPECT_EQ(lineOf(fixed, c.line), c.fixedLine) << c.text;
      EXPECT_EQ(findingsOn(checkOrdersText(fixed, kGame), c.line), 0) << fixed;
    }
    EXPECT_EQ(fixes, 1) << c.text;
  }
}

TEST_F(QuickFix, NoFixOfTheCorpusMakesALineWorse) {
  TALLY tally;
  std::vector<std::filesystem::path> files;
  const std::filesystem::path source(VYR_SOURCE_DIR);
  for (const char* folder : {"tests/e2e/cases", "examples", "fuzz/corpus/fuzz_checkpass"}) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(source / folder)) {
      const std::string name = entry.path().filename().string();
      if (!entry.is_regular_file() || name.starts_with("expected") || name == "args" || name == "setup" ||
          name == "archive") {
        continue;
      }
      files.push_back(entry.path());
    }
  }
  for (const auto& path : files) tryEveryFix(path.lexically_relative(source).string(), readFile(path), tally);
  const int fromFiles = tally.applied;

  // Every order of the command table, each named field misspelt in turn.
  int generated = 0;
  for (const COMMANDTABLE::Words& variant : sharedCommandTable()->allVariants()) {
    if (variant.size() < 2) continue;
    const std::vector<SLOT> valid = orderOf(variant);
    const std::string head = variant[0] == "S" ? "SHIRE 12,3\n" : "";
    std::vector<SLOT> order = valid;
    std::string text = head + joined(valid) + "\n@ " + joined(valid) + "\n";
    for (const std::string& wrong : misspellings(valid[0].field)) {
      order[0].field = wrong;
      text += joined(order) + "\n@" + joined(order) + "\n@ " + joined(order) + "\n";
    }
    order[0].field = valid[0].field;
    for (std::size_t k = 1; k < valid.size(); ++k) {
      if (valid[k].kind == nullptr) continue;
      for (const std::string& member : membersOf(*valid[k].kind)) {
        for (const std::string& wrong : misspellings(member)) {
          order[k].field = asField(wrong);
          text += joined(order) + "\n";
          ++generated;
        }
      }
      order[k].field = valid[k].field;
    }
    tryEveryFix(joined(valid), text, tally);
  }

  std::cout << "[ quickfix ] " << files.size() << " files and " << generated << " generated orders: "
            << tally.applied << " fixes applied (" << fromFiles << " in the files), " << tally.worse
            << " made a line worse, " << tally.kept << " left their finding\n";
  EXPECT_GT(fromFiles, 0);
  EXPECT_GT(tally.applied, generated / 2);  // most misspellings are near enough for a hint
  EXPECT_EQ(tally.worse, 0);
  EXPECT_EQ(tally.kept, 0);
  for (std::size_t k = 0; k < tally.faults.size() && k < 20; ++k) ADD_FAILURE() << tally.faults[k];
}

}  // namespace
}  // namespace vyr
