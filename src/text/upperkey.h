// Looking up a text by its upper-case copy without making the copy: the index
// of commands and the name indexes of the data tables.
//
// UPPERINDEX (and any map declared with UPPERHASH and UPPEREQUAL) hashes and
// compares its keys as they are; a look-up of UPPERKEY{text} then finds the key
// equal to toUpperCopy(text) exactly: the look-up text is upper-cased character
// by character as it is hashed and compared, and a key holding lower-case
// letters is never found.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/utils.h"

namespace vyr {

struct UPPERKEY {
  std::string_view text;  // looked up as its upper-case copy
};

// FNV-1a: keys are short, and a simple hash beats a strong one here.
struct UPPERHASH {
  using is_transparent = void;
  static constexpr std::size_t kBasis = 14695981039346656037ULL;
  static constexpr std::size_t kPrime = 1099511628211ULL;

  std::size_t operator()(std::string_view key) const {
    std::size_t hash = kBasis;
    for (const char c : key) hash = (hash ^ static_cast<unsigned char>(c)) * kPrime;
    return hash;
  }
  std::size_t operator()(UPPERKEY key) const {
    std::size_t hash = kBasis;
    for (const char c : key.text) hash = (hash ^ static_cast<unsigned char>(upperChar(c))) * kPrime;
    return hash;
  }
};

struct UPPEREQUAL {
  using is_transparent = void;

  bool operator()(std::string_view a, std::string_view b) const { return a == b; }
  bool operator()(UPPERKEY a, std::string_view key) const {
    if (a.text.size() != key.size()) return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
      if (upperChar(a.text[i]) != key[i]) return false;
    }
    return true;
  }
  bool operator()(std::string_view key, UPPERKEY a) const { return (*this)(a, key); }
};

// A map from texts to values, looked up by UPPERKEY. Open addressing over a
// power-of-two table that is never more than half full: a look-up costs one
// hash, a mask and a comparison or two, and no division. Keys are never
// removed one by one; `clear` empties the map.
template <class V>
class UPPERINDEX {
 public:
  // The value of the key (compared as it is), a new empty value when absent.
  V& operator[](std::string key) {
    if (2 * (used_ + 1) > slots_.size()) grow();
    const std::size_t hash = UPPERHASH{}(key);
    Slot& slot = slots_[probe(hash, [&](const Slot& s) { return s.key == key; })];
    if (!slot.used) {
      slot = Slot{hash, std::move(key), V(), true};
      ++used_;
    }
    return slot.value;
  }

  // The value of the key equal to the look-up text upper-cased; null when none.
  [[nodiscard]] const V* find(UPPERKEY key) const {
    if (slots_.empty()) return nullptr;
    const std::size_t hash = UPPERHASH{}(key);
    const Slot& slot =
        slots_[probe(hash, [&](const Slot& s) { return s.hash == hash && UPPEREQUAL{}(key, s.key); })];
    return slot.used ? &slot.value : nullptr;
  }

  void clear() {
    slots_.clear();
    used_ = 0;
  }
  [[nodiscard]] std::size_t size() const { return used_; }

 private:
  struct Slot {
    std::size_t hash = 0;
    std::string key;
    V value{};
    bool used = false;
  };

  // The slot holding a key that `matches`, or the free slot where it would go.
  template <class Matches>
  [[nodiscard]] std::size_t probe(std::size_t hash, Matches matches) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = hash & mask;
    while (slots_[at].used && !matches(slots_[at])) at = (at + 1) & mask;
    return at;
  }

  void grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 16 : 2 * old.size(), Slot());
    for (Slot& slot : old) {
      if (slot.used) slots_[probe(slot.hash, [](const Slot&) { return false; })] = std::move(slot);
    }
  }

  std::vector<Slot> slots_;  // empty, or a power of two in size
  std::size_t used_ = 0;
};

}  // namespace vyr
