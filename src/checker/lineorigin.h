// Where the bytes of a prepared order line came from in the line as written.
//
// The pre-pass (SYNTAX::prepareOrders) records one LINEORIGIN per line when
// asked: every tab becomes eight spaces, each coming from the tab; the space
// put before a glued first ';' comes from the ';'; trimming drops bytes from
// both ends. The check pass echoes a prepared line as "  " + prepared, so an
// echo position p is prepared byte p - 2.
#pragma once

#include <string>
#include <vector>

namespace vyr {

struct LINEORIGIN {
  std::string written;    // the line before the pre-pass, a carriage return at its end included
  std::vector<int> from;  // from[i]: the 0-based index in `written` of prepared byte i (see compact)
  int shift = 0;          // after compact() of a plain line: prepared byte i came from written byte shift + i
  int length = -1;        // after compact(): the prepared line's length

  // Drops `from` when every prepared byte is its written byte moved by one
  // shift (no tab, no inserted space: most lines), keeping the shift instead.
  void compact();
  // The 0-based index in `written` of prepared byte i, 0 <= i < preparedLength().
  [[nodiscard]] int source(int i) const;
  [[nodiscard]] int preparedLength() const;

  // The 1-based byte column in `written` of the echo's byte at the 0-based
  // `echoPosition`; -1 (a missing field) or a position past the echo's end
  // give pastEnd().
  [[nodiscard]] int column(int echoPosition) const;
  // The column just after the echo's byte at `echoEnd - 1`: the end of a span
  // that runs up to, not including, the echo position `echoEnd`.
  [[nodiscard]] int endColumn(int echoEnd) const;
  // The column just after the written line, a carriage return at its end not counted.
  [[nodiscard]] int pastEnd() const;
};

}  // namespace vyr
