// Finding bytes in short texts eight at a time, where a library call per
// search costs more than the search (lines are a few dozen bytes).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace vyr {

namespace bytescan {

inline constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
inline constexpr std::uint64_t kHighs = 0x8080808080808080ULL;

// The high bit of each byte of the word that is zero: the first mark is
// exact, a mark above it may be false (a borrow from the byte below).
inline std::uint64_t zeroMarks(std::uint64_t x) { return (x - kOnes) & ~x & kHighs; }

}  // namespace bytescan

// The index of the first `a` or `b` in the text from `from` on, or its size.
// Eight bytes are tested at a time: a byte equal to `a` becomes zero in
// word ^ a-pattern, and (x - 0x01..) & ~x & 0x80.. marks the first zero byte
// of x correctly (marks above it may be false, and are not looked at).
inline std::size_t findEither(std::string_view text, std::size_t from, char a, char b) {
  using bytescan::kOnes;
  std::size_t i = from;
  if constexpr (std::endian::native == std::endian::little) {
    const std::uint64_t patternA = kOnes * static_cast<unsigned char>(a);
    const std::uint64_t patternB = kOnes * static_cast<unsigned char>(b);
    for (; i + 8 <= text.size(); i += 8) {
      std::uint64_t word;
      std::memcpy(&word, text.data() + i, 8);
      const std::uint64_t marks = bytescan::zeroMarks(word ^ patternA) | bytescan::zeroMarks(word ^ patternB);
      if (marks != 0) return i + static_cast<std::size_t>(std::countr_zero(marks)) / 8;
    }
  }
  while (i < text.size() && text[i] != a && text[i] != b) ++i;
  return i;
}

// For texts followed by at least eight readable bytes (whatever they hold):
// every byte is tested in words, the last word reaching past the end.
namespace padded {

// The high bit of each byte of the word at `at` that equals the pattern's byte, the first one exact.
inline std::uint64_t marks(const char* at, std::uint64_t pattern) {
  std::uint64_t word;
  std::memcpy(&word, at, 8);
  return bytescan::zeroMarks(word ^ pattern);
}

// The index of the first `c` in the text from `from` on, or its size.
inline std::size_t find(std::string_view text, std::size_t from, char c) {
  if constexpr (std::endian::native == std::endian::little) {
    const std::uint64_t pattern = bytescan::kOnes * static_cast<unsigned char>(c);
    for (std::size_t i = from; i < text.size(); i += 8) {
      if (const std::uint64_t found = marks(text.data() + i, pattern)) {
        const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(found)) / 8;
        return at < text.size() ? at : text.size();
      }
    }
    return text.size();
  }
  const std::size_t at = text.find(c, from);
  return at == std::string_view::npos ? text.size() : at;
}

// Whether the text holds `c`.
inline bool holds(std::string_view text, char c) { return find(text, 0, c) < text.size(); }

}  // namespace padded

}  // namespace vyr
