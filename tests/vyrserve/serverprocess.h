// A started vyrserve for the HTTP tests: the built binary on a free loopback
// port, with raw HTTP exchanges over plain sockets (every wait bounded), so
// that the tests see the bytes on the wire, odd paths included.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vyr::test {

struct RAWANSWER {
  int status = 0;                              // 0: no answer
  std::map<std::string, std::string> headers;  // names in lower case
  std::string body;
};

class SERVERPROCESS {
 public:
  // Starts the binary with the arguments (--listen 127.0.0.1:0 is added, and
  // --quiet unless they name an --access-log) and waits for it to listen.
  explicit SERVERPROCESS(const std::vector<std::string>& arguments);
  ~SERVERPROCESS();  // SIGKILL when still running
  SERVERPROCESS(const SERVERPROCESS&) = delete;
  SERVERPROCESS& operator=(const SERVERPROCESS&) = delete;

  [[nodiscard]] int port() const { return port_; }
  [[nodiscard]] pid_t pid() const { return pid_; }
  // Sends the signal and waits for the end: the exit status, or -1 when it
  // did not end within the seconds.
  int stop(int signal, int seconds);

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

// A connected socket to 127.0.0.1:port with send and receive timeouts, or -1.
int connectTo(int port, int timeoutSeconds = 10);
// The same from another loopback address (127.0.0.2, ...), as another client.
int connectFrom(const char* source, int port, int timeoutSeconds = 10);
// Everything the server sends until it closes the connection (or the receive
// timeout ends the wait: then `closed` is false).
std::string readToClose(int socket, bool& closed);
// Sends all the bytes; false on a fault.
bool sendAll(int socket, std::string_view bytes);
// Reads one answer (Content-Length bodies); status 0 when none came.
RAWANSWER readAnswer(int socket);
// One request on a new connection.
RAWANSWER exchange(int port, std::string_view request);
RAWANSWER get(int port, std::string_view path);
RAWANSWER post(int port, std::string_view path, std::string_view body);

// Runs the command line in a shell with the file as standard input; answers
// its standard output.
std::string runWithInput(const std::string& command, const std::string& inputFile);

}  // namespace vyr::test
