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
  int workers = 0;                 // checks at once; 0: one per processor
  int timeoutSeconds = 10;         // for a whole request, and for its answer
  int maxConnections = 4096;       // connections open at once
  int perClient = 64;              // connections open at once from one address
  std::string accessLog;           // "": the line per request goes to standard error
  std::string trustedProxy;        // the proxy whose X-Forwarded-For names the client
  std::string metricsFrom;         // an address besides loopback that may read /metrics
  int quiet = 0;                   // 1: no line per request
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
