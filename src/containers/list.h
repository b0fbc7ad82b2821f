// The list container: every collection of the program is a LISTOBJ, a doubly
// linked list that owns its elements and reaches them by 1-based position or by
// the integer key each element carries.
//
// Positions are 1-based; position 0 and key 0 mean "none". Results follow one
// rule: 1 for success, 0 for failure or absence, a null element for "not found".
//
// Three pieces of navigation state live side by side:
//  - the position cache (a node and its position) from which `get` and the key
//    searches start, so that ascending walks cost one step per call;
//  - the iteration cursor (`first`, `next`, `current`, ...) that callers walk with;
//  - the key-sorted and compare-sorted flags, which let ordered insertion sort
//    lazily.
// Invariant: when the cached position is not 0, the cached node is the node at
// that position. Removals keep the cache rather than dropping it: it moves to the
// node that took the removed node's position (to the new tail when the tail went,
// to none when the list became empty). Every answer by position is therefore the
// same as with a dropped cache, and a forward walk that deletes as it goes costs
// one step per element.
//
// Nodes come from the process-wide block store (containers/blockpool.h), so that
// a node given back by one list serves the next list that grows.
#pragma once

#include <memory>

namespace vyr {

// Root of every list element: one signed 32-bit key.
class OBJECT {
 public:
  explicit OBJECT(int key = 0) : key_(key) {}
  virtual ~OBJECT() = default;
  OBJECT(const OBJECT&) = delete;
  OBJECT& operator=(const OBJECT&) = delete;

  // Answers 1 when the element is valid; `removeInvalid` drops the others.
  [[nodiscard]] virtual int isValid() const { return 1; }

  [[nodiscard]] int key() const { return key_; }
  int setKey(int key) {
    key_ = key;
    return 1;
  }

 private:
  int key_;
};

// The untyped list. Owns its elements; an element handed to `add`, `addFront`
// or `addByCompare` belongs to the list once the call answers 1 (the pointer is
// moved from); on 0 it stays with the caller.
class LISTOBJ {
 public:
  LISTOBJ();
  virtual ~LISTOBJ();
  LISTOBJ(const LISTOBJ&) = delete;
  LISTOBJ& operator=(const LISTOBJ&) = delete;

  // Answers 1 when element a orders after element b (by key here).
  [[nodiscard]] virtual int isGreater(const OBJECT& a, const OBJECT& b) const;
  // Per-element hook of `forEach`; answers the element's key here.
  virtual int visit(OBJECT& element);

  [[nodiscard]] int count() const { return count_; }
  // Grows with every change of the chain (an element linked, unlinked or moved),
  // so that a holder of an index over the elements can tell it went stale even
  // when the count is unchanged. Keys set on the elements do not count.
  [[nodiscard]] unsigned long long revision() const { return revision_; }
  // The cached position (0 when none): where the next search starts.
  [[nodiscard]] int cachedPosition() const { return cachePosition_; }
  [[nodiscard]] int isEmpty() const { return count_ == 0 ? 1 : 0; }

  // The cached position and the one after it, the steps of an ascending walk,
  // are answered inline; `locate` does the rest.
  OBJECT* get(int position) {
    if (cachePosition_ != 0 &&
        (position == cachePosition_ || (position == cachePosition_ + 1 && position <= count_))) {
      return stepTo(position);
    }
    return getSlow(position);
  }
  OBJECT* find(int key);
  int seek(int key);
  int positionOf(int key);

  int add(std::unique_ptr<OBJECT>&& element);
  int addFront(std::unique_ptr<OBJECT>&& element);
  int addByCompare(std::unique_ptr<OBJECT>&& element);
  OBJECT* addNew(int key);  // a plain OBJECT with that key, in key order

  int remove(int position);
  int removeKey(int key);
  int clear();

  int sortByKey();
  int sortByCompare();
  int renumber(int firstKey, int direction);
  void markUnsorted();
  [[nodiscard]] int isKeySorted() const { return keySorted_; }
  [[nodiscard]] int isCompareSorted() const { return compareSorted_; }

  int first();
  int last();
  [[nodiscard]] int atEnd() const;
  int next();
  int prev();
  OBJECT* current();

  int forEach();
  int removeDuplicateKeys();
  int removeInvalid();
  int removeKeysIn(LISTOBJ& other);
  int moveToFront(int key);
  int transferTo(LISTOBJ& other, int position);
  int transferKeyTo(LISTOBJ& other, int key);
  int shuffle();

 private:
  struct Node;
  OBJECT* stepTo(int position);
  OBJECT* getSlow(int position);
  Node* locate(int position);
  Node* locateKey(int key);
  void unlink(Node* node);
  void insertBefore(Node* node, Node* before);
  Node* takeChain();
  Node* allocNode();
  void freeNode(Node* node);
  void setCache(Node* node, int position);
  void append(Node* node);
  void pushFront(Node* node);
  void insertByKey(Node* node);
  void insertByCompare(Node* node);
  void detach(Node* node, int position);
  void destroyAt(Node* node, int position);
  int transferNode(Node* node, int position, LISTOBJ& other);

  Node* head_ = nullptr;
  Node* tail_ = nullptr;
  int count_ = 0;
  Node* cacheNode_ = nullptr;
  int cachePosition_ = 0;
  int keySorted_ = 1;
  int compareSorted_ = 1;
  Node* cursor_ = nullptr;
  unsigned long long revision_ = 0;
};

// The node of a list: one per element, created, recycled and freed by the list
// alone.
struct LISTOBJ::Node {
  std::unique_ptr<OBJECT> element;  // never null while the node is linked
  Node* next = nullptr;
  Node* prev = nullptr;
};

inline OBJECT* LISTOBJ::stepTo(int position) {
  if (position != cachePosition_) {
    cacheNode_ = cacheNode_->next;
    cachePosition_ = position;
  }
  return cacheNode_->element.get();
}

// The typed face of LISTOBJ for one element class T derived from OBJECT.
// T must be constructible with no arguments (key 0, other values empty).
template <class T>
class LIST : public LISTOBJ {
 public:
  T* get(int position) { return static_cast<T*>(LISTOBJ::get(position)); }
  T* find(int key) { return static_cast<T*>(LISTOBJ::find(key)); }
  T* current() { return static_cast<T*>(LISTOBJ::current()); }

  int add(std::unique_ptr<T>&& element) { return moveIn(element, &LISTOBJ::add); }
  int addFront(std::unique_ptr<T>&& element) { return moveIn(element, &LISTOBJ::addFront); }
  int addByCompare(std::unique_ptr<T>&& element) { return moveIn(element, &LISTOBJ::addByCompare); }

  // Constructs a T with key 0, gives it the key and inserts it in key order.
  T* addNew(int key) {
    auto element = std::make_unique<T>();
    element->setKey(key);
    T* raw = element.get();
    return add(std::move(element)) ? raw : nullptr;
  }

 private:
  int moveIn(std::unique_ptr<T>& element, int (LISTOBJ::*insert)(std::unique_ptr<OBJECT>&&)) {
    std::unique_ptr<OBJECT> base(element.release());
    const int ok = (this->*insert)(std::move(base));
    if (!ok) element.reset(static_cast<T*>(base.release()));
    return ok;
  }
};

// A list of bare keys.
class OBJECTLIST : public LIST<OBJECT> {};

}  // namespace vyr
