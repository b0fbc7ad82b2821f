#include "text/editdistance.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cstdint>
#include <vector>

namespace vyr {

namespace {

// The upper-case form of every byte, looked up instead of asked for per comparison.
const std::array<char, 256>& upperTable() {
  static const std::array<char, 256> table = [] {
    std::array<char, 256> made{};
    for (int c = 0; c < 256; ++c) made[static_cast<std::size_t>(c)] = static_cast<char>(std::toupper(c));
    return made;
  }();
  return table;
}

using MATCHES = std::array<std::uint64_t, 256>;

unsigned char slot(char c) { return static_cast<unsigned char>(upperTable()[static_cast<unsigned char>(c)]); }

// matches[c] gets bit i set where `a` (1 to 64 bytes) holds c, letter case ignored.
void markMatches(MATCHES& matches, std::string_view a) {
  for (std::size_t i = 0; i < a.size(); ++i) matches[slot(a[i])] |= std::uint64_t{1} << i;
}

// The distance with the table's columns kept as bit vectors, for an `a` of 1
// to 64 bytes whose `matches` are marked: bit i of `up` and `down` says that
// cell i + 1 of the column is one more or one less than the cell above it,
// and each character of b gives the next column in a few word operations;
// the matches of b's previous character find the swaps of two neighbours.
// The distance is read off the column's last cell; once it lies so far above
// the limit that the rest of b cannot bring it back, the search stops.
int bitVectorDistance(const MATCHES& matches, std::size_t aSize, std::string_view b, int limit) {
  const std::uint64_t last = std::uint64_t{1} << (aSize - 1);
  std::uint64_t up = ~std::uint64_t{0};
  std::uint64_t down = 0;
  std::uint64_t diagonal = 0;  // bit i: cell i + 1 equals the cell up and to the left
  std::uint64_t previousMatch = 0;
  auto distance = static_cast<long>(aSize);
  auto left = static_cast<long>(b.size());
  for (const char c : b) {
    const std::uint64_t match = matches[slot(c)];
    const std::uint64_t swap = (((~diagonal) & match) << 1) & previousMatch;
    diagonal = (((match & up) + up) ^ up) | match | down | swap;
    std::uint64_t rightUp = down | ~(diagonal | up);
    std::uint64_t rightDown = diagonal & up;
    distance += (rightUp & last) != 0 ? 1 : 0;
    distance -= (rightDown & last) != 0 ? 1 : 0;
    rightUp = (rightUp << 1) | 1;
    rightDown <<= 1;
    up = rightDown | ~(diagonal | rightUp);
    down = rightUp & diagonal;
    previousMatch = match;
    if (distance - --left > limit) break;  // each character left lowers it by one at most
  }
  return static_cast<int>(std::min(distance, static_cast<long>(limit) + 1));
}

bool fitsWord(std::string_view a) { return !a.empty() && a.size() <= 64; }

// Three rows of the usual table: row i holds the distances between the first i
// characters of a and every prefix of b; a swap looks two rows back. Only the
// cells within `limit` of the diagonal are computed: any other lies farther
// than the limit, and the cell just outside the band on either side holds
// limit + 1, which every cell next to it reads as "too far". Once two rows in
// a row lie wholly above the limit, no later row comes back under it (every
// cell grows from one of the two rows above it), so the search stops.
int boundedDistance(std::string_view a, std::string_view b, int limit) {
  const auto longer = static_cast<long>(a.size()) - static_cast<long>(b.size());
  if (longer > limit || -longer > limit) return limit + 1;  // at least that many insertions or deletions
  if (fitsWord(a)) {
    thread_local MATCHES matches{};  // all zero between calls
    markMatches(matches, a);
    const int distance = bitVectorDistance(matches, a.size(), b, limit);
    for (const char c : a) matches[slot(c)] = 0;
    return distance;
  }
  const std::array<char, 256>& upper = upperTable();
  const auto fold = [&upper](char c) { return upper[static_cast<unsigned char>(c)]; };
  const std::size_t width = b.size() + 1;
  const int tooFar = limit + 1;
  const auto band = static_cast<std::size_t>(limit);
  thread_local std::vector<int> rows;
  if (rows.size() < 3 * width) rows.resize(3 * width);
  int* before = rows.data();
  int* previous = before + width;
  int* current = previous + width;
  for (std::size_t j = 0; j < width; ++j) previous[j] = static_cast<int>(j);
  int previousLeast = 0;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    const std::size_t low = i > band ? i - band : 1;
    const std::size_t high = std::min(b.size(), i + band);
    current[0] = static_cast<int>(i);
    if (low > 1) current[low - 1] = tooFar;
    if (high < b.size()) current[high + 1] = tooFar;
    int least = low == 1 ? current[0] : tooFar;
    const char here = fold(a[i - 1]);
    const char back = i > 1 ? fold(a[i - 2]) : '\0';
    for (std::size_t j = low; j <= high; ++j) {
      const char other = fold(b[j - 1]);
      const int cost = here == other ? 0 : 1;
      int best = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
      if (i > 1 && j > 1 && here == fold(b[j - 2]) && back == other) best = std::min(best, before[j - 2] + 1);
      current[j] = best;
      least = std::min(least, best);
    }
    if (least > limit && previousLeast > limit) return tooFar;
    previousLeast = least;
    int* reused = before;
    before = previous;
    previous = current;
    current = reused;
  }
  return previous[b.size()];
}

}  // namespace

int editDistance(std::string_view a, std::string_view b) {
  return boundedDistance(a, b, static_cast<int>(std::max(a.size(), b.size())));
}

int editDistanceWithin(std::string_view a, std::string_view b, int limit) {
  const int distance = boundedDistance(a, b, limit);
  return std::min(distance, limit + 1);
}

std::uint64_t byteClasses(std::string_view text) {
  std::uint64_t classes = 0;
  for (const char c : text) classes |= std::uint64_t{1} << (slot(c) & 63U);
  return classes;
}

DISTANCESFROM::DISTANCESFROM(std::string_view from) : from_(from), classes_(byteClasses(from)) {
  if (fitsWord(from_)) markMatches(matches_, from_);
}

int DISTANCESFROM::within(std::string_view to, std::uint64_t toClasses, int limit) const {
  if (std::popcount(classes_ & ~toClasses) > limit || std::popcount(toClasses & ~classes_) > limit) return limit + 1;
  return within(to, limit);
}

int DISTANCESFROM::within(std::string_view to, int limit) const {
  const auto longer = static_cast<long>(from_.size()) - static_cast<long>(to.size());
  if (longer > limit || -longer > limit) return limit + 1;
  if (!fitsWord(from_)) return editDistanceWithin(from_, to, limit);
  return bitVectorDistance(matches_, from_.size(), to, limit);
}

int suggestionLimit(std::string_view typed) { return std::max(1, static_cast<int>(typed.size() / 3)); }

}  // namespace vyr
