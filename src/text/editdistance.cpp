#include "text/editdistance.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace vyr {

namespace {
char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }
}  // namespace

// Three rows of the usual table: row i holds the distances between the first i
// characters of a and every prefix of b; a swap looks two rows back.
int editDistance(std::string_view a, std::string_view b) {
  const std::size_t width = b.size() + 1;
  std::vector<int> before(width), previous(width), current(width);
  for (std::size_t j = 0; j < width; ++j) previous[j] = static_cast<int>(j);
  for (std::size_t i = 1; i <= a.size(); ++i) {
    current[0] = static_cast<int>(i);
    for (std::size_t j = 1; j < width; ++j) {
      const int cost = upper(a[i - 1]) == upper(b[j - 1]) ? 0 : 1;
      int best = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
      if (i > 1 && j > 1 && upper(a[i - 1]) == upper(b[j - 2]) && upper(a[i - 2]) == upper(b[j - 1])) {
        best = std::min(best, before[j - 2] + 1);
      }
      current[j] = best;
    }
    std::swap(before, previous);
    std::swap(previous, current);
  }
  return previous[b.size()];
}

int suggestionLimit(std::string_view typed) { return std::max(1, static_cast<int>(typed.size() / 3)); }

}  // namespace vyr
