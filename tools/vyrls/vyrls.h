// vyrls, the language server of Vyr orders: the command line and the loop
// that feeds the server. A reader thread takes the messages off standard
// input as they come; the main thread handles every message that waits
// before it starts a check, so a burst of changes is one check, and it
// handles the messages that came during a check before publishing its
// diagnostics (the check of a document changed meanwhile is dropped).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "vyrls/server.h"

namespace vyr {

struct VYRLSOPTIONS {
  SERVEROPTIONS server;
  std::string setupFault;  // given to the server, which then checks nothing
  int help = 0;
  int version = 0;
};

// The default address of the codes document: the installed copy.
std::string defaultCodesUrl();

// Reads the arguments after the program name. Answers 1, or 0 with the fault
// in `fault`.
int parseVyrlsOptions(const std::vector<std::string_view>& arguments, VYRLSOPTIONS& options,
                      std::string& fault);
std::string vyrlsUsage();

// The whole program on standard input and output; answers the exit status.
int runVyrls(int argc, char** argv);

}  // namespace vyr
