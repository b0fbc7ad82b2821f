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
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>


namespace vyr {

struct UPPERKEY {
  std::string_view text;  // looked up as its upper-case copy
};

// Texts are read eight bytes at a time as little-endian words, the bytes past
// a text's end zero; a word's ASCII letters are upper-cased all at once.
namespace upperkey_detail {

inline constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
inline constexpr std::uint64_t kHighs = 0x8080808080808080ULL;

// The n bytes (1 to 8) at p as the low bytes of a word. Shorter texts are read
// with two overlapping loads, whose common bytes are the same and so OR well.
inline std::uint64_t loadWord(const char* p, std::size_t n) {
  const auto byte = [p](std::size_t i) { return static_cast<std::uint64_t>(static_cast<unsigned char>(p[i])); };
  if (n >= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    return word;
  }
  if (n >= 4) {
    std::uint32_t low;
    std::uint32_t high;
    std::memcpy(&low, p, 4);
    std::memcpy(&high, p + n - 4, 4);
    return static_cast<std::uint64_t>(low) | (static_cast<std::uint64_t>(high) << ((n - 4) * 8));
  }
  if (n == 0) return 0;
  return byte(0) | (byte(n / 2) << (n / 2 * 8)) | (byte(n - 1) << ((n - 1) * 8));
}

// Word i (0-based) of the text: its bytes 8i to 8i+7.
inline std::uint64_t wordOf(std::string_view text, std::size_t i) {
  const std::size_t at = 8 * i;
  const std::size_t left = text.size() - at;
  return loadWord(text.data() + at, left < 8 ? left : 8);
}

// The word with its bytes 'a' to 'z' made 'A' to 'Z', as upperChar does; the
// sums stay within each byte because the high bits are cleared first.
inline std::uint64_t upperWord(std::uint64_t word) {
  const std::uint64_t low7 = word & ~kHighs;
  const std::uint64_t fromA = low7 + kOnes * (0x80 - 'a');      // high bit: at least 'a'
  const std::uint64_t pastZ = low7 + kOnes * (0x80 - 'z' - 1);  // high bit: past 'z'
  const std::uint64_t lower = fromA & ~pastZ & ~word & kHighs;
  return word ^ (lower >> 2);  // 0x80 >> 2 is the case bit 0x20
}

inline std::size_t wordCount(std::size_t size) { return (size + 7) / 8; }

// Mixes the words of a text (upper-cased with `upper`) into a hash whose low
// bits, which pick the slot, depend on every byte.
inline std::uint64_t mixWord(std::uint64_t hash, std::uint64_t word) {
  hash = (hash ^ word) * 0xFF51AFD7ED558CCDULL;
  return hash ^ (hash >> 32);
}
inline std::uint64_t hashStart(std::size_t size) { return 0x9E3779B97F4A7C15ULL * (size + 1); }

template <bool upper>
std::size_t hashText(std::string_view text) {
  std::uint64_t hash = hashStart(text.size());
  for (std::size_t i = 0; i < wordCount(text.size()); ++i) {
    hash = mixWord(hash, upper ? upperWord(wordOf(text, i)) : wordOf(text, i));
  }
  return static_cast<std::size_t>(hash);
}

// The same hash of a text of `size` bytes whose words are already at hand.
inline std::size_t hashWords(std::size_t size, const std::uint64_t* words, std::size_t count) {
  std::uint64_t hash = hashStart(size);
  for (std::size_t i = 0; i < count; ++i) hash = mixWord(hash, words[i]);
  return static_cast<std::size_t>(hash);
}

// Texts up to this many words are upper-cased once per look-up.
inline constexpr std::size_t kShortWords = 4;

}  // namespace upperkey_detail

struct UPPERHASH {
  using is_transparent = void;

  std::size_t operator()(std::string_view key) const { return upperkey_detail::hashText<false>(key); }
  std::size_t operator()(UPPERKEY key) const { return upperkey_detail::hashText<true>(key.text); }
};

struct UPPEREQUAL {
  using is_transparent = void;

  bool operator()(std::string_view a, std::string_view b) const { return a == b; }
  bool operator()(UPPERKEY a, std::string_view key) const {
    using namespace upperkey_detail;
    if (a.text.size() != key.size()) return false;
    for (std::size_t i = 0; i < wordCount(key.size()); ++i) {
      if (upperWord(wordOf(a.text, i)) != wordOf(key, i)) return false;
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
    using namespace upperkey_detail;
    if (slots_.empty()) return nullptr;
    const std::size_t size = key.text.size();
    if (size <= 8 * kShortWords) {
      // A short text is upper-cased once, for the hash and every comparison.
      std::uint64_t words[kShortWords];
      const std::size_t count = wordCount(size);
      for (std::size_t i = 0; i < count; ++i) words[i] = upperWord(wordOf(key.text, i));
      const std::size_t hash = hashWords(size, words, count);
      const Slot& slot = slots_[probe(hash, [&](const Slot& s) {
        if (s.hash != hash || s.key.size() != size) return false;
        for (std::size_t i = 0; i < count; ++i) {
          if (wordOf(s.key, i) != words[i]) return false;
        }
        return true;
      })];
      return slot.used ? &slot.value : nullptr;
    }
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
