#include "editor/outline.h"

#include "engine/engine.h"
#include "text/words.h"

namespace vyr {

std::vector<OUTLINESHIRE> shireOutline(const std::vector<ORDERPLACE>& orders) {
  std::vector<OUTLINESHIRE> shires;
  for (const ORDERPLACE& place : orders) {
    if (place.isShire) {
      shires.push_back(OUTLINESHIRE{{place.line, place.command}, {}});
    } else if (place.underShire && !shires.empty()) {
      shires.back().orders.push_back(OUTLINEORDER{place.line, place.command});
    }
  }
  return shires;
}

std::vector<OUTLINESHIRE> shireOutlineOf(std::string_view text, int gameNo) {
  CHECKOPTIONS options;
  options.suggestions = 0;
  options.notes = 0;
  options.annotated = 0;
  options.orders = 1;
  return shireOutline(checkOrdersText(text, gameNo, options).orders);
}

std::string outlineName(std::string_view line) {
  std::string text(line.substr(0, line.find(';')));
  trimText(text);
  return text;
}

}  // namespace vyr
