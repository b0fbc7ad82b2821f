#include "findings/findingcode.h"

#include <array>

namespace vyr {

namespace {

struct CODENAME {
  FINDINGCODE code;
  std::string_view name;
};

constexpr std::array kCodeNames = {
    CODENAME{FINDINGCODE::kUnknownGame, "unknown-game"},
    CODENAME{FINDINGCODE::kUnknownCommand, "unknown-command"},
    CODENAME{FINDINGCODE::kMissingParameters, "missing-parameters"},
    CODENAME{FINDINGCODE::kOrderOutsideShire, "order-outside-shire"},
    CODENAME{FINDINGCODE::kGlobalUnderShire, "global-under-shire"},
    CODENAME{FINDINGCODE::kCityUnderShire, "city-under-shire"},
    CODENAME{FINDINGCODE::kCommentForParameter, "comment-for-parameter"},
    CODENAME{FINDINGCODE::kParameterAfterGround, "parameter-after-ground"},
    CODENAME{FINDINGCODE::kMissingParameter, "missing-parameter"},
    CODENAME{FINDINGCODE::kExtraParameter, "extra-parameter"},
    CODENAME{FINDINGCODE::kInvalidNumber, "invalid-number"},
    CODENAME{FINDINGCODE::kInvalidLocation, "invalid-location"},
    CODENAME{FINDINGCODE::kCentralShire, "central-shire"},
    CODENAME{FINDINGCODE::kNumberForName, "number-for-name"},
    CODENAME{FINDINGCODE::kUnknownName, "unknown-name"},
    CODENAME{FINDINGCODE::kInvalidMagic, "invalid-magic"},
    CODENAME{FINDINGCODE::kInvalidExploreMode, "invalid-explore-mode"},
    CODENAME{FINDINGCODE::kInvalidTaxRate, "invalid-tax-rate"},
    CODENAME{FINDINGCODE::kExpectedYesNo, "expected-yes-no"},
    CODENAME{FINDINGCODE::kInvalidEmail, "invalid-email"},
    CODENAME{FINDINGCODE::kUnusualPassword, "unusual-password"},
    CODENAME{FINDINGCODE::kNoOrders, "no-orders"},
    CODENAME{FINDINGCODE::kTableFault, "table-fault"},
    CODENAME{FINDINGCODE::kUnclosedQuote, "unclosed-quote"},
    CODENAME{FINDINGCODE::kMisspelledKeyword, "misspelled-keyword"},
    CODENAME{FINDINGCODE::kOtherWorldName, "other-world-name"},
};

constexpr std::array<FINDINGCODE, kCodeNames.size()> kCodes = [] {
  std::array<FINDINGCODE, kCodeNames.size()> codes{};
  for (std::size_t i = 0; i < kCodeNames.size(); ++i) codes[i] = kCodeNames[i].code;
  return codes;
}();

constexpr bool inEnumOrder() {
  for (std::size_t i = 0; i < kCodeNames.size(); ++i) {
    if (static_cast<std::size_t>(kCodeNames[i].code) != i) return false;
  }
  return static_cast<std::size_t>(FINDINGCODE::kOtherWorldName) + 1 == kCodeNames.size();
}
static_assert(inEnumOrder(), "kCodeNames lists every code once, in the order of FINDINGCODE");

}  // namespace

std::string_view findingCodeName(FINDINGCODE code) { return kCodeNames[static_cast<std::size_t>(code)].name; }

std::span<const FINDINGCODE> findingCodes() { return kCodes; }

}  // namespace vyr
