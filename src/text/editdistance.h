// How far apart two names are, for the "did you mean" hints of the batch
// checker: the number of single-character insertions, deletions, substitutions
// and swaps of two neighbours that turn one into the other, letter case ignored
// ("MUSTR" and "muster" are 1 apart, "Pikmeen" and "Pikemen" too).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace vyr {

[[nodiscard]] int editDistance(std::string_view a, std::string_view b);
// editDistance when it is at most `limit` (>= 0); any larger distance gives limit + 1.
[[nodiscard]] int editDistanceWithin(std::string_view a, std::string_view b, int limit);

// The bytes of a text as a set of 64 classes, letter case ignored (a byte's
// class is its upper-case form modulo 64). A text that holds k classes another
// lacks is at least k edits from it: each edit takes at most one class away.
[[nodiscard]] std::uint64_t byteClasses(std::string_view text);

// The distances from one text to many others (a typed name to every
// candidate), its letters indexed once. The text must stay while this lives.
class DISTANCESFROM {
 public:
  explicit DISTANCESFROM(std::string_view from);
  DISTANCESFROM(const DISTANCESFROM&) = delete;
  DISTANCESFROM& operator=(const DISTANCESFROM&) = delete;
  // editDistanceWithin(from, to, limit).
  [[nodiscard]] int within(std::string_view to, int limit) const;
  // The same, told byteClasses(to): texts whose classes differ by more than
  // the limit are given limit + 1 without a look at their bytes.
  [[nodiscard]] int within(std::string_view to, std::uint64_t toClasses, int limit) const;

 private:
  std::string_view from_;
  std::uint64_t classes_ = 0;
  std::array<std::uint64_t, 256> matches_{};  // bit i of [c]: byte i of the text is c, in either case
};

// The largest distance at which a name still counts as a likely misspelling of
// the typed text: a third of its length, at least 1.
[[nodiscard]] int suggestionLimit(std::string_view typed);

}  // namespace vyr
