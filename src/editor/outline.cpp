#include "editor/outline.h"

#include "engine/engine.h"
#include "text/words.h"

namespace vyr {

ORDEROUTLINE orderOutline(const std::vector<ORDERPLACE>& orders) {
  ORDEROUTLINE outline;
  for (const ORDERPLACE& place : orders) {
    if (place.isHeader) {
      outline.headerLine = place.line;
    } else if (place.isShire) {
      outline.shires.push_back(OUTLINESHIRE{{place.line, place.command}, {}});
    } else if (place.underShire && !outline.shires.empty()) {
      outline.shires.back().orders.push_back(OUTLINEORDER{place.line, place.command});
    } else {
      outline.orders.push_back(OUTLINEORDER{place.line, place.command});
    }
  }
  return outline;
}

std::vector<OUTLINESHIRE> shireOutline(const std::vector<ORDERPLACE>& orders) {
  return std::move(orderOutline(orders).shires);
}

ORDEROUTLINE orderOutlineOf(std::string_view text, int gameNo) {
  CHECKOPTIONS options;
  options.suggestions = 0;
  options.notes = 0;
  options.annotated = 0;
  options.orders = 1;
  return orderOutline(checkOrdersText(text, gameNo, options).orders);
}

std::vector<OUTLINESHIRE> shireOutlineOf(std::string_view text, int gameNo) {
  return std::move(orderOutlineOf(text, gameNo).shires);
}

std::string outlineName(std::string_view line) {
  std::string text(line.substr(0, line.find(';')));
  trimText(text);
  return text;
}

}  // namespace vyr
