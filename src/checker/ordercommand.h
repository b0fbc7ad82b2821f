// The command of an order line. A lone '@' in field 1 marks the order and
// shifts the command to field 2 (and every parameter one field on); an '@'
// glued to the command is dropped. The checker, the suggester and the
// front-ends' completion all read the command this way.
#pragma once

#include <string_view>

#include "text/fieldparser.h"

namespace vyr {

struct ORDERCOMMAND {
  std::string_view text;  // the command as it is looked up; "" when the line has none
  int field = 1;          // the field that holds it
  int shift = 0;          // 1 after a lone '@': parameters start one field later
};

// The command of the line the parser holds (a parser with the checker's
// settings: blank-separated, '"'-quoted, runs collapsed). The text points into
// the parser.
inline ORDERCOMMAND orderCommand(const FIELDPARSER& parser) {
  ORDERCOMMAND command;
  const std::string_view first = parser.field(1);
  if (first == "@") {
    command.text = parser.field(2);
    command.field = 2;
    command.shift = 1;
  } else {
    command.text = first.starts_with('@') ? first.substr(1) : first;
  }
  return command;
}

}  // namespace vyr
