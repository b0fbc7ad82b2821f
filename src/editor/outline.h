// The outline of an orders text for editors: each SHIRE order with the
// orders that stand under it, exactly as the check pass reads the text (the
// header and end lines, the SHIRE order and its location, the '@' marker are
// the pass's own rules, not written again here).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "findings/finding.h"

namespace vyr {

// One order line of the outline.
struct OUTLINEORDER {
  int line = 1;  // 1-based line of the text as given
  std::string command;
};

// A SHIRE order and the orders under it, in text order: those the check
// treats as standing under a SHIRE order, up to the next SHIRE order.
struct OUTLINESHIRE {
  OUTLINEORDER order;
  std::vector<OUTLINEORDER> orders;
  [[nodiscard]] int lastLine() const { return orders.empty() ? order.line : orders.back().line; }
};

// Every order of a text: the header line (0 when the text has none) with
// the orders that stand under no SHIRE order (global and city orders, and
// shire orders written before any SHIRE), then each SHIRE order with the
// orders under it; all in text order.
struct ORDEROUTLINE {
  int headerLine = 0;
  std::vector<OUTLINEORDER> orders;
  std::vector<OUTLINESHIRE> shires;
};

// The outline from the order lines of a check (CHECKOPTIONS::orders).
std::vector<OUTLINESHIRE> shireOutline(const std::vector<ORDERPLACE>& orders);
ORDEROUTLINE orderOutline(const std::vector<ORDERPLACE>& orders);
// The whole outline of an orders text checked for the game; the game data
// must be loaded.
ORDEROUTLINE orderOutlineOf(std::string_view text, int gameNo);

// The outline of an orders text checked for the game; the game data must be
// loaded.
std::vector<OUTLINESHIRE> shireOutlineOf(std::string_view text, int gameNo);

// How an outline names an order line: its text before any comment, without
// the outer white space.
std::string outlineName(std::string_view line);

}  // namespace vyr
