#include "text/optionvalue.h"

namespace vyr {

int optionValue(const std::vector<std::string_view>& arguments, std::size_t& index, std::string_view name,
                std::string_view& value, std::string& fault) {
  const std::string_view argument = arguments[index];
  if (argument.size() > name.size() && argument.starts_with(name) && argument[name.size()] == '=') {
    value = argument.substr(name.size() + 1);
    return 1;
  }
  if (argument != name) return 0;
  if (index + 1 >= arguments.size()) {
    fault = std::string(name) + " needs a value";
    return 1;
  }
  value = arguments[++index];
  return 1;
}

}  // namespace vyr
