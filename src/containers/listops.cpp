// The list's whole-list operations: visiting, purging, moving elements to the
// front or to another list, and shuffling.
#include <cstdlib>
#include <new>
#include <utility>

#include "containers/list.h"

namespace vyr {

namespace {
constexpr int kMaxShuffle = 30000;
}  // namespace

int LISTOBJ::forEach() {
  for (Node* node = head_; node != nullptr;) {
    Node* following = node->next;
    visit(*node->element);
    node = following;
  }
  return 1;
}

int LISTOBJ::removeDuplicateKeys() {
  sortByKey();
  int removed = 0;
  int position = 2;
  for (Node* node = head_ != nullptr ? head_->next : nullptr; node != nullptr;) {
    Node* following = node->next;
    if (node->element->key() == node->prev->element->key()) {
      destroyAt(node, position);
      ++removed;
    } else {
      ++position;
    }
    node = following;
  }
  return removed;
}

int LISTOBJ::removeInvalid() {
  int position = 1;
  while (position <= count_) {
    if (get(position)->isValid()) {
      ++position;
    } else {
      remove(position);
    }
  }
  return count_;
}

int LISTOBJ::removeKeysIn(LISTOBJ& other) {
  if (count_ == 0) return 1;
  int position = 1;
  while (position <= count_) {
    if (other.seek(get(position)->key())) {
      remove(position);
    } else {
      ++position;
    }
  }
  return count_;
}

int LISTOBJ::moveToFront(int key) {
  Node* node = locateKey(key);
  if (node == nullptr) return 0;
  if (node != head_) {
    unlink(node);
    insertBefore(node, head_);
    keySorted_ = 0;
    compareSorted_ = 0;
  }
  setCache(node, 1);
  return 1;
}

// Detaches the node as `remove` would and hands its element to `other`'s
// `addFront`; if that fails, everything here is put back as it was.
int LISTOBJ::transferNode(Node* node, int position, LISTOBJ& other) {
  Node* const savedCursor = cursor_;
  Node* const next = node->next;
  detach(node, position);
  std::unique_ptr<OBJECT> element = std::move(node->element);
  if (!other.addFront(std::move(element))) {
    node->element = std::move(element);
    if (next != nullptr) {
      insertBefore(node, next);
    } else {
      append(node);
    }
    ++count_;
    cursor_ = savedCursor;
    setCache(node, position);
    return 0;
  }
  freeNode(node);
  return 1;
}

int LISTOBJ::transferTo(LISTOBJ& other, int position) {
  Node* node = locate(position);
  return node != nullptr ? transferNode(node, position, other) : 0;
}

int LISTOBJ::transferKeyTo(LISTOBJ& other, int key) {
  Node* node = locateKey(key);
  return node != nullptr ? transferNode(node, cachePosition_, other) : 0;
}

// Deals out positions 1..count to random empty slots, then builds the new
// chain by front insertion in slot order.
int LISTOBJ::shuffle() {
  if (count_ == 0 || count_ > kMaxShuffle) return 0;
  const int n = count_;
  std::unique_ptr<int[]> slots(new (std::nothrow) int[n]());
  std::unique_ptr<Node*[]> byPosition(new (std::nothrow) Node*[n]);
  if (!slots || !byPosition) return 0;
  for (int i = 1; i <= n; ++i) {
    int slot = std::rand() % n;
    while (slots[slot] != 0) slot = std::rand() % n;
    slots[slot] = i;
  }
  int at = 0;
  for (Node* node = head_; node != nullptr; node = node->next) byPosition[at++] = node;
  takeChain();
  markUnsorted();
  for (int slot = 0; slot < n; ++slot) {
    Node* node = byPosition[slots[slot] - 1];
    node->next = nullptr;
    node->prev = nullptr;
    pushFront(node);
  }
  return 1;
}

}  // namespace vyr
