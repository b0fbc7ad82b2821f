// The command line of vyrserve, the web checker.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vyr {

struct SERVEOPTIONS {
  std::string host = "127.0.0.1";  // an IPv6 address without its brackets
  int port = 8080;
  std::string data;                // archive or directory; "" for syntax.dat beside the program
  int gameNo = 1;                  // the game the page preselects
  std::size_t maxBytes = 1 << 20;  // the largest request body
  int workers = 64;                // connections served at once
  int timeoutSeconds = 10;         // each read and each write
  int quiet = 0;                   // 1: no line per request on standard error
  int help = 0;
  int version = 0;
};

// Reads the arguments after the program name. Answers 1, or 0 with the fault
// in `fault`.
int parseServeOptions(const std::vector<std::string_view>& arguments, SERVEOPTIONS& options,
                      std::string& fault);

// Splits "ADDR:PORT", "[V6ADDR]:PORT" or ":PORT" (all addresses). Answers 1,
// or 0 when it is none of these or the port is not 0..65535.
int parseListenAddress(std::string_view text, std::string& host, int& port);

// The usage text.
std::string serveUsage();

}  // namespace vyr
