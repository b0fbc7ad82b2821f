// vyrpack check: finds the faults of a game data set before it ships, so that
// a game master learns of them from this report and not from a player's run
// that ends on one.
//
// The data set is an archive (read as the checker reads it) or a directory of
// loose files. Each finding names the member file and its line (0 when it
// concerns the whole member). Errors are faults that would end a checking run
// or stop the data load; warnings are legal shapes that do not do what their
// writer most likely meant.
#pragma once

#include <string>
#include <vector>

namespace vyr {

struct DataFinding {
  std::string member;  // the member's file name in lower case, e.g. "vyrsyn.dat"
  int line = 0;        // 1-based line of the member; 0: the member as a whole
  int isError = 0;     // 1 error, 0 warning
  int endsOrderOnly = 0;  // an error that stops only the check of an order that reaches it
  std::string text;
};

// "MEMBER:LINE: error: text" (or "warning"); "MEMBER: ..." when LINE is 0.
std::string formatDataFinding(const DataFinding& finding);

// The loose files every data set carries, in archive order: the command
// table, the world file and the eleven data tables.
std::vector<std::string> dataSetMembers();

// Reads the data set at `path` and appends every finding, member by member in
// archive order and line by line. Answers 1 when the data set could be read
// at all, 0 with `error` when not (no such path, a damaged archive).
int checkDataSet(const std::string& path, std::vector<DataFinding>& findings, std::string& error);

// "vyrpack check: N errors, M warnings" and a newline.
std::string summariseDataCheck(const std::vector<DataFinding>& findings);

}  // namespace vyr
