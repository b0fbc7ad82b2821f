// The command table "vyrsyn.dat": after two header lines, one line per variant
// of an order, scope, command and parameter slots (the format is in
// doc/orders.md).
//
// COMMANDTABLE owns the table's lines and an index from command name to its
// variants in table order. The index answers exactly what a scan of the table
// would: the lines whose second word equals the upper-cased command exactly.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "text/buffer.h"
#include "text/upperkey.h"

namespace vyr {

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
  // The 1-based numbers, in order, of the variant's keywords from word 3 on:
  // the words of upper-case letters only, which an order must repeat. The
  // variant is one that `variants` answered.
  [[nodiscard]] std::span<const int> keywords(const Words* variant) const {
    const KeywordRun& run = keywordRuns_[static_cast<std::size_t>(variant - words_.data())];
    return {keywordAt_.data() + run.begin, run.size};
  }

 private:
  std::unique_ptr<BUFFER> lines_;
  std::vector<Words> words_;  // views into the lines' texts, which never change
  UPPERINDEX<std::vector<const Words*>> index_;
  // The keyword numbers of line n's variant are keywordAt_'s run keywordRuns_[n - 1].
  struct KeywordRun {
    std::size_t begin = 0;
    std::size_t size = 0;
  };
  std::vector<KeywordRun> keywordRuns_;
  std::vector<int> keywordAt_;
};

// Splits a text into its white-space separated words.
void splitWords(std::string_view text, std::vector<std::string_view>& words);

}  // namespace vyr
