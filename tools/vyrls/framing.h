// The framing of the server's messages on its streams: each message is a
// header block and a JSON body,
//   message := header* "\r\n" body
//   header  := name ":" value "\r\n"        (a bare "\n" is taken too)
// where the header "Content-Length" gives the body's size in bytes and any
// other header (Content-Type) is passed over.
//
// MESSAGEREADER takes the bytes of the input stream as they come and hands
// out whole bodies. It never gives up on a stream: a header block without a
// length is dropped, a body above the size limit is skipped as it arrives
// (its first bytes kept, so that the sender can be told which one it was),
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
  static constexpr std::size_t kHeadSize = 4096;

  // Takes the next whole body into `body`: 1, or 0 when the bytes so far
  // hold none or a body above the limit was met (see `takeOversized`).
  // Faults passed over on the way are counted in `faults`.
  [[nodiscard]] int next(std::string& body);
  // A body above the limit that is being passed over, once its first
  // kHeadSize bytes (or all of it) have come: 1 with its length and those
  // bytes, each body once; 0 when there is none.
  [[nodiscard]] int takeOversized(std::size_t& length, std::string& head);
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
  void keepHead(std::string_view bytes);

  std::size_t skipping_ = 0;   // bytes of a too large body still to pass over
  std::size_t oversized_ = 0;  // the length of that body until it is taken, else 0
  std::string head_;           // its first bytes
  std::size_t limit_;
  int faults_ = 0;
};

// One message as the server receives it: the parsed body, or `valid` 0 when
// the body is not JSON. A body above the size limit comes with `valid` 0, its
// length in `oversized` and, in `message`, the id its first bytes give (a
// number or a string), or null.
struct INCOMING {
  nlohmann::json message;
  int valid = 0;
  std::size_t oversized = 0;
};

// Takes the next body and parses it; a body that is not JSON is handed to
// `recover` and comes out with `valid` 0. Answers 1 when a body was taken.
[[nodiscard]] int nextIncoming(MESSAGEREADER& reader, INCOMING& incoming);

// The id of a message, read from its first bytes: a number or a string when
// the message's object has one at its top, else null.
nlohmann::json idOfHead(std::string_view head);

// The message with its header block, and the header block alone.
std::string frameMessage(std::string_view body);
std::string frameHeader(std::size_t bodySize);

// The JSON text of a message; text that is not UTF-8 is replaced, never thrown over.
std::string messageText(const nlohmann::json& message);

}  // namespace vyr
