// One incoming mail as vyrmail sees it: the header fields that decide about
// the reply, and every text part, found recursively through multiparts and
// attached (forwarded) mails, decoded to UTF-8 with LF line ends. GMime
// parses; this only walks what it built, within bounds of depth and count.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vyr {

struct TEXTPART {
  std::string text;                // decoded, UTF-8, LF line ends
  std::vector<std::string> notes;  // the decoding done, in words
  std::string filename;            // "" when the part names none
  int attachment = 0;              // 1: Content-Disposition attachment (or a named file)
  int forwarded = 0;               // 1: inside an attached mail
};

struct HEADERFIELD {
  std::string name;   // as written
  std::string value;  // unfolded, RFC 2047 words decoded
};

struct MAILVIEW {
  int parsed = 0;  // 0: not a mail GMime could read at all
  std::vector<HEADERFIELD> headers;  // the top-level header, in order
  std::string returnPath;  // the address in Return-Path ("" for <> or none); see hasReturnPath
  int hasReturnPath = 0;
  std::string from;       // the first mailbox address of From, or ""
  std::string subject;    // decoded, UTF-8
  std::string messageId;  // without angle brackets, or ""
  std::string references; // as written
  std::vector<TEXTPART> texts;  // every text part but HTML, in the mail's order
  int htmlParts = 0;            // text/html parts seen
  int truncated = 0;            // 1: the bounds of depth or count were reached
};

inline constexpr int kMaxDepth = 8;
inline constexpr int kMaxParts = 64;

MAILVIEW parseMail(std::string_view bytes);

// The value of the first header field of that name (any case), or nullptr.
const std::string* findHeader(const MAILVIEW& mail, std::string_view name);

// Initialises GMime once for the process; the program calls it first.
void initMime();

}  // namespace vyr
