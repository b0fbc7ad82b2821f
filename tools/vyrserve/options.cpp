#include "vyrserve/options.h"

#include <charconv>

#include "text/optionvalue.h"

namespace vyr {

namespace {

// Digits only, within [low, high].
template <typename NUMBER>
bool readNumber(std::string_view text, NUMBER low, NUMBER high, NUMBER& value) {
  NUMBER read{};
  if (text.empty() || text.front() == '+' || text.front() == '-') return false;
  const auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), read);
  if (fault != std::errc() || end != text.data() + text.size() || read < low || read > high) return false;
  value = read;
  return true;
}

}  // namespace

int parseListenAddress(std::string_view text, std::string& host, int& port) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) return 0;
  std::string_view address = text.substr(0, colon);
  if (address.starts_with('[')) {
    if (!address.ends_with(']') || address.size() < 3) return 0;
    address = address.substr(1, address.size() - 2);
  } else if (address.find(':') != std::string_view::npos) {
    return 0;  // an IPv6 address needs its brackets
  }
  int number = 0;
  if (!readNumber(text.substr(colon + 1), 0, 65535, number)) return 0;
  host = address.empty() ? "0.0.0.0" : std::string(address);
  port = number;
  return 1;
}

int parseServeOptions(const std::vector<std::string_view>& arguments, SERVEOPTIONS& options,
                      std::string& fault) {
  // Each option with a value: how to read it into the options.
  struct VALUED {
    std::string_view name;
    bool (*read)(std::string_view value, SERVEOPTIONS& options);
  };
  static constexpr VALUED kValued[] = {
      {"--listen",
       [](std::string_view v, SERVEOPTIONS& o) { return parseListenAddress(v, o.host, o.port) == 1; }},
      {"--data", [](std::string_view v, SERVEOPTIONS& o) { return o.data = v, !v.empty(); }},
      {"--game", [](std::string_view v, SERVEOPTIONS& o) { return readNumber(v, 1, 2147483647, o.gameNo); }},
      {"--max-bytes",
       [](std::string_view v, SERVEOPTIONS& o) {
         return readNumber<std::size_t>(v, 1, std::size_t{1} << 30, o.maxBytes);
       }},
      {"--workers", [](std::string_view v, SERVEOPTIONS& o) { return readNumber(v, 1, 1024, o.workers); }},
      {"--timeout",
       [](std::string_view v, SERVEOPTIONS& o) { return readNumber(v, 1, 3600, o.timeoutSeconds); }},
      {"--max-connections",
       [](std::string_view v, SERVEOPTIONS& o) { return readNumber(v, 1, 1 << 20, o.maxConnections); }},
      {"--per-client",
       [](std::string_view v, SERVEOPTIONS& o) { return readNumber(v, 1, 1 << 20, o.perClient); }},
      {"--access-log", [](std::string_view v, SERVEOPTIONS& o) { return o.accessLog = v, !v.empty(); }},
      {"--trusted-proxy", [](std::string_view v, SERVEOPTIONS& o) { return o.trustedProxy = v, !v.empty(); }},
      {"--metrics-from", [](std::string_view v, SERVEOPTIONS& o) { return o.metricsFrom = v, !v.empty(); }},
  };
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      options.help = 1;
      continue;
    }
    if (argument == "--version") {
      options.version = 1;
      continue;
    }
    if (argument == "--quiet" || argument == "-q") {
      options.quiet = 1;
      continue;
    }
    const VALUED* option = nullptr;
    std::string_view value;
    for (const VALUED& valued : kValued) {
      if (optionValue(arguments, i, valued.name, value, fault)) {
        option = &valued;
        break;
      }
    }
    if (!fault.empty()) return 0;
    if (option == nullptr) {
      fault = "unknown option '" + std::string(argument) + "'";
      return 0;
    }
    if (!option->read(value, options)) {
      fault = "invalid value '" + std::string(value) + "' for " + std::string(option->name);
      return 0;
    }
  }
  return 1;
}

std::string serveUsage() {
  return "usage: vyrserve [options]\n"
         "The web checker: a page and a JSON API where players check their orders.\n"
         "  --listen ADDR:PORT   the address to listen on (default 127.0.0.1:8080; [::1]:PORT for IPv6)\n"
         "  --data ARCHIVE|DIR   the game data (default syntax.dat beside the program)\n"
         "  --game N             the game the page preselects (default 1)\n"
         "  --max-bytes N        the largest request body in bytes (default 1048576)\n"
         "  --workers N          checks run at once (default: one per processor)\n"
         "  --timeout SECONDS    for a whole request to arrive, and for its answer (default 10)\n"
         "  --max-connections N  connections open at once (default 4096)\n"
         "  --per-client N       connections open at once from one address (default 64)\n"
         "  --trusted-proxy ADDR the proxy whose X-Forwarded-For names the client\n"
         "  --metrics-from ADDR  an address besides loopback that may read /metrics\n"
         "  --access-log FILE    the line per request into FILE, reopened on SIGHUP\n"
         "  --quiet, -q          no line per request\n"
         "  --help, -h           this text\n"
         "  --version            the version\n";
}

}  // namespace vyr
