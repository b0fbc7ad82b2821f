// The command table "vyrsyn.dat": after two header lines, one line per variant
// of an order, scope, command and parameter slots (the format is in
// doc/orders.md).
//
// COMMANDTABLE owns the table's lines and an index from command name to its
// variants in table order. The index answers exactly what a scan of the table
// would: the lines whose second word equals the upper-cased command exactly.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "text/buffer.h"

namespace vyr {

// What a word of a variant asks of an order, found once when the table is
// loaded so that checking an order never looks at the word's text: the index
// of its parameter kind in parameterKinds() (0 and up), or one of these.
namespace slotcode {
inline constexpr signed char kKeyword = -1;   // upper-case letters only: the order repeats the word
inline constexpr signed char kRepeat = -2;    // ".": the slot before it, once more per field
inline constexpr signed char kOptional = -3;  // "*": the slot after it may be left out
inline constexpr signed char kFreeText = -4;  // "#": any fields follow
inline constexpr signed char kNoKind = -5;    // any other word (a fault of the table), or no word
}  // namespace slotcode

// The code of one word of a variant.
[[nodiscard]] signed char slotCode(std::string_view word);

// The scope rule: the first word of a variant says where its order may stand
// ('S', 'G' or 'C', either case); any other word makes no rule.
enum class SCOPEFAULT {
  kNone,
  kOutsideShire,      // a shire order (S) that stands under no SHIRE order: an error
  kGlobalUnderShire,  // a global order (G) under a SHIRE order: a warning
  kCityUnderShire,    // a city order (C) under a SHIRE order: a warning
};
// The scope code of the word in upper case, or 0 when it is none.
[[nodiscard]] char scopeCode(std::string_view scopeWord);
[[nodiscard]] SCOPEFAULT scopeFault(std::string_view scopeWord, int underShire);

class COMMANDTABLE {
 public:
  // Takes the loaded table; its two header lines must already be gone.
  explicit COMMANDTABLE(std::unique_ptr<BUFFER> lines);
  COMMANDTABLE(const COMMANDTABLE&) = delete;
  COMMANDTABLE& operator=(const COMMANDTABLE&) = delete;

  // The words of every variant of the command, in table order; empty when the
  // command is not in the table. The command is upper-cased for the look-up,
  // as an order's command is (without making the upper-case copy).
  using Words = std::vector<std::string_view>;
  [[nodiscard]] const std::vector<const Words*>& variants(std::string_view command) const;
  [[nodiscard]] const BUFFER& lines() const { return *lines_; }
  // The words of every line's variant, in table order.
  [[nodiscard]] const std::vector<Words>& allVariants() const { return words_; }
  // The 1-based numbers, in order, of the variant's keywords from word 3 on:
  // the words of upper-case letters only, which an order must repeat. The
  // variant is one that `variants` answered.
  [[nodiscard]] std::span<const int> keywords(const Words* variant) const {
    const KeywordRun& run = keywordRuns_[static_cast<std::size_t>(variant - words_.data())];
    return {keywordAt_.data() + run.begin, run.size};
  }
  // The slot code of each word of the variant, word k's at k - 1.
  [[nodiscard]] std::span<const signed char> slotCodes(const Words* variant) const {
    return slotCodes_[static_cast<std::size_t>(variant - words_.data())];
  }

 private:
  std::unique_ptr<BUFFER> lines_;
  std::vector<Words> words_;  // views into the lines' texts, which never change
  // The index: the commands by their first eight bytes, each with its
  // variants in table order. A look-up upper-cases those bytes at once and
  // compares them as one word.
  struct Command {
    std::string_view name;
    std::uint64_t head = 0;  // the name's first eight bytes as a word (upperkey_detail::wordOf)
    std::vector<const Words*> variants;
  };
  static constexpr std::size_t kBuckets = 64;
  static std::size_t bucketOf(std::uint64_t head, std::size_t length) {
    return static_cast<std::size_t>(((head ^ length) * 0x9E3779B97F4A7C15ULL) >> 58);
  }
  std::vector<Command> buckets_[kBuckets];
  // The keyword numbers of line n's variant are keywordAt_'s run keywordRuns_[n - 1].
  struct KeywordRun {
    std::size_t begin = 0;
    std::size_t size = 0;
  };
  std::vector<KeywordRun> keywordRuns_;
  std::vector<int> keywordAt_;
  std::vector<std::vector<signed char>> slotCodes_;  // line n's variant at n - 1
};

// Splits a text into its white-space separated words.
void splitWords(std::string_view text, std::vector<std::string_view>& words);

}  // namespace vyr
