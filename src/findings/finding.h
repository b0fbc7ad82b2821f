// One finding of a check, placed in the orders text as the player wrote it:
// what every front-end (VyrSyn's annotated copy aside) reports.
//
// Columns are 1-based and count in three units: bytes, characters (UTF-8
// code points; a byte that is not valid UTF-8 counts as one character) and
// UTF-16 code units (what editors' protocols count). A span runs from its
// column up to, not including, its end column; a missing parameter is the
// empty span just past the end of the line.
#pragma once

#include <string>

namespace vyr {

enum class SEVERITY { kError, kWarning, kNote };

// The name of a severity as reports print it: "error", "warning" or "note".
const char* severityName(SEVERITY severity);

struct FINDING {
  int line = 1;  // 1-based line of the text as given, before any line was deleted
  int column = 1;
  int endColumn = 1;
  int charColumn = 1;
  int endCharColumn = 1;
  int utf16Column = 1;
  int endUtf16Column = 1;
  SEVERITY severity = SEVERITY::kError;
  std::string message;     // as the check line shows it: "ERROR: ..." or "WARNING: ..."
  std::string code;        // the stable code of the message's kind, e.g. "unknown-command" (doc/codes.md)
  std::string table;       // for a name: the kind of table it was checked against ("unit", ...), else ""
  std::string suggestion;  // a near name, or ""
};

// One order line of a check, as the check pass read it: what an outline of
// the orders is made of.
struct ORDERPLACE {
  int line = 1;         // 1-based line of the text as given
  std::string command;  // as written, after an '@' marker
  char scope = 0;       // of the variant the order was checked by: 'S', 'G' or 'C'; 0 when none matched
  int isShire = 0;      // 1 for a SHIRE order
  int underShire = 0;   // 1 when the order stands under a SHIRE order
  int opensShire = 0;   // 1 when the orders after it stand under a SHIRE order
  int isHeader = 0;     // 1 for the header line the check starts after (no order; command empty)
};

}  // namespace vyr
