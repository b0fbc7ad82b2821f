// Fuzz target: the language server's message reader and request handling.
// The input is the byte stream a client sends after an initialize message
// of the target's own (the first byte chooses the position encoding and
// where the stream is cut into two reads): framing, JSON, any method with any
// parameters, positions past the end of a line or the document. Every
// message the server sends is turned into its JSON text, and every waiting
// check is run, as the loop of the program runs them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "vyrls/framing.h"
#include "vyrls/server.h"

namespace {

std::size_t sent = 0;

void sendNowhere(const nlohmann::json& message) { sent += vyr::messageText(message).size(); }

void handleAll(vyr::MESSAGEREADER& reader, vyr::SERVER& server) {
  for (vyr::INCOMING incoming; !server.exited() && vyr::nextIncoming(reader, incoming);) {
    server.handle(incoming);
    while (!server.exited() && server.checksWaiting()) server.checkNext();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool utf8 = (data[0] & 1) != 0;
  const std::string stream(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t cut = stream.empty() ? 0 : (data[0] >> 1) % (stream.size() + 1);

  vyr::SERVER server({VYR_SOURCE_DIR "/data", 1, "file:///codes.md"}, sendNowhere);
  const std::string initialize =
      std::string(R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{"capabilities":{"general":)"
                  R"({"positionEncodings":[)") +
      (utf8 ? R"("utf-8")" : R"("utf-16")") + "]}}}}";
  vyr::MESSAGEREADER reader(1 << 20);
  reader.feed(vyr::frameMessage(initialize));
  handleAll(reader, server);
  reader.feed(std::string_view(stream).substr(0, cut));
  handleAll(reader, server);
  reader.feed(std::string_view(stream).substr(cut));
  handleAll(reader, server);
  return 0;
}
