#include "checker/ordercommand.h"

namespace vyr {

ORDERCOMMAND orderCommand(const FIELDPARSER& parser) {
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
