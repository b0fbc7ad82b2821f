#include "checker/orderplace.h"

#include <algorithm>
#include <cstdio>

#include "checker/ordersfile.h"
#include "checker/syntax.h"
#include "text/buffer.h"
#include "text/charclass.h"

namespace vyr {

int isKeywordSlot(std::string_view word) {
  if (word.empty()) return 0;
  for (const char c : word) {
    if (!isUpperChar(c)) return 0;
  }
  return 1;
}

int variantFitsBefore(const COMMANDTABLE::Words& words, const FIELDPARSER& parser, int commandField,
                      int field) {
  const int s = commandField - 1;
  for (int k = 3; k <= static_cast<int>(words.size()); ++k) {
    const std::string_view word = words[static_cast<std::size_t>(k - 1)];
    if (k - 1 + s < field && isKeywordSlot(word) && !parser.fieldEquals(k - 1 + s, word, 1)) return 0;
  }
  return 1;
}

const COMMANDTABLE::Words* matchedVariant(const COMMANDTABLE& table, const FIELDPARSER& parser,
                                          int commandField) {
  if (parser.fieldCount() < commandField) return nullptr;
  const int s = commandField - 1;
  std::string_view command = parser.field(commandField);
  if (command.starts_with('@')) command.remove_prefix(1);  // a marker glued to the command
  for (const auto* variant : table.variants(command)) {
    bool matches = true;
    for (const int k : table.keywords(variant)) {
      if (!parser.fieldEquals(k - 1 + s, (*variant)[static_cast<std::size_t>(k - 1)], 1)) {
        matches = false;
        break;
      }
    }
    if (matches) return variant;
  }
  return nullptr;
}

std::vector<std::string_view> fieldSlots(const COMMANDTABLE::Words& variant, const FIELDPARSER& parser,
                                         int commandField, int gameNo) {
  class SLOTS : public SYNTAX::SLOTSINK {
   public:
    explicit SLOTS(std::size_t size) : slots(size) {}
    void slot(int field, std::string_view word) override {
      const auto at = static_cast<std::size_t>(field);
      if (at >= slots.size()) return;
      if (word == "#") {
        for (std::size_t n = at; n < slots.size(); ++n) slots[n] = word;
      } else {
        slots[at] = word;
      }
    }
    std::vector<std::string_view> slots;
  };
  SLOTS sink(static_cast<std::size_t>(std::max(parser.fieldCount(), commandField)) + 2);
  SYNTAX walker(1, 1);
  walker.walkVariant(parser, variant, commandField - 1, gameNo, sink);
  return std::move(sink.slots);
}

int underShireAfter(std::string_view orders, int gameNo) {
  SYNTAX checker(1, 1);
  BUFFER input;
  BUFFER output;
  if (!orders.empty()) {
    std::FILE* stream = fmemopen(const_cast<char*>(orders.data()), orders.size(), "r");
    if (stream == nullptr) return 0;
    readOrderLines(stream, input);
    std::fclose(stream);
  }
  dropByteOrderMark(input);
  deleteCheckLines(input);
  int errors = 0;
  int warnings = 0;
  checkAndSummarise(checker, input, output, gameNo, &errors, &warnings);
  return checker.underShire();
}

}  // namespace vyr
