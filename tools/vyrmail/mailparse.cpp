#include "vyrmail/mailparse.h"

#include <gmime/gmime.h>
#include <strings.h>

#include <cstring>

#include "vyrmail/gobjectptr.h"
#include "vyrmail/textdecode.h"

namespace vyr {
namespace {

std::string stringOr(const char* text) { return text ? std::string(text) : std::string(); }

// The bytes of a part with its transfer encoding undone.
std::string decodedContent(GMimePart* part) {
  GMimeDataWrapper* content = g_mime_part_get_content(part);
  if (!content) return {};
  GOBJECTPTR<GMimeStream> sink(g_mime_stream_mem_new());
  if (g_mime_data_wrapper_write_to_stream(content, sink.get()) < 0) return {};
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(sink.get()));
  return std::string(reinterpret_cast<const char*>(bytes->data), bytes->len);
}

int endsWith(const std::string& text, const char* tail) {
  const std::size_t n = std::strlen(tail);
  return text.size() >= n && strcasecmp(text.c_str() + text.size() - n, tail) == 0;
}

class WALKER {
 public:
  explicit WALKER(MAILVIEW& mail) : mail_(mail) {}

  void walk(GMimeObject* object, int depth, int forwarded) {
    if (!object) return;
    if (depth > kMaxDepth || ++parts_ > kMaxParts) {
      mail_.truncated = 1;
      return;
    }
    if (GMIME_IS_MULTIPART(object)) {
      GMimeMultipart* multipart = GMIME_MULTIPART(object);
      const int count = g_mime_multipart_get_count(multipart);
      for (int i = 0; i < count; ++i) walk(g_mime_multipart_get_part(multipart, i), depth + 1, forwarded);
    } else if (GMIME_IS_MESSAGE_PART(object)) {
      GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
      if (inner) walk(g_mime_message_get_mime_part(inner), depth + 1, 1);
    } else if (GMIME_IS_PART(object)) {
      part(GMIME_PART(object), forwarded);
    }
  }

 private:
  void part(GMimePart* part, int forwarded) {
    GMimeObject* object = GMIME_OBJECT(part);
    GMimeContentType* type = g_mime_object_get_content_type(object);
    const std::string filename = stringOr(g_mime_part_get_filename(part));
    if (type && g_mime_content_type_is_type(type, "text", "html")) {
      ++mail_.htmlParts;
      return;
    }
    const int text = !type || g_mime_content_type_is_type(type, "text", "*");
    // An orders file attached by a mail program that does not know its type.
    const int namedText = type && g_mime_content_type_is_type(type, "application", "octet-stream") &&
                          (endsWith(filename, ".txt") || endsWith(filename, ".ord"));
    if (!text && !namedText) return;
    GMimeContentDisposition* disposition = g_mime_object_get_content_disposition(object);
    TEXTPART found;
    found.filename = filename;
    found.attachment = (disposition && g_mime_content_disposition_is_attachment(disposition)) || namedText;
    found.forwarded = forwarded;
    const char* charset = type ? g_mime_content_type_get_parameter(type, "charset") : nullptr;
    DECODEDTEXT decoded = decodeText(decodedContent(part), charset ? charset : "");
    switch (g_mime_part_get_content_encoding(part)) {
      case GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE:
        found.notes.push_back("quoted-printable");
        break;
      case GMIME_CONTENT_ENCODING_BASE64:
        found.notes.push_back("base64");
        break;
      case GMIME_CONTENT_ENCODING_UUENCODE:
        found.notes.push_back("uuencode");
        break;
      default:
        break;
    }
    for (std::string& note : decoded.notes) found.notes.push_back(std::move(note));
    found.text = std::move(decoded.text);
    mail_.texts.push_back(std::move(found));
  }

  MAILVIEW& mail_;
  int parts_ = 0;
};

// The bare address of an address list's first mailbox, or "".
std::string firstMailbox(InternetAddressList* list) {
  if (!list) return {};
  const int count = internet_address_list_length(list);
  for (int i = 0; i < count; ++i) {
    InternetAddress* address = internet_address_list_get_address(list, i);
    if (INTERNET_ADDRESS_IS_MAILBOX(address)) {
      return stringOr(internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address)));
    }
  }
  return {};
}

// Return-Path as written: "<>" is the null sender, "<a@b>" an address.
void readReturnPath(const std::string& value, MAILVIEW& mail) {
  mail.hasReturnPath = 1;
  std::string inner = value;
  const std::size_t open = inner.find('<');
  const std::size_t close = inner.rfind('>');
  if (open != std::string::npos && close != std::string::npos && close > open) {
    inner = inner.substr(open + 1, close - open - 1);
  }
  const std::size_t first = inner.find_first_not_of(" \t");
  const std::size_t last = inner.find_last_not_of(" \t");
  mail.returnPath = first == std::string::npos ? std::string() : inner.substr(first, last - first + 1);
}

}  // namespace

void initMime() {
  static const int done = [] {
    g_mime_init();
    return 1;
  }();
  (void)done;
}

const std::string* findHeader(const MAILVIEW& mail, std::string_view name) {
  for (const HEADERFIELD& field : mail.headers) {
    if (field.name.size() == name.size() && strncasecmp(field.name.data(), name.data(), name.size()) == 0) {
      return &field.value;
    }
  }
  return nullptr;
}

MAILVIEW parseMail(std::string_view bytes) {
  initMime();
  MAILVIEW mail;
  GOBJECTPTR<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(bytes.data(), bytes.size()));
  GOBJECTPTR<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
  g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MESSAGE);
  GOBJECTPTR<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), nullptr));
  if (!message) return mail;
  mail.parsed = 1;
  GMimeObject* top = GMIME_OBJECT(message.get());
  GMimeHeaderList* list = g_mime_object_get_header_list(top);
  const int count = list ? g_mime_header_list_get_count(list) : 0;
  for (int i = 0; i < count; ++i) {
    GMimeHeader* header = g_mime_header_list_get_header_at(list, i);
    HEADERFIELD field{stringOr(g_mime_header_get_name(header)), stringOr(g_mime_header_get_value(header))};
    if (!mail.hasReturnPath && strcasecmp(field.name.c_str(), "Return-Path") == 0) readReturnPath(field.value, mail);
    mail.headers.push_back(std::move(field));
  }
  mail.from = firstMailbox(g_mime_message_get_from(message.get()));
  mail.subject = stringOr(g_mime_message_get_subject(message.get()));
  mail.messageId = stringOr(g_mime_message_get_message_id(message.get()));
  if (const std::string* references = findHeader(mail, "References")) mail.references = *references;
  WALKER(mail).walk(g_mime_message_get_mime_part(message.get()), 0, 0);
  return mail;
}

}  // namespace vyr
