// Ordering of the integer list.
#include "containers/valueobjects.h"

namespace vyr {

// Every element of an INTLIST is an INTOBJECT.
int INTLIST::isGreater(const OBJECT& a, const OBJECT& b) const {
  if (a.key() != b.key()) return a.key() > b.key() ? 1 : 0;
  return static_cast<const INTOBJECT&>(a).value() > static_cast<const INTOBJECT&>(b).value() ? 1 : 0;
}

}  // namespace vyr
