// Load test of the web checker: CLIENTS threads, each on one keep-alive
// connection to 127.0.0.1:PORT, post the same check for SECONDS and compare
// every answer byte for byte with the first one, whose annotated copy must be
// EXPECTED (VyrSyn's output for the orders). Samples the server's resident
// memory every second. Loopback only, bounded in time.
//
//   vyrserve_load PORT SERVER_PID BODY_FILE EXPECTED_FILE [CLIENTS] [SECONDS] [PAUSE_MS]
//
// PAUSE_MS (default 0) is each client's pause after an answer: 0 keeps the
// server saturated, a pause models players who read their findings.
//
// Prints the requests, the wrong answers, the throughput, the latency
// percentiles and the memory at the start, its peak and at the end; exits 1
// when any answer was wrong or missing.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using CLOCK = std::chrono::steady_clock;

std::string readFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

int connectTo(int port) {
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  timeval limit{10, 0};
  ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  const int on = 1;
  ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // never anything but loopback
  if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(socket);
    return -1;
  }
  return socket;
}

// One answer's body (Content-Length framing); empty when none came.
std::string exchange(int socket, const std::string& request, std::string& pending) {
  for (std::size_t sent = 0; sent < request.size();) {
    const ssize_t n = ::send(socket, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return "";
    sent += static_cast<std::size_t>(n);
  }
  char piece[65536];
  for (;;) {
    const std::size_t head = pending.find("\r\n\r\n");
    if (head != std::string::npos) {
      const std::size_t at = pending.find("Content-Length: ");
      if (at == std::string::npos || at > head) return "";
      const std::size_t length = std::stoul(pending.substr(at + 16));
      if (pending.size() >= head + 4 + length) {
        std::string body = pending.substr(head + 4, length);
        if (pending.compare(0, 12, "HTTP/1.1 200") != 0) body = "status " + pending.substr(9, 3);
        pending.erase(0, head + 4 + length);
        return body;
      }
    }
    const ssize_t got = ::recv(socket, piece, sizeof piece, 0);
    if (got <= 0) return "";
    pending.append(piece, static_cast<std::size_t>(got));
  }
}

long residentKb(int pid, const char* field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(
        stderr,
        "usage: vyrserve_load PORT SERVER_PID BODY_FILE EXPECTED_FILE [CLIENTS] [SECONDS] [PAUSE_MS]\n");
    return 2;
  }
  const int port = std::atoi(argv[1]);
  const int pid = std::atoi(argv[2]);
  const std::string body = readFile(argv[3]);
  const std::string expected = readFile(argv[4]);
  const int clients = argc > 5 ? std::atoi(argv[5]) : 50;
  const int seconds = argc > 6 ? std::atoi(argv[6]) : 20;
  const auto pause = std::chrono::milliseconds(argc > 7 ? std::atoi(argv[7]) : 0);
  const std::string request =
      "POST /api/check HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"
      "Content-Length: " +
      std::to_string(body.size()) + "\r\n\r\n" + body;

  std::string pending;
  const int first = connectTo(port);
  const std::string reference = first < 0 ? "" : exchange(first, request, pending);
  if (first >= 0) ::close(first);
  const nlohmann::json answer = nlohmann::json::parse(reference, nullptr, false);
  if (answer.is_discarded() || answer.value("annotated", "") != expected) {
    std::fprintf(stderr, "vyrserve_load: the first answer is not VyrSyn's annotated copy\n");
    return 1;
  }

  std::atomic<bool> running{true};
  std::atomic<long> wrong{0};
  std::mutex merge;
  std::vector<double> latencies;
  std::vector<std::thread> threads;
  const CLOCK::time_point start = CLOCK::now();
  const CLOCK::time_point end = start + std::chrono::seconds(seconds);
  for (int client = 0; client < clients; ++client) {
    threads.emplace_back([&] {
      std::vector<double> mine;
      std::string buffer;
      int socket = connectTo(port);
      while (CLOCK::now() < end) {
        if (socket < 0) {
          ++wrong;
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
          socket = connectTo(port);
          continue;
        }
        const CLOCK::time_point sent = CLOCK::now();
        const std::string got = exchange(socket, request, buffer);
        mine.push_back(std::chrono::duration<double, std::milli>(CLOCK::now() - sent).count());
        if (got != reference) {
          if (!got.empty()) ++wrong;  // a closed keep-alive connection is reopened, not wrong
          ::close(socket);
          buffer.clear();
          socket = connectTo(port);
          if (got.empty()) mine.pop_back();
        }
        if (pause.count() > 0) std::this_thread::sleep_for(pause);
      }
      if (socket >= 0) ::close(socket);
      const std::lock_guard<std::mutex> lock(merge);
      latencies.insert(latencies.end(), mine.begin(), mine.end());
    });
  }
  long startKb = -1;
  long peakKb = 0;
  long lastKb = 0;
  std::string series;
  while (CLOCK::now() < end) {
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const long now = residentKb(pid, "VmRSS:");
    if (startKb < 0) startKb = now;
    peakKb = std::max(peakKb, now);
    lastKb = now;
    series += " " + std::to_string(now);
  }
  running = false;
  for (std::thread& thread : threads) thread.join();
  const double elapsed = std::chrono::duration<double>(CLOCK::now() - start).count();
  std::sort(latencies.begin(), latencies.end());
  const auto percentile = [&](double p) {
    return latencies.empty()
               ? 0.0
               : latencies[static_cast<std::size_t>(p * static_cast<double>(latencies.size() - 1))];
  };
  std::printf("clients %d, pause %lld ms, %.1f s, requests %zu, wrong %ld\n", clients,
              static_cast<long long>(pause.count()), elapsed, latencies.size(), wrong.load());
  std::printf("throughput %.0f checks/s\n", static_cast<double>(latencies.size()) / elapsed);
  std::printf("latency ms: median %.2f, p90 %.2f, p99 %.2f, max %.2f\n", percentile(0.5), percentile(0.9),
              percentile(0.99), latencies.empty() ? 0.0 : latencies.back());
  std::printf("server memory KB: after 1 s %ld, peak %ld, at the end %ld (VmHWM %ld)\n", startKb, peakKb,
              lastKb, residentKb(pid, "VmHWM:"));
  std::printf("server memory KB each second:%s\n", series.c_str());
  return wrong == 0 && !latencies.empty() ? 0 : 1;
}
