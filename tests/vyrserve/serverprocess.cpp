#include "vyrserve/serverprocess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <thread>

namespace vyr::test {

SERVERPROCESS::SERVERPROCESS(const std::vector<std::string>& arguments) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) throw std::runtime_error("pipe");
  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(pipeEnds[1], 2);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    const int nothing = ::open("/dev/null", O_RDONLY);
    ::dup2(nothing, 0);
    std::vector<std::string> all = {VYR_VYRSERVE, "--listen", "127.0.0.1:0"};
    if (std::find(arguments.begin(), arguments.end(), "--access-log") == arguments.end())
      all.push_back("--quiet");
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all) argv.push_back(argument.data());
    argv.push_back(nullptr);
    ::execv(VYR_VYRSERVE, argv.data());
    ::_exit(127);
  }
  ::close(pipeEnds[1]);
  std::string said;
  const std::string lead = "listening on http://127.0.0.1:";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  std::size_t at = std::string::npos;
  const auto found = [&] {
    at = said.find(lead);
    return at != std::string::npos && said.find('/', at + lead.size()) != std::string::npos;
  };
  while (!found() && std::chrono::steady_clock::now() < deadline) {
    pollfd entry{pipeEnds[0], POLLIN, 0};
    if (::poll(&entry, 1, 500) <= 0) continue;
    char piece[512];
    const ssize_t got = ::read(pipeEnds[0], piece, sizeof piece);
    if (got <= 0) break;
    said.append(piece, static_cast<std::size_t>(got));
  }
  ::close(pipeEnds[0]);  // later lines go to a closed pipe, which --quiet keeps short
  if (!found()) throw std::runtime_error("vyrserve did not start: " + said);
  port_ = std::atoi(said.c_str() + at + lead.size());
}

SERVERPROCESS::~SERVERPROCESS() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
}

int SERVERPROCESS::stop(int signal, int seconds) {
  ::kill(pid_, signal);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return -1;
}

int connectTo(int port, int timeoutSeconds) { return connectFrom(nullptr, port, timeoutSeconds); }

int connectFrom(const char* source, int port, int timeoutSeconds) {
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  if (socket < 0) return -1;
  timeval limit{timeoutSeconds, 0};
  ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  if (source != nullptr) {
    sockaddr_in from{};
    from.sin_family = AF_INET;
    if (::inet_pton(AF_INET, source, &from.sin_addr) != 1 ||
        ::bind(socket, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0) {
      ::close(socket);
      return -1;
    }
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(socket);
    return -1;
  }
  return socket;
}

bool sendAll(int socket, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

RAWANSWER readAnswer(int socket) {
  std::string data;
  RAWANSWER answer;
  std::size_t headEnd = std::string::npos;
  std::size_t length = 0;
  char piece[16384];
  for (;;) {
    if (headEnd == std::string::npos) {
      headEnd = data.find("\r\n\r\n");
      if (headEnd != std::string::npos) {
        const std::string head = data.substr(0, headEnd);
        answer.status = std::atoi(head.substr(head.find(' ') + 1, 3).c_str());
        std::size_t start = head.find("\r\n");
        while (start != std::string::npos) {
          const std::size_t end = head.find("\r\n", start + 2);
          const std::string line = head.substr(start + 2, end == std::string::npos ? end : end - start - 2);
          const std::size_t colon = line.find(':');
          std::string name = line.substr(0, colon);
          for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
          answer.headers[name] = colon == std::string::npos ? "" : line.substr(colon + 2);
          start = end;
        }
        length = std::stoul(answer.headers.count("content-length") ? answer.headers["content-length"] : "0");
        if (answer.status == 100) {  // Continue: the answer follows
          data.erase(0, headEnd + 4);
          headEnd = std::string::npos;
          answer = RAWANSWER{};
          continue;
        }
      }
    }
    if (headEnd != std::string::npos && data.size() >= headEnd + 4 + length) {
      answer.body = data.substr(headEnd + 4, length);
      return answer;
    }
    const ssize_t got = ::recv(socket, piece, sizeof piece, 0);
    if (got <= 0) return RAWANSWER{};
    data.append(piece, static_cast<std::size_t>(got));
  }
}

std::string readToClose(int socket, bool& closed) {
  std::string data;
  char piece[16384];
  for (;;) {
    const ssize_t got = ::recv(socket, piece, sizeof piece, 0);
    if (got > 0) {
      data.append(piece, static_cast<std::size_t>(got));
      continue;
    }
    closed = got == 0 || errno == ECONNRESET;
    return data;
  }
}

RAWANSWER exchange(int port, std::string_view request) {
  const int socket = connectTo(port);
  if (socket < 0) return RAWANSWER{};
  RAWANSWER answer = sendAll(socket, request) ? readAnswer(socket) : RAWANSWER{};
  ::close(socket);
  return answer;
}

RAWANSWER get(int port, std::string_view path) {
  return exchange(port,
                  "GET " + std::string(path) + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
}

RAWANSWER post(int port, std::string_view path, std::string_view body) {
  return exchange(port,
                  "POST " + std::string(path) + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" +
                      "Content-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
                      "\r\n\r\n" + std::string(body));
}

std::string runWithInput(const std::string& command, const std::string& inputFile) {
  const std::string line = command + " < '" + inputFile + "' 2>/dev/null";
  std::FILE* pipe = ::popen(line.c_str(), "r");
  if (pipe == nullptr) return "";
  std::string output;
  char piece[4096];
  std::size_t got;
  while ((got = std::fread(piece, 1, sizeof piece, pipe)) > 0) output.append(piece, got);
  ::pclose(pipe);
  return output;
}

}  // namespace vyr::test
