// The value of a program option given as "--name VALUE" or "--name=VALUE", as
// the front-ends read their command lines.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vyr {

// 1 when arguments[index] is the option `name`; then `value` holds its value,
// and `index` has moved past a separate value. A missing value sets `fault`
// ("--name needs a value"). 0 when arguments[index] is another argument.
int optionValue(const std::vector<std::string_view>& arguments, std::size_t& index, std::string_view name,
                std::string_view& value, std::string& fault);

}  // namespace vyr
