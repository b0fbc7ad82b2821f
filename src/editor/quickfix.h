// The quick fix of a finding that carries a suggestion: its span (the faulty
// word) replaced by the suggested name, written so that the order reads it as
// one field. The span is the word alone: an '@' marker before a command, and
// everything else on the line, stay as they are.
#pragma once

#include <string>
#include <string_view>

#include "findings/finding.h"

namespace vyr {

struct QUICKFIX {
  std::string title;    // "Replace with 'NAME'"
  std::string newText;  // the name, quoted when it holds a space
};

// Answers 1 with the fix, or 0 when there is no suggestion.
int quickFixFor(std::string_view suggestion, QUICKFIX& fix);

// The text with the fix of `finding` made: the bytes of its span in its line
// (lines cut at '\n') replaced by the fix's text. Answers 1, or 0 (and leaves
// `fixed` alone) when the finding has no fix or its span is not in the text.
int applyQuickFix(std::string_view text, const FINDING& finding, std::string& fixed);

}  // namespace vyr
