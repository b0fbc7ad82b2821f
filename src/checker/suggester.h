// Near names for the findings that name something the game does not know: a
// command that is not in the command table (code unknown-command) and a name
// that no data table entry visible in the game's world carries (code
// unknown-name, with the table of the slot's kind) and a field that is none
// of the fixed words of its slot's kind (a kind of magic, an explore mode, a
// tax code, yes or no, GROUND). The hint is chosen by the finding's code and
// kind, never by its wording; the annotated copy never carries it.
//
// SUGGESTER copies the candidate names once, from the loaded command table and
// game data; it owns those copies and reads nothing else afterwards.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "findings/findingcode.h"

namespace vyr {

struct PARAMKIND;

class SUGGESTER {
 public:
  // The commands of the shared command table, the names (and second names)
  // of the data entries visible in `world` (world 0: the common ones only)
  // and the fixed words of the kinds that have them. The shared data must be
  // loaded.
  explicit SUGGESTER(int world);

  [[nodiscard]] int world() const { return world_; }

  // The name to suggest for a finding of `code` about the text `typed` (the
  // command, or the field's text), for a name of `kind`'s table or one of
  // its fixed words; "" when the finding takes no hint or no candidate lies
  // within `suggestionLimit` of the typed text. The nearest candidate wins;
  // among equally near ones the first in table order.
  [[nodiscard]] std::string suggest(FINDINGCODE code, const PARAMKIND* kind, std::string_view typed) const;

  // The nearest of `candidates` to `typed` within `suggestionLimit`, not the
  // typed name itself (letter case ignored), or "".
  [[nodiscard]] static std::string nearest(std::string_view typed,
                                           const std::vector<std::string>& candidates);

 private:
  // Candidate names with the byte classes of each (byteClasses), which rule
  // most of them out before their distance is computed.
  struct NAMES {
    std::vector<std::string> names;
    std::vector<std::uint64_t> classes;
    void add(std::string_view name);
  };
  struct TABLENAMES {
    const PARAMKIND* kind;
    NAMES names;
  };

  [[nodiscard]] static std::string nearestOf(std::string_view typed, const NAMES& candidates);

  int world_;
  NAMES commands_;
  std::vector<TABLENAMES> tables_;
  std::vector<TABLENAMES> closedLists_;  // by kind
};

}  // namespace vyr
