#include "vyrmail/textdecode.h"

#include <glib.h>

#include <algorithm>
#include <cctype>

#include "vyrmail/gobjectptr.h"

namespace vyr {
namespace {

std::string lowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

int isAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Converts with GLib's iconv; answers 0 when the charset is unknown or the
// bytes are not text of it.
int convertToUtf8(std::string_view bytes, const char* charset, std::string& out) {
  gsize written = 0;
  GError* error = nullptr;
  GCHARPTR converted(g_convert(bytes.data(), static_cast<gssize>(bytes.size()), "UTF-8", charset, nullptr,
                               &written, &error));
  if (error) g_error_free(error);
  if (!converted) return 0;
  out.assign(converted.get(), written);
  return 1;
}

// Text of no charset or a wrong one: UTF-8 when it is valid, else one of the
// two 8-bit charsets of western mail: Windows-1252 when a byte of its own
// range 0x80-0x9F shows up (quotation marks, the euro sign), else ISO-8859-15.
std::string fallback(std::string_view bytes, std::string& name) {
  std::string out;
  if (isUtf8(bytes)) {
    name = "UTF-8";
    return std::string(bytes);
  }
  const int c1 = std::any_of(bytes.begin(), bytes.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 && byte <= 0x9F;
  });
  if (c1 && convertToUtf8(bytes, "WINDOWS-1252", out)) {
    name = "Windows-1252";
    return out;
  }
  name = "ISO-8859-15";
  if (convertToUtf8(bytes, "ISO-8859-15", out)) return out;
  // Not reached with a working iconv: ISO-8859-15 maps every byte.
  name = "UTF-8 with invalid bytes replaced";
  GCHARPTR valid(g_utf8_make_valid(bytes.data(), static_cast<gssize>(bytes.size())));
  return valid.get();
}

std::string plural(int count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

int isUtf8(std::string_view bytes) {
  return g_utf8_validate_len(bytes.data(), bytes.size(), nullptr) ? 1 : 0;
}

DECODEDTEXT decodeText(std::string_view bytes, std::string_view charset) {
  DECODEDTEXT decoded;
  const std::string declared = lowerAscii(charset);
  std::string utf8;
  if (isAscii(bytes)) {
    utf8.assign(bytes);
  } else if (declared.empty() || declared == "us-ascii" || declared == "ascii") {
    std::string name;
    utf8 = fallback(bytes, name);
    decoded.notes.push_back("undeclared 8-bit text taken as " + name + (name == "UTF-8" ? "" : ", converted to UTF-8"));
  } else if (declared == "utf-8" || declared == "utf8") {
    if (isUtf8(bytes)) {
      utf8.assign(bytes);
    } else {
      std::string name;
      utf8 = fallback(bytes, name);
      decoded.notes.push_back("not valid UTF-8 as declared, taken as " + name + ", converted to UTF-8");
    }
  } else if (convertToUtf8(bytes, std::string(charset).c_str(), utf8)) {
    std::string upper(charset);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    decoded.notes.push_back(upper + " converted to UTF-8");
  } else {
    std::string name;
    utf8 = fallback(bytes, name);
    decoded.notes.push_back("charset " + std::string(charset) + " not readable, taken as " + name);
  }

  // Line ends made LF, and a byte-order mark at the start of a line dropped.
  static constexpr std::string_view kBom = "\xEF\xBB\xBF";
  int crlf = 0;
  int lonecr = 0;
  int boms = 0;
  decoded.text.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const int lineStart = decoded.text.empty() || decoded.text.back() == '\n';
    if (lineStart && std::string_view(utf8).substr(i, kBom.size()) == kBom) {
      ++boms;
      i += kBom.size();
      continue;
    }
    if (utf8[i] == '\r') {
      if (i + 1 < utf8.size() && utf8[i + 1] == '\n') {
        ++crlf;
        ++i;
      } else {
        ++lonecr;
      }
      decoded.text.push_back('\n');
      ++i;
      continue;
    }
    decoded.text.push_back(utf8[i++]);
  }
  if (crlf) decoded.notes.push_back("CRLF line ends made LF");
  if (lonecr) decoded.notes.push_back(plural(lonecr, "lone CR", "lone CRs") + " made LF");
  if (boms) decoded.notes.push_back(plural(boms, "byte-order mark", "byte-order marks") + " dropped");
  return decoded;
}

}  // namespace vyr
