#include "vyrls/framing.h"

#include <cctype>
#include <charconv>

namespace vyr {

namespace {

constexpr std::string_view kLengthName = "content-length:";

// Where "Content-Length:" starts in the text, ignoring case, or npos.
std::size_t findLengthName(std::string_view text, std::size_t from = 0) {
  for (std::size_t at = from; at + kLengthName.size() <= text.size(); ++at) {
    std::size_t k = 0;
    while (k < kLengthName.size() &&
           std::tolower(static_cast<unsigned char>(text[at + k])) == kLengthName[k]) {
      ++k;
    }
    if (k == kLengthName.size()) return at;
  }
  return std::string_view::npos;
}

// 1 when the text ends with the first letters of "Content-Length:".
bool endsWithNameStart(std::string_view text) {
  for (std::size_t size = kLengthName.size() - 1; size > 0; --size) {
    if (text.size() >= size && findLengthName(std::string(text.substr(text.size() - size)) +
                                              std::string(kLengthName.substr(size))) == 0) {
      return true;
    }
  }
  return false;
}

// The value of a Content-Length header line from its name on, or -1.
long long lengthValue(std::string_view line) {
  std::string_view value = line.substr(kLengthName.size());
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
  long long length = -1;
  const auto [end, fault] = std::from_chars(value.data(), value.data() + value.size(), length);
  if (fault != std::errc() || end != value.data() + value.size() || length < 0) return -1;
  return length;
}

}  // namespace

void MESSAGEREADER::feed(std::string_view bytes) {
  if (skipping_ > 0) {
    const std::size_t skipped = bytes.size() < skipping_ ? bytes.size() : skipping_;
    keepHead(bytes.substr(0, skipped));
    skipping_ -= skipped;
    bytes.remove_prefix(skipped);
  }
  compact();
  buffer_.append(bytes);
}

void MESSAGEREADER::compact() {
  if (start_ > 0 && start_ * 2 >= buffer_.size()) {
    buffer_.erase(0, start_);
    start_ = 0;
  }
}

// Reads header lines up to the empty line; answers 1 when the length of the
// body is known, 0 when more bytes are needed.
int MESSAGEREADER::readHeaders() {
  while (length_ < 0) {
    const std::size_t end = buffer_.find('\n', start_);
    if (end == std::string::npos) return 0;
    std::string_view line(buffer_.data() + start_, end - start_);
    start_ = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) {
      if (headerLength_ < 0) {
        ++faults_;  // a header block without a length: nothing to read
        continue;
      }
      length_ = headerLength_;
      headerLength_ = -1;
      break;
    }
    const std::size_t name = findLengthName(line);
    if (name == std::string_view::npos) continue;  // another header, or noise
    if (name > 0) ++faults_;                       // the rest of a body given too short
    headerLength_ = lengthValue(line.substr(name));
    if (headerLength_ < 0) ++faults_;
  }
  return 1;
}

int MESSAGEREADER::next(std::string& body) {
  for (;;) {
    if (!readHeaders()) return 0;
    const auto length = static_cast<std::size_t>(length_);
    if (length > limit_) {
      ++faults_;
      const std::size_t held = pending() < length ? pending() : length;
      oversized_ = length;
      head_.clear();
      keepHead(std::string_view(buffer_).substr(start_, held));
      start_ += held;
      skipping_ = length - held;
      length_ = -1;
      compact();
      return 0;  // the sender hears of it (takeOversized) before the next message
    }
    if (pending() < length) return 0;
    body.assign(buffer_, start_, length);
    start_ += length;
    length_ = -1;
    compact();
    return 1;
  }
}

void MESSAGEREADER::keepHead(std::string_view bytes) {
  if (head_.size() < kHeadSize) head_.append(bytes.substr(0, kHeadSize - head_.size()));
}

int MESSAGEREADER::takeOversized(std::size_t& length, std::string& head) {
  if (oversized_ == 0 || (head_.size() < kHeadSize && skipping_ > 0)) return 0;
  length = oversized_;
  head = std::move(head_);
  head_.clear();
  oversized_ = 0;
  return 1;
}

// The body goes back before what is still unread, to be read as header
// lines: a header it swallowed (whole, or only its start, which the bytes
// after the body complete) is found there, and the rest passes as noise.
// Each time at least the header before the body is gone, so this ends.
void MESSAGEREADER::recover(std::string_view body) {
  if (findLengthName(body) == std::string_view::npos && !endsWithNameStart(body)) return;
  buffer_.insert(start_, body);
  length_ = -1;
  headerLength_ = -1;
}

namespace {

// Reads a message's opening up to the value of its top-level "id".
class IDFINDER final : public nlohmann::json::json_sax_t {
 public:
  nlohmann::json id;

  bool null() override { return value(nullptr); }
  bool boolean(bool) override { return value(nullptr); }
  bool number_integer(number_integer_t number) override { return value(number); }
  bool number_unsigned(number_unsigned_t number) override { return value(number); }
  bool number_float(number_float_t, const string_t&) override { return value(nullptr); }
  bool string(string_t& text) override { return value(text); }
  bool binary(binary_t&) override { return value(nullptr); }
  bool start_object(std::size_t) override { return open(true); }
  bool end_object() override { return close(); }
  bool start_array(std::size_t) override { return open(false); }
  bool end_array() override { return close(); }
  bool key(string_t& name) override {
    atId_ = depth_ == 1 && name == "id";
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }

 private:
  bool value(nlohmann::json read) {
    if (!atId_ || depth_ != 1) return true;
    id = std::move(read);
    return false;  // found: read no further
  }
  bool open(bool object) {
    if (depth_ == 0 && !object) return false;  // no object: no id
    ++depth_;
    atId_ = false;
    return true;
  }
  bool close() {
    --depth_;
    return true;
  }

  int depth_ = 0;
  bool atId_ = false;
};

}  // namespace

nlohmann::json idOfHead(std::string_view head) {
  IDFINDER finder;
  (void)nlohmann::json::sax_parse(head, &finder);
  return finder.id.is_number_integer() || finder.id.is_string() ? finder.id : nlohmann::json();
}

int nextIncoming(MESSAGEREADER& reader, INCOMING& incoming) {
  std::string head;
  std::size_t length = 0;
  int got = reader.takeOversized(length, head) ? 2 : 0;
  std::string body;
  if (got == 0) got = reader.next(body) ? 1 : reader.takeOversized(length, head) ? 2 : 0;
  if (got == 0) return 0;
  incoming.oversized = 0;
  if (got == 2) {
    incoming.message = idOfHead(head);
    incoming.valid = 0;
    incoming.oversized = length;
    return 1;
  }
  incoming.message = nlohmann::json::parse(body, nullptr, false);
  incoming.valid = incoming.message.is_discarded() ? 0 : 1;
  if (!incoming.valid) {
    incoming.message = nullptr;
    reader.recover(body);
  }
  return 1;
}

std::string frameHeader(std::size_t bodySize) {
  return "Content-Length: " + std::to_string(bodySize) + "\r\n\r\n";
}

std::string frameMessage(std::string_view body) {
  std::string framed = frameHeader(body.size());
  framed += body;
  return framed;
}

std::string messageText(const nlohmann::json& message) {
  return message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace vyr
