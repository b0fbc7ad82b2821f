// The node of LISTOBJ, shared by the list's own sources only: one per element,
// created, recycled and freed by the list alone.
#pragma once

#include <memory>

#include "containers/list.h"

namespace vyr {

struct LISTOBJ::Node {
  std::unique_ptr<OBJECT> element;  // never null while the node is linked
  Node* next = nullptr;
  Node* prev = nullptr;
};

}  // namespace vyr
