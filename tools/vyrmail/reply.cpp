#include "vyrmail/reply.h"

#include <gmime/gmime.h>
#include <strings.h>

#include <algorithm>

#include "vyrmail/gobjectptr.h"
#include "vyrmail/loops.h"
#include "vyrmail/mailparse.h"

namespace vyr {
namespace {

// A part of the bytes as they are (UTF-8 text here), labelled utf-8, in the
// transfer encoding given, so that they arrive byte for byte.
GOBJECTPTR<GMimePart> utf8Part(const std::string& type, const std::string& subtype, const std::string& bytes,
                               const std::string& filename, GMimeContentEncoding encoding) {
  GOBJECTPTR<GMimePart> part(type == "text" ? GMIME_PART(g_mime_text_part_new_with_subtype(subtype.c_str()))
                                            : g_mime_part_new_with_type(type.c_str(), subtype.c_str()));
  GOBJECTPTR<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(bytes.data(), bytes.size()));
  GOBJECTPTR<GMimeDataWrapper> content(
      g_mime_data_wrapper_new_with_stream(stream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
  g_mime_part_set_content(part.get(), content.get());
  g_mime_content_type_set_parameter(g_mime_object_get_content_type(GMIME_OBJECT(part.get())), "charset", "utf-8");
  g_mime_part_set_content_encoding(part.get(), encoding);
  if (!filename.empty()) g_mime_part_set_filename(part.get(), filename.c_str());
  return part;
}

GOBJECTPTR<GMimePart> attachmentPart(const ATTACHMENT& attachment) {
  const std::size_t slash = attachment.contentType.find('/');
  return utf8Part(attachment.contentType.substr(0, slash), attachment.contentType.substr(slash + 1),
                  attachment.bytes, attachment.filename, GMIME_CONTENT_ENCODING_BASE64);
}

}  // namespace

std::string cleanHeaderValue(const std::string& value, std::size_t limit) {
  std::string clean;
  for (char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    const char put = byte < 0x20 || byte == 0x7F ? ' ' : c;
    if (put == ' ' && (clean.empty() || clean.back() == ' ')) continue;
    clean.push_back(put);
  }
  while (!clean.empty() && clean.back() == ' ') clean.pop_back();
  if (clean.size() > limit) {
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(clean[cut]) & 0xC0) == 0x80) --cut;
    clean.resize(cut);
  }
  return clean;
}

std::string cleanMessageIds(const std::string& value) {
  std::string ids;
  std::size_t at = 0;
  while ((at = value.find('<', at)) != std::string::npos) {
    const std::size_t close = value.find('>', at);
    if (close == std::string::npos) break;
    const std::string id = value.substr(at, close - at + 1);
    at = close + 1;
    const bool clean = id.size() > 2 && id.find_first_of(" \t\r\n<", 1) == std::string::npos &&
                       std::none_of(id.begin(), id.end(), [](char c) {
                         return static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) == 0x7F;
                       });
    if (clean && ids.size() + id.size() < 2000) ids += (ids.empty() ? "" : " ") + id;
  }
  return ids;
}

std::string composeReply(const REPLY& reply) {
  initMime();
  GOBJECTPTR<GMimeMessage> message(g_mime_message_new(TRUE));
  GMimeObject* top = GMIME_OBJECT(message.get());
  g_mime_message_add_mailbox(message.get(), GMIME_ADDRESS_TYPE_FROM, "Vyr orders desk",
                             cleanHeaderValue(reply.from).c_str());
  g_mime_message_add_mailbox(message.get(), GMIME_ADDRESS_TYPE_TO, nullptr, cleanHeaderValue(reply.to).c_str());
  std::string subject = cleanHeaderValue(reply.subject);
  if (strncasecmp(subject.c_str(), "re:", 3) != 0) subject = "Re: " + subject;
  if (subject == "Re: ") subject = "Re: your orders";
  g_mime_message_set_subject(message.get(), subject.c_str(), "utf-8");
  GDateTime* now = g_date_time_new_now_utc();
  g_mime_message_set_date(message.get(), now);
  g_date_time_unref(now);
  const std::string domain = reply.from.substr(reply.from.rfind('@') + 1);
  GCHARPTR id(g_mime_utils_generate_message_id(domain.empty() ? "localhost" : cleanHeaderValue(domain).c_str()));
  g_mime_message_set_message_id(message.get(), id.get());
  const std::string original = cleanMessageIds("<" + reply.inReplyTo + ">");
  if (!original.empty()) {
    g_mime_object_set_header(top, "In-Reply-To", original.c_str(), nullptr);
    std::string references = cleanMessageIds(reply.references);
    references += (references.empty() ? "" : " ") + original;
    g_mime_object_set_header(top, "References", references.c_str(), nullptr);
  }
  g_mime_object_set_header(top, "Auto-Submitted", "auto-replied", nullptr);
  g_mime_object_set_header(top, "X-Loop", kLoopMark, nullptr);
  g_mime_object_set_header(top, "Precedence", "bulk", nullptr);

  GOBJECTPTR<GMimePart> body = utf8Part("text", "plain", reply.text, "", GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE);
  if (reply.attachments.empty()) {
    g_mime_message_set_mime_part(message.get(), GMIME_OBJECT(body.get()));
  } else {
    GOBJECTPTR<GMimeMultipart> mixed(g_mime_multipart_new_with_subtype("mixed"));
    g_mime_multipart_add(mixed.get(), GMIME_OBJECT(body.get()));
    for (const ATTACHMENT& attachment : reply.attachments) {
      GOBJECTPTR<GMimePart> part = attachmentPart(attachment);
      g_mime_multipart_add(mixed.get(), GMIME_OBJECT(part.get()));
    }
    g_mime_message_set_mime_part(message.get(), GMIME_OBJECT(mixed.get()));
  }
  GCHARPTR bytes(g_mime_object_to_string(top, nullptr));
  return bytes ? std::string(bytes.get()) : std::string();
}

}  // namespace vyr
