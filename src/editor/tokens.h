// The fields of an orders text by what the check makes of them, for an
// editor's colouring: the command of each order line, the keywords, numbers,
// names and free text of its slots as the check pass's own slot walk reaches
// them, comments and the header line.
#pragma once

#include <string_view>
#include <vector>

#include "editor/editspan.h"

namespace vyr {

enum class TOKENKIND { kCommand, kKeyword, kNumber, kName, kText, kComment, kHeader };

struct TOKEN {
  EDITSPAN span;
  TOKENKIND kind = TOKENKIND::kText;
};

// The tokens of the text checked for the game, in text order, none spanning
// lines; the game data must be loaded. A field the slot walk does not reach
// (after an unknown command, past the last slot) gets none.
[[nodiscard]] std::vector<TOKEN> tokensOf(std::string_view text, int gameNo);

}  // namespace vyr
