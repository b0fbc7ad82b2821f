#include "vyrserve/options.h"

#include <charconv>

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
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string_view name = arguments[i];
    std::string_view value;
    const std::size_t equals = name.find('=');
    const bool glued = name.starts_with("--") && equals != std::string_view::npos;
    if (glued) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
    }
    if (name == "--help" || name == "-h") {
      options.help = 1;
      continue;
    }
    if (name == "--version") {
      options.version = 1;
      continue;
    }
    if (name == "--quiet" || name == "-q") {
      options.quiet = 1;
      continue;
    }
    const bool known = name == "--listen" || name == "--data" || name == "--game" || name == "--max-bytes" ||
                       name == "--workers" || name == "--timeout";
    if (!known) {
      fault = "unknown option '" + std::string(arguments[i]) + "'";
      return 0;
    }
    if (!glued) {
      if (i + 1 >= arguments.size()) {
        fault = std::string(name) + " needs a value";
        return 0;
      }
      value = arguments[++i];
    }
    bool good = true;
    if (name == "--listen") {
      good = parseListenAddress(value, options.host, options.port) == 1;
    } else if (name == "--data") {
      good = !value.empty();
      options.data = value;
    } else if (name == "--game") {
      good = readNumber(value, 1, 2147483647, options.gameNo);
    } else if (name == "--max-bytes") {
      good = readNumber<std::size_t>(value, 1, std::size_t{1} << 30, options.maxBytes);
    } else if (name == "--workers") {
      good = readNumber(value, 1, 1024, options.workers);
    } else {
      good = readNumber(value, 1, 3600, options.timeoutSeconds);
    }
    if (!good) {
      fault = "invalid value '" + std::string(value) + "' for " + std::string(name);
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
         "  --workers N          connections served at once (default 64)\n"
         "  --timeout SECONDS    the read and the write timeout (default 10)\n"
         "  --quiet, -q          no line per request on standard error\n"
         "  --help, -h           this text\n"
         "  --version            the version\n";
}

}  // namespace vyr
