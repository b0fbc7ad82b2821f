// How far apart two names are, for the "did you mean" hints of the batch
// checker: the number of single-character insertions, deletions, substitutions
// and swaps of two neighbours that turn one into the other, letter case ignored
// ("MUSTR" and "muster" are 1 apart, "Pikmeen" and "Pikemen" too).
#pragma once

#include <string_view>

namespace vyr {

[[nodiscard]] int editDistance(std::string_view a, std::string_view b);
// editDistance when it is at most `limit` (>= 0); any larger distance gives limit + 1.
[[nodiscard]] int editDistanceWithin(std::string_view a, std::string_view b, int limit);

// The largest distance at which a name still counts as a likely misspelling of
// the typed text: a third of its length, at least 1.
[[nodiscard]] int suggestionLimit(std::string_view typed);

}  // namespace vyr
