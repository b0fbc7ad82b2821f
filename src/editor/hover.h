// Hover for an orders line: on the command the variant the checker matches
// (its keywords and slots) with the others and the kinds of their slots, on
// an unknown command what the checker says of it and its "did you mean"; on a
// field the name it names or what its slot asks, under that variant (inside a
// spell's own slots, the spell's slot). The game data and command table must
// be loaded; without them there is no hover.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "editor/editspan.h"

namespace vyr {

struct HOVER {
  EDITSPAN span;         // the field hovered
  std::string markdown;  // what to show
};

// 1 and `out` filled when there is something to say at byte `byteInLine` of
// line `line` (1-based) of an orders text, else 0.
[[nodiscard]] int hoverAt(std::string_view text, int line, std::size_t byteInLine, int gameNo, HOVER& out);
[[nodiscard]] int hoverInLine(std::string_view lineText, int line, std::size_t byteInLine, int gameNo, HOVER& out);

}  // namespace vyr
