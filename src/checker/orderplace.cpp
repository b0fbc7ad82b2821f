#include "checker/orderplace.h"

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

std::string_view slotOfField(const COMMANDTABLE::Words& words, int commandField, int field) {
  const int size = static_cast<int>(words.size());
  int e = commandField + 1;
  for (int p = 3; p <= size; ++p) {
    std::string_view slot = words[static_cast<std::size_t>(p - 1)];
    if (slot == ".") return field >= e ? words[static_cast<std::size_t>(p - 2)] : std::string_view();
    if (slot == "*") {
      if (++p > size) return {};
      slot = words[static_cast<std::size_t>(p - 1)];
    }
    if (slot == "#") return field >= e ? slot : std::string_view();
    if (e == field) return slot;
    ++e;
  }
  return {};
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
