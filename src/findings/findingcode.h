// The stable code of each kind of checker message: what reports, editors and
// the web page key on instead of the message's wording. Each code has an
// entry in doc/codes.md whose anchor is the code itself.
#pragma once

#include <span>
#include <string_view>

namespace vyr {

enum class FINDINGCODE {
  kUnknownGame,           // the game number names no world
  kUnknownCommand,        // no command of that name
  kMissingParameters,     // the command exists, but no form of it matches the keywords given
  kOrderOutsideShire,     // a shire order before any SHIRE order
  kGlobalUnderShire,      // a global order under a SHIRE order (warning)
  kCityUnderShire,        // a city order under a SHIRE order (warning)
  kCommentForParameter,   // a comment where a parameter must stand
  kParameterAfterGround,  // anything after GROUND
  kMissingParameter,      // the order ends where a parameter must stand
  kExtraParameter,        // more fields than the order takes (warning)
  kInvalidNumber,         // a number outside its range, or not a number
  kInvalidLocation,       // not a location REGION,SHIRE
  kCentralShire,          // the central shire where it is not allowed
  kNumberForName,         // a number where a name in words must stand
  kUnknownName,           // a name no table entry of the game's world carries
  kInvalidMagic,          // not a kind of magic
  kInvalidExploreMode,    // not NORMAL, CAUTIOUS or BOLD
  kInvalidTaxRate,        // not a tax rate code
  kExpectedYesNo,         // not yes or no
  kInvalidEmail,          // an email address without '@'
  kUnusualPassword,       // too long, too short or more than one word (warning)
  kNoOrders,              // the file holds no order line at all
  kTableFault,            // the order reaches a slot word of the command table that is no kind
  kUnclosedQuote,         // a quote opened on an order line is never closed (note)
  kMisspelledKeyword,     // a keyword of a form of the command, nearly right (note)
  kOtherWorldName,        // a name of the right kind that exists in another world only (note)
};

// The code as reports print it, e.g. "unknown-command".
std::string_view findingCodeName(FINDINGCODE code);
// Every code the checker can give, in the order of FINDINGCODE.
std::span<const FINDINGCODE> findingCodes();

}  // namespace vyr
