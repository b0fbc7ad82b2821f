#include "checker/commandtable.h"

#include <algorithm>

#include "checker/orderplace.h"
#include "checker/paramkinds.h"
#include "text/charclass.h"
#include "text/upperkey.h"

namespace vyr {

namespace {
bool isWhite(char c) { return isSpaceChar(c); }

}  // namespace

signed char slotCode(std::string_view word) {
  if (isKeywordSlot(word)) return slotcode::kKeyword;
  if (word == ".") return slotcode::kRepeat;
  if (word == "*") return slotcode::kOptional;
  if (word == "#") return slotcode::kFreeText;
  const PARAMKIND* kind = findParameterKind(word);
  return kind == nullptr ? slotcode::kNoKind : static_cast<signed char>(kind - parameterKinds().data());
}

char scopeCode(std::string_view scopeWord) {
  const char code = scopeWord.size() == 1 ? upperChar(scopeWord.front()) : '\0';
  return code == 'S' || code == 'G' || code == 'C' ? code : '\0';
}

SCOPEFAULT scopeFault(std::string_view scopeWord, int underShire) {
  switch (scopeCode(scopeWord)) {
    case 'S':
      return underShire ? SCOPEFAULT::kNone : SCOPEFAULT::kOutsideShire;
    case 'G':
      return underShire ? SCOPEFAULT::kGlobalUnderShire : SCOPEFAULT::kNone;
    case 'C':
      return underShire ? SCOPEFAULT::kCityUnderShire : SCOPEFAULT::kNone;
    default:
      return SCOPEFAULT::kNone;
  }
}

void splitWords(std::string_view text, std::vector<std::string_view>& words) {
  words.clear();
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && isWhite(text[i])) ++i;
    const std::size_t start = i;
    while (i < text.size() && !isWhite(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
}

COMMANDTABLE::COMMANDTABLE(std::unique_ptr<BUFFER> lines) : lines_(std::move(lines)) {
  words_.resize(lines_->lineCount());
  keywordRuns_.resize(words_.size());
  slotCodes_.resize(words_.size());
  for (int n = 1; n <= lines_->lineCount(); ++n) {
    Words& words = words_[n - 1];
    splitWords(lines_->lineString(n)->view(), words);
    if (words.size() >= 2) {
      const std::string_view name = words[1];
      const std::uint64_t head = upperkey_detail::wordOf(name, 0);
      std::vector<Command>& bucket = buckets_[bucketOf(head, name.size())];
      auto known = std::find_if(bucket.begin(), bucket.end(), [&](const Command& c) { return c.name == name; });
      if (known == bucket.end()) known = bucket.insert(bucket.end(), Command{name, head, {}});
      known->variants.push_back(&words);
    }
    KeywordRun& run = keywordRuns_[n - 1];
    run.begin = keywordAt_.size();
    for (std::size_t k = 3; k <= words.size(); ++k) {
      if (isKeywordSlot(words[k - 1])) keywordAt_.push_back(static_cast<int>(k));
    }
    run.size = keywordAt_.size() - run.begin;
    for (const std::string_view word : words) slotCodes_[n - 1].push_back(slotCode(word));
  }
}

const std::vector<const COMMANDTABLE::Words*>& COMMANDTABLE::variants(std::string_view command) const {
  static const std::vector<const Words*> kNone;
  if (command.empty()) return kNone;
  // A command equals a name when its upper-case copy does, byte for byte.
  const std::uint64_t head = upperkey_detail::upperWord(upperkey_detail::wordOf(command, 0));
  for (const Command& known : buckets_[bucketOf(head, command.size())]) {
    if (known.head != head || known.name.size() != command.size()) continue;
    std::size_t i = 8;
    while (i < command.size() && upperChar(command[i]) == known.name[i]) ++i;
    if (i >= command.size()) return known.variants;
  }
  return kNone;
}

}  // namespace vyr
