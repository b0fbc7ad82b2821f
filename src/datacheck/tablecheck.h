// The checks of vyrpack check on the lines of one member each: the command
// table, the world file and the data tables (the spell table's slot column
// included). They read lines as the checker reads them and report through a
// REPORTER; they never end the process.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "datacheck/datacheck.h"

namespace vyr {

// Collects the findings of one member.
class REPORTER {
 public:
  REPORTER(std::vector<DataFinding>& findings, std::string member)
      : findings_(findings), member_(std::move(member)) {}
  void error(int line, std::string text) { add(line, 1, std::move(text)); }
  // An error that ends only the check of an order that reaches it: a slot
  // word that is no parameter kind.
  void orderError(int line, std::string text) {
    add(line, 1, std::move(text));
    findings_.back().endsOrderOnly = 1;
  }
  void warning(int line, std::string text) { add(line, 0, std::move(text)); }

 private:
  void add(int line, int isError, std::string text) {
    findings_.push_back(DataFinding{member_, line, isError, 0, std::move(text)});
  }
  std::vector<DataFinding>& findings_;
  std::string member_;
};

using Lines = std::vector<std::string>;  // line n of a member is lines[n - 1]

// The command table "vyrsyn.dat": two header lines, then one variant a line.
void checkCommandTable(const Lines& lines, REPORTER& report);

// The world file; answers the world numbers it names, for the tables.
std::set<int> checkWorldFile(const Lines& lines, REPORTER& report);

// One data table. `worlds` are the world numbers of the world file, or null
// when it could not be read; `isSpellTable` checks the fourth column as the
// parameter slots a spell adds after the "spell" slot of an order.
void checkDataTable(const Lines& lines, const std::set<int>* worlds, int isSpellTable, REPORTER& report);

// The 31 parameter kinds of the command-table notation.
[[nodiscard]] bool isParameterKind(std::string_view word);

}  // namespace vyr
