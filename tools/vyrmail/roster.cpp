#include "vyrmail/roster.h"

#include <sodium.h>

#include <cctype>
#include <fstream>
#include <sstream>

namespace vyr {
namespace {

std::vector<std::string> words(std::string_view line) {
  std::vector<std::string> found;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    const std::size_t start = i;
    while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    if (i > start) found.emplace_back(line.substr(start, i - start));
  }
  return found;
}

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

int initSodium() { return sodium_init() >= 0 ? 1 : 0; }

int parseRoster(std::string_view text, const std::string& file, ROSTER& roster, std::string& error) {
  int lineNo = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNo;
    std::vector<std::string> fields = words(line);
    if (fields.empty() || fields.front().front() == '#') continue;
    if (fields.size() < 3) {
      error = file + ":" + std::to_string(lineNo) + ": a player needs a name, a password hash and an address";
      return 0;
    }
    if (fields[1].rfind("$argon2", 0) != 0 && fields[1].rfind("$7$", 0) != 0) {
      error = file + ":" + std::to_string(lineNo) + ": not a password hash (make one with vyrmail --hash-password)";
      return 0;
    }
    ROSTERENTRY entry{fields[0], fields[1], {}};
    for (std::size_t k = 2; k < fields.size(); ++k) entry.addresses.push_back(lower(fields[k]));
    roster.entries.push_back(std::move(entry));
  }
  return 1;
}

int loadRoster(const std::string& path, ROSTER& roster, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot be read";
    return 0;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return parseRoster(text.str(), path, roster, error);
}

std::vector<const ROSTERENTRY*> entriesFor(const ROSTER& roster, const std::string& address) {
  const std::string wanted = lower(address);
  std::vector<const ROSTERENTRY*> found;
  for (const ROSTERENTRY& entry : roster.entries) {
    for (const std::string& allowed : entry.addresses) {
      if (allowed == wanted) {
        found.push_back(&entry);
        break;
      }
    }
  }
  return found;
}

int passwordMatches(const ROSTERENTRY& entry, const std::string& password) {
  if (password.empty()) return 0;
  return crypto_pwhash_str_verify(entry.hash.c_str(), password.data(), password.size()) == 0 ? 1 : 0;
}

std::string hashPassword(const std::string& password) {
  char hash[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str(hash, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                        crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
    return {};
  }
  return hash;
}

std::string headerPassword(std::string_view headerLine) {
  std::vector<std::string> fields = words(headerLine);
  if (fields.size() < 2) return {};
  return fields.back();
}

}  // namespace vyr
