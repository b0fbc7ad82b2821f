// The batch checker's reports: findings, per-file summaries and the total, as
// compiler-style lines ("gnu") or as JSON objects, one a line ("json").
//
//   gnu:   FILE:LINE:COLUMN: error|warning|note: MESSAGE[ (did you mean 'NAME'?)]
//          FILE: E errors, W warnings[, N not shown]     (or "FILE: not checked")
//          total: F files, E errors, W warnings[, X not checked]
//   json:  {"format":1,"type":"finding","file":...,"line":...,"column":...,
//           "end_column":...,"char_column":...,"end_char_column":...,
//           "severity":"error"|"warning"|"note","code":...,"message":...,"suggestion":...|null}
//          (columns: bytes, then characters; a span ends before its end column)
//          {"format":1,"type":"file","file":...,"checked":true|false[,"reason":...],"errors":...,
//           "warnings":...,"unshown":...}
//          {"format":1,"type":"total","files":...,"unchecked":...,"errors":...,
//           "warnings":...,"status":...}
//
// MESSAGE is the checker's message without its "ERROR: ", "WARNING: " or "NOTE: "
// lead; COLUMN counts bytes or characters (COLUMNUNIT); "reason" comes with
// "checked": false.
// Every function answers one complete line, newline included.
#pragma once

#include <string>
#include <string_view>

#include "findings/finding.h"

namespace vyr {

enum class REPORTFORMAT { kGnu, kJson, kAnnotated };
// What the gnu column counts: bytes (what Vim's quickfix list reads) or
// characters (what Emacs reads). JSON always carries both.
enum class COLUMNUNIT { kByte, kChar };

// The counts of one file or of the whole run.
struct REPORTCOUNTS {
  int files = 0;      // totals only
  int unchecked = 0;  // totals: files that could not be checked
  int checked = 1;    // one file: 0 when it could not be checked
  std::string reason;  // one file: why, when it could not be checked
  int errors = 0;
  int warnings = 0;
  int unshown = 0;  // one file: findings counted but not printed
  int status = 0;   // totals: the exit status
};

std::string formatFinding(REPORTFORMAT format, std::string_view file, const FINDING& finding,
                          COLUMNUNIT columns = COLUMNUNIT::kByte);
// The same line appended to `line`, which it answers.
std::string& appendFinding(std::string& line, REPORTFORMAT format, std::string_view file, const FINDING& finding,
                           COLUMNUNIT columns = COLUMNUNIT::kByte);
// The annotated format has the gnu summaries.
std::string formatFileSummary(REPORTFORMAT format, std::string_view file, const REPORTCOUNTS& counts);
std::string formatTotal(REPORTFORMAT format, const REPORTCOUNTS& counts);

// The message without its "ERROR: ", "WARNING: ", "Warning: " or "NOTE: " lead.
std::string_view plainMessage(std::string_view message);
// Appends the text as a JSON string, quotes included. Bytes that are not
// valid UTF-8 become U+FFFD; control characters are escaped.
std::string& appendJsonString(std::string& destination, std::string_view text);

}  // namespace vyr
