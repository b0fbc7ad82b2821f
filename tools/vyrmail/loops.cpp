#include "vyrmail/loops.h"

#include <strings.h>

#include <algorithm>
#include <cctype>

namespace vyr {
namespace {

std::string trimmedLower(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t");
  std::string lower = text.substr(first, last - first + 1);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// The first word of a field value, up to a ';', a comment or white space.
std::string firstToken(const std::string& value) {
  const std::string lower = trimmedLower(value);
  return lower.substr(0, lower.find_first_of(" \t;("));
}

}  // namespace

std::string replyAddress(const MAILVIEW& mail, const std::string& envelopeSender, int haveEnvelope) {
  if (haveEnvelope) return envelopeSender == "<>" ? std::string() : envelopeSender;
  if (mail.hasReturnPath) return mail.returnPath;
  return mail.from;
}

int isSafeAddress(const std::string& address) {
  if (address.empty() || address.size() > 254) return 0;
  const std::size_t at = address.rfind('@');
  if (at == 0 || at == std::string::npos || at + 1 == address.size()) return 0;
  return std::none_of(address.begin(), address.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte >= 0x7F || std::string_view("<>()[],;:\"\\").find(c) != std::string_view::npos;
  });
}

std::string noReplyReason(const MAILVIEW& mail, const std::string& address) {
  if (address.empty()) return "null sender";
  const std::string local = trimmedLower(address.substr(0, address.find('@')));
  if (local == "mailer-daemon" || local == "postmaster") return "sender " + local;
  if (!isSafeAddress(address)) return "sender address not usable";
  for (const HEADERFIELD& field : mail.headers) {
    const char* name = field.name.c_str();
    if (strcasecmp(name, "Auto-Submitted") == 0 && firstToken(field.value) != "no") {
      return "Auto-Submitted: " + firstToken(field.value);
    }
    if (strcasecmp(name, "Precedence") == 0) {
      const std::string precedence = firstToken(field.value);
      if (precedence == "bulk" || precedence == "junk" || precedence == "list") return "Precedence: " + precedence;
    }
    if (strcasecmp(name, "List-Id") == 0 || strcasecmp(name, "List-Unsubscribe") == 0) {
      return std::string("list mail (") + name + ")";
    }
    if (strcasecmp(name, "X-Loop") == 0 && firstToken(field.value) == kLoopMark) return "own X-Loop mark";
  }
  return {};
}

}  // namespace vyr
