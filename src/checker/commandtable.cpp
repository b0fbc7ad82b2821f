#include "checker/commandtable.h"

#include "text/utils.h"

namespace vyr {

namespace {
bool isWhite(char c) { return isSpaceChar(c); }

bool isUpperWord(std::string_view word) {
  if (word.empty()) return false;
  for (const char c : word) {
    if (!isUpperChar(c)) return false;
  }
  return true;
}
}  // namespace

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
  for (int n = 1; n <= lines_->lineCount(); ++n) {
    Words& words = words_[n - 1];
    splitWords(lines_->lineString(n)->view(), words);
    if (words.size() >= 2) index_[std::string(words[1])].push_back(&words);
    KeywordRun& run = keywordRuns_[n - 1];
    run.begin = keywordAt_.size();
    for (std::size_t k = 3; k <= words.size(); ++k) {
      if (isUpperWord(words[k - 1])) keywordAt_.push_back(static_cast<int>(k));
    }
    run.size = keywordAt_.size() - run.begin;
  }
}

const std::vector<const COMMANDTABLE::Words*>& COMMANDTABLE::variants(std::string_view command) const {
  static const std::vector<const Words*> kNone;
  const auto* found = index_.find(UPPERKEY{command});
  return found == nullptr ? kNone : *found;
}

}  // namespace vyr
