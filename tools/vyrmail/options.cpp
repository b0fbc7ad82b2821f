#include "vyrmail/options.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include "vyrmail/orderscheck.h"

namespace vyr {
namespace {

int parseCount(std::string_view text, long long low, long long& value) {
  long long parsed = 0;
  const auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (code != std::errc() || end != text.data() + text.size() || parsed < low) return 0;
  value = parsed;
  return 1;
}

// Applies one setting; `name` without its "--".
int apply(std::string_view name, std::string_view value, SETTINGS& settings, std::string& fault) {
  long long number = 0;
  if (name == "data") {
    settings.data = value;
  } else if (name == "game") {
    if (!parseGame(value, settings.gameNo)) return fault = "--game wants a number", 0;
  } else if (name == "from") {
    settings.from = value;
  } else if (name == "sendmail") {
    settings.sendmail = value;
  } else if (name == "store") {
    settings.store = value;
  } else if (name == "roster") {
    settings.roster = value;
  } else if (name == "maildir") {
    settings.maildir = value;
  } else if (name == "log") {
    settings.log = value;
  } else if (name == "sender") {
    settings.sender = value;
    settings.haveSender = 1;
  } else if (name == "max-bytes") {
    if (!parseCount(value, 1, number) || number > (1LL << 30)) {
      return fault = "--max-bytes wants a number of bytes up to 1073741824", 0;
    }
    settings.maxBytes = number;
  } else if (name == "max-replies") {
    if (!parseCount(value, 0, number) || number > 1000000) return fault = "--max-replies wants a number", 0;
    settings.maxReplies = static_cast<int>(number);
  } else {
    fault = "unknown setting --" + std::string(name);
    return 0;
  }
  return 1;
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

}  // namespace

int parseVyrmailConfig(std::string_view text, const std::string& file, SETTINGS& settings, std::string& fault) {
  int lineNo = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = trim(text.substr(start, end - start));
    start = end + 1;
    ++lineNo;
    if (line.empty() || line.front() == '#') continue;
    const std::size_t equals = line.find('=');
    std::string why;
    if (equals == std::string_view::npos) {
      why = "a setting is NAME = VALUE";
    } else if (!apply(trim(line.substr(0, equals)), trim(line.substr(equals + 1)), settings, why)) {
      if (const std::size_t dashes = why.find("--"); dashes != std::string::npos) why.erase(dashes, 2);
    }
    if (!why.empty()) {
      fault = file + ":" + std::to_string(lineNo) + ": " + why;
      return 0;
    }
  }
  return 1;
}

int parseVyrmailOptions(const std::vector<std::string_view>& arguments, SETTINGS& settings, std::string& fault) {
  // The configuration file first, so that the command line wins.
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] != "--config") continue;
    if (i + 1 >= arguments.size()) return fault = "--config wants a file", 0;
    const std::string file(arguments[i + 1]);
    std::ifstream in(file, std::ios::binary);
    if (!in) return fault = file + ": cannot be read", 0;
    std::ostringstream text;
    text << in.rdbuf();
    if (!parseVyrmailConfig(text.str(), file, settings, fault)) return 0;
  }
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      settings.help = 1;
      continue;
    }
    if (argument == "--version") {
      settings.version = 1;
      continue;
    }
    if (argument == "--hash-password") {
      settings.hashPassword = 1;
      continue;
    }
    if (argument.rfind("--", 0) != 0) return fault = "unexpected argument '" + std::string(argument) + "'", 0;
    std::string_view name = argument.substr(2);
    std::string_view value;
    if (const std::size_t equals = name.find('='); equals != std::string_view::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
    } else {
      if (i + 1 >= arguments.size()) return fault = std::string(argument) + " wants a value", 0;
      value = arguments[++i];
    }
    if (name == "config") continue;
    if (!apply(name, value, settings, fault)) return 0;
  }
  return 1;
}

std::string vyrmailUsage() {
  return "usage: vyrmail [options] < message\n"
         "       vyrmail --maildir DIR [options]\n"
         "       vyrmail --hash-password < password\n"
         "Checks the orders in one mail, answers the sender and files the orders.\n"
         "  --data ARCHIVE|DIR   the game data (default: syntax.dat beside the program)\n"
         "  --game N             the game this intake address is for (default 1)\n"
         "  --from ADDRESS       the replies' sender (default vyrmail@HOST)\n"
         "  --sendmail COMMAND   gets each reply on standard input (default /usr/sbin/sendmail -t -oi)\n"
         "  --store DIR          files the orders there\n"
         "  --roster FILE        the players allowed to file orders, with their password hashes\n"
         "  --sender ADDRESS     the envelope sender as the mail server recorded it (<> for none)\n"
         "  --max-bytes N        the largest mail taken (default 1048576)\n"
         "  --max-replies N      replies per sender and hour (default 10, 0: no limit; kept in the store)\n"
         "  --log FILE           appends a line per mail (default: standard error)\n"
         "  --maildir DIR        handles every mail in DIR/new and moves it to DIR/cur\n"
         "  --config FILE        settings NAME = VALUE, one a line (the command line wins)\n"
         "  --hash-password      reads a password on standard input and prints its hash for the roster\n"
         "  --help               shows this text\n"
         "  --version            shows the version\n"
         "Exit status: 0 handled, 64 usage, 75 try again later (nothing filed, nothing sent).\n";
}

}  // namespace vyr
