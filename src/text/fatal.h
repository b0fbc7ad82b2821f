// A fault the library cannot continue from, and what the program does about it.
#pragma once

#include <string>
#include <string_view>

namespace vyr {

// A fault the library cannot continue from. What is done about it is the
// program's choice: the library hands the fault to the handler the program
// installed and never writes or reads the console for it itself.
struct FATALFAULT {
  std::string_view message;  // what went wrong, as the console report shows it
  std::string_view detail;   // a line shown before the message (the file concerned), or ""
  // A warning shown with its own ENTER prompt before the report, or "".
  std::string_view warning;
};

// A handler must not return (it ends the process, or leaves the fault's code
// by another way it knows of); when it does, the process aborts.
using FATALHANDLER = void (*)(const FATALFAULT& fault);

// Installs the program's handler (null: the console report below); answers the
// one before. Set it before any other thread runs library code.
FATALHANDLER setFatalHandler(FATALHANDLER handler);

// The console report, the handler unless the program installs another: the
// warning and its prompt, the detail on a line of its own, then a newline,
// the message and a newline on standard output, the ENTER prompt, then abort
// (no destructors, nothing saved).
[[noreturn]] void consoleFatalReport(const FATALFAULT& fault);

// Hands a fault to the program's handler.
[[noreturn]] void fatalFault(const FATALFAULT& fault);

[[noreturn]] void fatalError(std::string_view message);

// Writes "Press ENTER to Continue! " and reads one line from standard input
// (the final newline removed) into the destination when one is given. Answers
// 1 when a line was read, 0 at end of input (the answer is then empty).
int waitForEnter(std::string* destination = nullptr);

// Reads one line of standard input without its newline; 0 at end of input.
int readConsoleLine(std::string& destination);

}  // namespace vyr
