// vyrmail's settings from its command line and, with --config FILE, from a
// configuration file of the same settings, one a line:
//
//   config := (setting | "#" comment | blank)*
//   setting := NAME WS* "=" WS* VALUE      (NAME is the option without "--")
//
// Options on the command line win over the file's, whatever their order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "vyrmail/handler.h"

namespace vyr {

// Answers 1, or 0 with the fault in `fault`.
int parseVyrmailOptions(const std::vector<std::string_view>& arguments, SETTINGS& settings, std::string& fault);

// Reads settings from a configuration file's text; `file` names it in faults.
int parseVyrmailConfig(std::string_view text, const std::string& file, SETTINGS& settings, std::string& fault);

std::string vyrmailUsage();

}  // namespace vyr
