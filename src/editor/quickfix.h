// The quick fix of a finding that carries a suggestion: its span (the faulty
// word) replaced by the suggested name, written so that the order reads it as
// one field.
#pragma once

#include <string>
#include <string_view>

namespace vyr {

struct QUICKFIX {
  std::string title;    // "Replace with 'NAME'"
  std::string newText;  // the name, quoted when it holds a space
};

// Answers 1 with the fix, or 0 when there is no suggestion.
int quickFixFor(std::string_view suggestion, QUICKFIX& fix);

}  // namespace vyr
