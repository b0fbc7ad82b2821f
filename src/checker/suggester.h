// Near names for the findings that name something the game does not know: a
// command that is not in the command table ("ERROR: Unrecognized Command.")
// and a name that no data table entry visible in the game's world carries
// (the unknown-unit, -ship type, -building, -resource, -artifact, -race,
// -terrain and -spell errors). Only the batch checker's own reports carry the
// hint; the annotated copy never changes.
//
// SUGGESTER copies the candidate names once, from the loaded command table and
// game data; it owns those copies and reads nothing else afterwards.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vyr {

class SYNDAT;

class SUGGESTER {
 public:
  // The commands of the shared command table and the names (and second names)
  // of the data entries visible in `world` (world 0: the common ones only).
  // The shared data must be loaded.
  explicit SUGGESTER(int world);

  // The name to suggest for a finding with `message` at field `field` of the
  // echoed line `echo`, or "" when the finding takes no hint or no candidate
  // lies within `suggestionLimit` of the text written there. The nearest
  // candidate wins; among equally near ones the first in table order.
  [[nodiscard]] std::string suggest(std::string_view message, std::string_view echo, int field) const;

  // The nearest of `candidates` to `typed` within `suggestionLimit`, not the
  // typed name itself (letter case ignored), or "".
  [[nodiscard]] static std::string nearest(std::string_view typed,
                                           const std::vector<std::string>& candidates);

 private:
  struct TABLENAMES {
    std::string_view message;
    std::vector<std::string> names;
  };

  std::vector<std::string> commands_;
  std::vector<TABLENAMES> tables_;
};

}  // namespace vyr
