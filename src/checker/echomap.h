// Where the characters of an echoed order line stand in the line as the player
// wrote it.
//
// The pre-pass turns a written line into its prepared text (every tab becomes
// eight spaces, a space goes before a first ';' that is glued to the text
// before it, white space is trimmed from both ends), and the check pass echoes
// it as "  " + prepared. ECHOMAP replays those steps on the written line and
// keeps, for every character of the prepared text, the index in the written
// line it came from; the space put before a glued ';' counts as the ';'.
// Invariant: prepared() equals what the pre-pass makes of the same line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vyr {

class ECHOMAP {
 public:
  explicit ECHOMAP(std::string_view written);

  [[nodiscard]] const std::string& prepared() const { return prepared_; }
  // The 1-based column in the written line of the echo's character at the
  // 0-based `echoPosition`. A position of -1 (a missing field) or one past the
  // echo's end gives the column just after the written line, a carriage
  // return at its end not counted.
  [[nodiscard]] int column(int echoPosition) const;

 private:
  std::string prepared_;
  std::vector<int> source_;  // source_[i]: index in the written line of prepared_[i]
  int endColumn_ = 1;
};

}  // namespace vyr
