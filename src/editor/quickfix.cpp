#include "editor/quickfix.h"

namespace vyr {

int quickFixFor(std::string_view suggestion, QUICKFIX& fix) {
  if (suggestion.empty()) return 0;
  fix.title = "Replace with '" + std::string(suggestion) + "'";
  fix.newText = suggestion.find(' ') != std::string_view::npos ? "\"" + std::string(suggestion) + "\""
                                                               : std::string(suggestion);
  return 1;
}

}  // namespace vyr
