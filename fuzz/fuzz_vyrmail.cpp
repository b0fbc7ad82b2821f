// Fuzz target: message bytes to vyrmail's handling of one mail, on the sample
// game data, with no store and nothing sent: the MIME walk, the decoding, the
// loop rules, the check of every block and the composing of the reply.
// Besides crashes it watches the reply: one is composed exactly when the
// mail is answered, it carries the automatic-reply fields, and no header
// line of it comes from the mail (every line of its header is one of the
// fields the desk writes, or a folded continuation).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "vyrmail/handler.h"
#include "vyrmail/orderscheck.h"

namespace {

const vyr::DESK& desk() {
  static vyr::DESK* made = [] {
    std::string error;
    if (!vyr::loadOrdersData(VYR_SOURCE_DIR "/data", error)) std::abort();
    auto* desk = new vyr::DESK;
    desk->settings.maxBytes = 1 << 16;
    desk->from = "orders@vyr.example";
    return desk;
  }();
  return *made;
}

int knownField(std::string_view line) {
  static constexpr std::string_view kFields[] = {
      "Date:",           "From:",             "Subject:",     "To:",           "Message-Id:",
      "In-Reply-To:",    "References:",       "Auto-Submitted: auto-replied",  "X-Loop: vyrmail",
      "Precedence: bulk", "MIME-Version: 1.0", "Content-Type:", "Content-Transfer-Encoding:"};
  if (!line.empty() && (line.front() == ' ' || line.front() == '\t')) return 1;
  for (std::string_view field : kFields) {
    if (line.substr(0, field.size()) == field) return 1;
  }
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const vyr::HANDLING handling = vyr::handleMail(desk(), bytes);
  if (handling.tempFail || !handling.filings.empty()) std::abort();  // nothing to file without a store
  if (handling.answer != handling.ignored.empty()) std::abort();
  if (!handling.answer) return 0;
  const std::string reply = vyr::composeReply(handling.reply);
  const std::size_t end = reply.find("\n\n");
  if (end == std::string::npos) std::abort();
  const std::string_view header = std::string_view(reply).substr(0, end + 1);
  if (header.find("\nAuto-Submitted: auto-replied\n") == std::string_view::npos) std::abort();
  for (std::size_t start = 0; start < header.size();) {
    const std::size_t stop = header.find('\n', start);
    if (!knownField(header.substr(start, stop - start))) std::abort();
    start = stop + 1;
  }
  return 0;
}
