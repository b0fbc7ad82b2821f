// The game number as every program reads it from its command line: an
// optional '-' and digits, read as `atoi` reads them (so "-" alone is game 0,
// and a number beyond the range of int clamps to its end). Anything else is
// not a game number.
#pragma once

#include <string_view>

namespace vyr {

// Answers 1 and sets `gameNo`, or 0 with `gameNo` left alone.
int parseGameNumber(std::string_view text, int& gameNo);

}  // namespace vyr
