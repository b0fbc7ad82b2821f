// The framing of the server's messages on its streams: each message is a
// header block and a JSON body,
//   message := header* "\r\n" body
//   header  := name ":" value "\r\n"        (a bare "\n" is taken too)
// where the header "Content-Length" gives the body's size in bytes and any
// other header (Content-Type) is passed over.
//
// MESSAGEREADER takes the bytes of the input stream as they come and hands
// out whole bodies. It never gives up on a stream: a header block without a
// length is dropped, a body above the size limit is skipped as it arrives,
// and a header line with text before "Content-Length:" (the rest of a body
// whose length was given too short) is read from that name on. `recover`
// handles the other wrong length: a body that was given too long swallowed
// the next message's header (or its start), and reading goes on from there.
#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace vyr {

class MESSAGEREADER {
 public:
  static constexpr std::size_t kDefaultLimit = std::size_t{64} << 20;

  explicit MESSAGEREADER(std::size_t limit = kDefaultLimit) : limit_(limit) {}

  // Appends bytes read from the stream.
  void feed(std::string_view bytes);
  // Takes the next whole body into `body`: 1, or 0 when the bytes so far
  // hold none. Faults passed over on the way are counted in `faults`.
  [[nodiscard]] int next(std::string& body);
  // Call with a body that was no message: when a "Content-Length:" header
  // (or its start, at the end) stands inside it, it is read again as headers.
  void recover(std::string_view body);

  [[nodiscard]] int faults() const { return faults_; }
  // The bytes held that are not yet a whole message.
  [[nodiscard]] std::size_t pending() const { return buffer_.size() - start_; }

 private:
  int readHeaders();
  void compact();

  std::string buffer_;
  std::size_t start_ = 0;  // the first byte not yet taken
  long long length_ = -1;  // the length of the body being read, -1 in the headers
  long long headerLength_ = -1;
  std::size_t skipping_ = 0;  // bytes of a too large body still to pass over
  std::size_t limit_;
  int faults_ = 0;
};

// One message as the server receives it: the parsed body, or `valid` 0 when
// the body is not JSON.
struct INCOMING {
  nlohmann::json message;
  int valid = 0;
};

// Takes the next body and parses it; a body that is not JSON is handed to
// `recover` and comes out with `valid` 0. Answers 1 when a body was taken.
[[nodiscard]] int nextIncoming(MESSAGEREADER& reader, INCOMING& incoming);

// The message with its header block.
std::string frameMessage(std::string_view body);

// The JSON text of a message; text that is not UTF-8 is replaced, never thrown over.
std::string messageText(const nlohmann::json& message);

}  // namespace vyr
