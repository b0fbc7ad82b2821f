// Running pieces of work in a child process, so that a fatal error report
// (which aborts the process by design) ends only the piece it came from.
//
// The child is a fork of the caller: it sees all the caller's data (the loaded
// game data included) without copying it. It runs the pieces one after the
// other and sends each piece's report back as soon as the piece is done. Its
// standard input is /dev/null, so that the ENTER prompt of a fatal report
// never waits; what it writes on standard output is captured and handed over
// with the report of the piece that wrote it; its standard error is the
// caller's. One child serves as many pieces as it lives for, so the cost of
// starting it is paid once, not per piece.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vyr {

// How the child ended, and what it wrote on standard output after the last
// report it sent.
struct CHILDEND {
  int started = 0;  // 0: no child could be started (the reason is on standard error)
  int exited = 0;   // 1: the child ended through exit with `status`; 0: a signal (`signal`) ended it
  int status = 0;
  int signal = 0;
  std::string console;
};

// Runs `work(k, report)` in a child for k = first, first + 1, ... below `end`;
// a piece answers a status (0..255) and fills its report. For each piece that
// completes, `take(k, status, report, console)` runs in the caller. Answers the
// first k that did not complete (`end` when all did); `ending` tells why.
// Flushes the caller's standard output and error first.
int runIsolated(
    int first, int end, const std::function<int(int k, std::string& report)>& work,
    const std::function<void(int k, int status, std::string_view report, std::string_view console)>& take,
    CHILDEND& ending);

}  // namespace vyr
