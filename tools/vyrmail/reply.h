// The reply to one mail, as a value, and its making into an RFC 5322
// message with GMime: an automatic reply (RFC 3834) to the sender, a text
// part and attachments. Every value taken from the incoming mail is cleaned
// first (cleanHeaderValue), so that nothing in it can add a header field.
#pragma once

#include <string>
#include <vector>

namespace vyr {

struct ATTACHMENT {
  std::string filename;
  std::string contentType;  // "text/plain" or "application/json"
  std::string bytes;        // UTF-8 text, carried in base64 so it arrives byte for byte
};

struct REPLY {
  std::string from;        // the desk's address
  std::string to;          // the sender's address (isSafeAddress)
  std::string subject;     // the original subject, cleaned; "Re: " is added
  std::string inReplyTo;   // the original Message-Id without brackets, or ""
  std::string references;  // the original References, or ""
  std::string text;        // the text part, UTF-8
  std::vector<ATTACHMENT> attachments;
};

// The message, LF line ends, ready for `sendmail -t`.
std::string composeReply(const REPLY& reply);

// A header value with every control character (CR and LF above all) made a
// space and runs of white space made one, trimmed, at most `limit` bytes
// (cut at a character's start).
std::string cleanHeaderValue(const std::string& value, std::size_t limit = 200);

// The message ids of a References or In-Reply-To value, each "<...>" with no
// white space or control character inside, joined by spaces.
std::string cleanMessageIds(const std::string& value);

}  // namespace vyr
