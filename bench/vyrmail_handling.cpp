// Mails per second through vyrmail's handling of one orders mail of 300
// lines (quoted-printable ISO-8859-1, as many mail programs send it): the MIME
// walk, the decoding, the check and the composing of the reply with its
// attachments; without a store and with nothing sent. Target: 500 mails per
// second on one core.
//
//   ./build/bench/vyrmail_handling [--benchmark_repetitions=5]
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "vyrmail/handler.h"
#include "vyrmail/orderscheck.h"

namespace {

// The example orders, their lines repeated up to 300, with one faulty order
// in every 25 lines and a Latin-1 message, quoted-printable.
std::string ordersMail() {
  std::ifstream in(VYR_SOURCE_DIR "/examples/orders-clean.txt");
  std::string line;
  std::getline(in, line);  // the header line
  std::string body = line + "\n";
  std::vector<std::string> lines;
  while (std::getline(in, line)) {
    if (line.rfind("#END", 0) != 0) lines.push_back(line);
  }
  for (int k = 1; k < 299; ++k) {
    body += k % 25 == 0 ? "BANISH 3" : k % 40 == 0 ? "MESSAGE 17 Gr=FC=DFe" : lines[k % lines.size()];
    body += "\n";
  }
  body += "#END\n";
  return "Return-Path: <alice@example.org>\nFrom: Alice <alice@example.org>\nTo: orders@vyr.example\n"
         "Subject: Orders\nMessage-ID: <bench@example.org>\nMIME-Version: 1.0\n"
         "Content-Type: text/plain; charset=ISO-8859-1\nContent-Transfer-Encoding: quoted-printable\n\n" +
         body;
}

void handleOrdersMail(benchmark::State& state) {
  std::string error;
  if (!vyr::loadOrdersData(VYR_SOURCE_DIR "/data", error)) std::abort();
  vyr::DESK desk;
  desk.from = "orders@vyr.example";
  const std::string mail = ordersMail();
  std::size_t bytes = 0;
  for (auto _ : state) {
    const vyr::HANDLING handling = vyr::handleMail(desk, mail);
    const std::string reply = vyr::composeReply(handling.reply);
    bytes += reply.size();
    benchmark::DoNotOptimize(reply.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
  state.counters["reply_bytes"] = static_cast<double>(bytes) / static_cast<double>(state.iterations());
}
BENCHMARK(handleOrdersMail)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
