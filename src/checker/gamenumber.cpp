#include "checker/gamenumber.h"

#include "text/numbers.h"

namespace vyr {

int parseGameNumber(std::string_view text, int& gameNo) {
  if (!isInteger(text)) return 0;
  gameNo = readInt(text);
  return 1;
}

}  // namespace vyr
