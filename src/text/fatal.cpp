// The fatal fault: handed to the handler the program installs, or reported on the console.
#include "text/fatal.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vyr {

namespace {

std::atomic<FATALHANDLER> fatalHandler{nullptr};

}  // namespace

FATALHANDLER setFatalHandler(FATALHANDLER handler) { return fatalHandler.exchange(handler); }

void consoleFatalReport(const FATALFAULT& fault) {
  if (!fault.warning.empty()) {
    std::fwrite(fault.warning.data(), 1, fault.warning.size(), stdout);
    std::fputs("\n", stdout);
    waitForEnter();
  }
  if (!fault.detail.empty()) {
    std::fwrite(fault.detail.data(), 1, fault.detail.size(), stdout);
    std::fputs("\n", stdout);
  }
  std::fflush(stdout);
  std::fputs("\n", stdout);
  std::fflush(stdout);
  std::fwrite(fault.message.data(), 1, fault.message.size(), stdout);
  std::fputs("\n", stdout);
  std::fflush(stdout);
  waitForEnter();
  std::abort();
}

void fatalFault(const FATALFAULT& fault) {
  const FATALHANDLER handler = fatalHandler.load();
  if (handler == nullptr) consoleFatalReport(fault);
  handler(fault);
  std::abort();
}

void fatalError(std::string_view message) { fatalFault(FATALFAULT{message, {}, {}}); }

int readConsoleLine(std::string& destination) {
  destination.clear();
  char piece[512];
  bool readAny = false;
  while (std::fgets(piece, sizeof piece, stdin) != nullptr) {
    readAny = true;
    std::size_t length = std::strlen(piece);
    if (length > 0 && piece[length - 1] == '\n') {
      destination.append(piece, length - 1);
      return 1;
    }
    destination.append(piece, length);
  }
  return readAny ? 1 : 0;
}

int waitForEnter(std::string* destination) {
  std::fputs("Press ENTER to Continue! ", stdout);
  std::fflush(stdout);
  std::string answer;
  int got = readConsoleLine(answer);
  if (destination != nullptr) *destination = answer;
  return got;
}

}  // namespace vyr
