// The list container: node storage, navigation by position and key, ordered
// insertion, removal, sorting and iteration.
#include "containers/list.h"

#include <cassert>
#include <new>
#include <utility>

#include "containers/blockpool.h"

namespace vyr {

LISTOBJ::LISTOBJ() = default;

LISTOBJ::~LISTOBJ() { clear(); }

int LISTOBJ::isGreater(const OBJECT& a, const OBJECT& b) const { return a.key() > b.key() ? 1 : 0; }

int LISTOBJ::visit(OBJECT& element) { return element.key(); }

// ---- node storage -------------------------------------------------------

// A node from the block store; null when memory is out.
LISTOBJ::Node* LISTOBJ::allocNode() {
  void* memory = BLOCKPOOL::allocate(sizeof(Node));
  return memory != nullptr ? new (memory) Node : nullptr;
}

void LISTOBJ::freeNode(Node* node) {
  assert(!node->element);
  node->~Node();
  BLOCKPOOL::release(node, sizeof(Node));
}

// ---- linking --------------------------------------------------------------
// These helpers change links only (and count the change in the revision);
// count, cache, cursor and flags are the callers' business.

void LISTOBJ::setCache(Node* node, int position) {
  cacheNode_ = node;
  cachePosition_ = node != nullptr ? position : 0;
}

void LISTOBJ::unlink(Node* node) {
  ++revision_;
  (node->prev != nullptr ? node->prev->next : head_) = node->next;
  (node->next != nullptr ? node->next->prev : tail_) = node->prev;
  node->next = nullptr;
  node->prev = nullptr;
}

void LISTOBJ::insertBefore(Node* node, Node* before) {
  ++revision_;
  node->next = before;
  node->prev = before->prev;
  (before->prev != nullptr ? before->prev->next : head_) = node;
  before->prev = node;
}

void LISTOBJ::append(Node* node) {
  ++revision_;
  node->next = nullptr;
  node->prev = tail_;
  (tail_ != nullptr ? tail_->next : head_) = node;
  tail_ = node;
}

// Takes the whole chain off the list and answers its head; the list is left
// empty with no cache and no cursor (the flags are untouched).
LISTOBJ::Node* LISTOBJ::takeChain() {
  ++revision_;
  Node* chain = head_;
  head_ = nullptr;
  tail_ = nullptr;
  count_ = 0;
  setCache(nullptr, 0);
  cursor_ = nullptr;
  return chain;
}

// ---- locating ---------------------------------------------------------------

// Starts from the nearest of head, cache and tail (judged by positions) and
// leaves the cache on the node found.
LISTOBJ::Node* LISTOBJ::locate(int position) {
  if (position < 1 || position > count_) return nullptr;
  const int h = cachePosition_;
  if (position == h) return cacheNode_;
  Node* node = cacheNode_;
  int at = h;
  if (h == 0 || position < h / 2) {
    node = head_;
    at = 1;
  } else if (position >= h && position >= (h + count_) / 2) {
    node = tail_;
    at = count_;
  }
  while (at < position) {
    node = node->next;
    ++at;
  }
  while (at > position) {
    node = node->prev;
    --at;
  }
  setCache(node, at);
  return node;
}

// Keys stand in for positions when choosing the start. A miss walks to the end
// in the chosen direction and leaves the cache on the head.
LISTOBJ::Node* LISTOBJ::locateKey(int key) {
  if (count_ == 0) return nullptr;
  if (cachePosition_ != 0 && cacheNode_->element->key() == key) return cacheNode_;
  // Wide arithmetic: the halfway points of extreme keys must not overflow.
  const long long k = key;
  const long long h = cachePosition_ != 0 ? cacheNode_->element->key() : 0;
  Node* node = cacheNode_;
  int at = cachePosition_;
  bool forward = true;
  if (!keySorted_ || cachePosition_ == 0 || k < h / 2) {
    node = head_;
    at = 1;
  } else if (k < h) {
    forward = false;
  } else if (k >= (h + tail_->element->key()) / 2) {
    node = tail_;
    at = count_;
    forward = false;
  }
  while (node != nullptr) {
    if (node->element->key() == key) {
      setCache(node, at);
      return node;
    }
    node = forward ? node->next : node->prev;
    at += forward ? 1 : -1;
  }
  setCache(head_, 1);
  return nullptr;
}

OBJECT* LISTOBJ::getSlow(int position) {
  Node* node = locate(position);
  return node != nullptr ? node->element.get() : nullptr;
}

OBJECT* LISTOBJ::find(int key) {
  Node* node = locateKey(key);
  return node != nullptr ? node->element.get() : nullptr;
}

int LISTOBJ::seek(int key) { return locateKey(key) != nullptr ? 1 : 0; }

int LISTOBJ::positionOf(int key) { return locateKey(key) != nullptr ? cachePosition_ : 0; }

// ---- insertion ----------------------------------------------------------------

// Places a node after every element with a key not above its own, except that a
// key equal to the head's (and below the tail's) goes before the head.
void LISTOBJ::insertByKey(Node* node) {
  const int key = node->element->key();
  ++count_;
  cursor_ = nullptr;
  if (head_ == nullptr) {
    append(node);
    setCache(node, 1);
  } else if (key >= tail_->element->key()) {
    append(node);
    setCache(node, count_);
  } else if (key <= head_->element->key()) {
    insertBefore(node, head_);
    setCache(node, 1);
  } else {
    if (cachePosition_ == 0 || key < cacheNode_->element->key()) setCache(head_, 1);
    // Stops at the tail at the latest, whose key is above `key`.
    while (key >= cacheNode_->element->key()) {
      cacheNode_ = cacheNode_->next;
      ++cachePosition_;
    }
    insertBefore(node, cacheNode_);
    cacheNode_ = node;
  }
}

int LISTOBJ::add(std::unique_ptr<OBJECT>&& element) {
  if (!element) return 0;
  if (!keySorted_) sortByKey();
  Node* node = allocNode();
  if (node == nullptr) return 0;
  node->element = std::move(element);
  insertByKey(node);
  return 1;
}

void LISTOBJ::pushFront(Node* node) {
  if (head_ == nullptr) {
    keySorted_ = 1;
    compareSorted_ = 1;
    append(node);
  } else {
    keySorted_ = 0;
    compareSorted_ = 0;
    insertBefore(node, head_);
  }
  ++count_;
  setCache(node, 1);
  cursor_ = nullptr;
}

int LISTOBJ::addFront(std::unique_ptr<OBJECT>&& element) {
  if (!element) return 0;
  Node* node = allocNode();
  if (node == nullptr) return 0;
  node->element = std::move(element);
  pushFront(node);
  return 1;
}

// Before the first element that the new one does not order after.
void LISTOBJ::insertByCompare(Node* node) {
  Node* at = head_;
  while (at != nullptr && isGreater(*node->element, *at->element)) at = at->next;
  if (at != nullptr) {
    insertBefore(node, at);
  } else {
    append(node);
  }
  ++count_;
  setCache(nullptr, 0);
}

int LISTOBJ::addByCompare(std::unique_ptr<OBJECT>&& element) {
  if (!element) return 0;
  if (!compareSorted_) sortByCompare();
  Node* node = allocNode();
  if (node == nullptr) return 0;
  node->element = std::move(element);
  insertByCompare(node);
  return 1;
}

OBJECT* LISTOBJ::addNew(int key) {
  auto element = std::make_unique<OBJECT>();
  element->setKey(key);
  OBJECT* raw = element.get();
  return add(std::move(element)) ? raw : nullptr;
}

// ---- removal --------------------------------------------------------------------

// Unlinks the node at `position` (its element already gone or taken). The
// cursor moves on to the following node; the cache goes to the node that now
// holds `position`, else to the new tail, else to none.
void LISTOBJ::detach(Node* node, int position) {
  assert(position >= 1 && position <= count_);
  if (cursor_ == node) cursor_ = node->next;
  Node* next = node->next;
  Node* prev = node->prev;
  unlink(node);
  --count_;
  if (next != nullptr) {
    setCache(next, position);
  } else {
    setCache(prev, position - 1);
  }
}

void LISTOBJ::destroyAt(Node* node, int position) {
  node->element.reset();
  detach(node, position);
  freeNode(node);
}

int LISTOBJ::remove(int position) {
  Node* node = locate(position);
  if (node == nullptr) return 0;
  destroyAt(node, position);
  return 1;
}

int LISTOBJ::removeKey(int key) {
  Node* node = locateKey(key);
  if (node == nullptr) return 0;
  destroyAt(node, cachePosition_);
  return 1;
}

// The elements go head first, in one walk over the chain taken off the list.
int LISTOBJ::clear() {
  for (Node* node = takeChain(); node != nullptr;) {
    Node* following = node->next;
    node->element.reset();
    freeNode(node);
    node = following;
  }
  keySorted_ = 1;
  compareSorted_ = 1;
  cursor_ = nullptr;
  return 1;
}

// ---- ordering -------------------------------------------------------------------

// Re-inserts the old chain in its order, reusing its nodes: the result is what
// successive `add` calls would give.
int LISTOBJ::sortByKey() {
  if (count_ == 0 || keySorted_) return 1;
  Node* chain = takeChain();
  keySorted_ = 1;
  compareSorted_ = 0;
  while (chain != nullptr) {
    Node* node = chain;
    chain = chain->next;
    node->next = nullptr;
    node->prev = nullptr;
    insertByKey(node);
  }
  return 1;
}

// Re-inserts the old chain from its tail: each element goes before those that
// compare equal to it, so equal elements keep their relative order.
int LISTOBJ::sortByCompare() {
  if (count_ == 0 || compareSorted_) return 1;
  Node* node = tail_;
  takeChain();
  keySorted_ = 0;
  compareSorted_ = 1;
  while (node != nullptr) {
    Node* before = node->prev;
    node->next = nullptr;
    node->prev = nullptr;
    insertByCompare(node);
    node = before;
  }
  setCache(nullptr, 0);
  cursor_ = nullptr;
  return 1;
}

int LISTOBJ::renumber(int firstKey, int direction) {
  long long key = firstKey;
  if (direction == 1) {
    for (Node* node = head_; node != nullptr; node = node->next)
      node->element->setKey(static_cast<int>(key++));
  } else {
    for (Node* node = tail_; node != nullptr; node = node->prev)
      node->element->setKey(static_cast<int>(key++));
  }
  keySorted_ = direction == 1 ? 1 : 0;
  compareSorted_ = 0;
  return static_cast<int>(key);
}

void LISTOBJ::markUnsorted() {
  keySorted_ = 0;
  compareSorted_ = 0;
}

// ---- iteration ------------------------------------------------------------------

int LISTOBJ::first() {
  cursor_ = head_;
  return cursor_ != nullptr ? 1 : 0;
}

int LISTOBJ::last() {
  cursor_ = tail_;
  return cursor_ != nullptr ? 1 : 0;
}

int LISTOBJ::atEnd() const { return count_ == 0 || cursor_ == nullptr ? 1 : 0; }

int LISTOBJ::next() {
  if (atEnd()) return 0;
  cursor_ = cursor_->next;
  return 1;
}

int LISTOBJ::prev() {
  if (atEnd()) return 0;
  cursor_ = cursor_->prev;
  return 1;
}

OBJECT* LISTOBJ::current() { return atEnd() ? nullptr : cursor_->element.get(); }

}  // namespace vyr
