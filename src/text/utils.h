// The program-wide helpers for texts, numbers and files, and the fatal error
// report. Functions that produce a text write it into a destination supplied by
// the caller and return that destination. Character classes are those of the
// "C" locale; bytes above 127 are neither white space, digits nor letters.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace vyr {

// The "C" locale's white space, upper-case test and upper-casing, inline for
// the loops that run over every character of an orders file. The same answers
// as `isspace`, `isupper` and `toupper`: the program never changes the locale.
constexpr bool isSpaceChar(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
constexpr bool isUpperChar(char c) { return c >= 'A' && c <= 'Z'; }
constexpr char upperChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr bool isDigitChar(char c) { return c >= '0' && c <= '9'; }

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

std::string& wrapText(std::string& destination, std::string_view text, int indent, int width,
                      int indentFirstLine);

// 1 when the file can be opened for reading.
int fileExists(const std::string& path);
// 1 when anything exists at the path: a file of any kind, also one that cannot
// be read, a directory or a dangling symbolic link.
int pathExists(const std::string& path);

std::string& toUpperCopy(std::string& destination, std::string_view text);
std::string& toLowerCopy(std::string& destination, std::string_view text);
int compareNoCase(std::string_view a, std::string_view b);
int compareNoCaseN(std::string_view a, std::string_view b, int n);

std::string& trimText(std::string& text);
std::string& trimCopy(std::string& destination, std::string_view text);

// 0-based index where white-space word n starts, or text.size() when there
// are fewer than n words.
std::size_t wordStart(std::string_view text, int n);
// The same for words separated by the space character only.
std::size_t spaceWordStart(std::string_view text, int n);
// Characters before the next space or the end.
std::size_t spaceWordLength(std::string_view text);
// 0-based index where white-space word n starts, or -1.
int wordIndex(std::string_view text, int n);
// Characters before the first white space or the end.
int wordLength(std::string_view text);

std::string& fillChars(std::string& destination, char character, int n);
int isInteger(std::string_view text);
int isReal(std::string_view text);
// 1 yes, 0 no, -1 not an answer (or no text), -2 the empty text.
int parseYesNo(const char* text);
int parseYesNo(std::string_view text);

void setOwnedText(std::string& slot, std::string_view text);
std::string& copyText(std::string_view text, std::string& destination);
// Appends "/" and each present part in order: ("a", "b") gives "/a/b".
std::string& joinPath(std::string& destination, const char* p1 = nullptr, const char* p2 = nullptr,
                      const char* p3 = nullptr, const char* p4 = nullptr, const char* p5 = nullptr,
                      const char* p6 = nullptr);

// The standard number readings (`atoi`, `atol`, `atof`): leading white space and
// a sign are skipped, reading stops at the first character that does not fit,
// text that is not a number reads as 0. Integers are 32-bit: a digit string
// beyond the range clamps to the range's end instead of wrapping.
int readInt(std::string_view text);
long readLong(std::string_view text);
// readInt for the texts an orders file is full of, inline: a text that is a
// run of at most nine digits, up to its end or a character that is no digit,
// is read here; any other goes to readInt.
inline int readShortInt(std::string_view text) {
  int value = 0;
  std::size_t i = 0;
  for (; i < text.size() && i < 9 && isDigitChar(text[i]); ++i) value = value * 10 + (text[i] - '0');
  if (i > 0 && (i == text.size() || !isDigitChar(text[i]))) return value;
  return readInt(text);
}
double readDouble(std::string_view text);

int copyfile(const std::string& source, const std::string& target);
int appendWrappedToFile(const std::string& path, std::string_view text, int indent, int width);
int floatToInt(double x);
std::string& padRight(std::string& text, int width);
std::string& justifyText(std::string& text, int width, int mode);
std::string& trueFalseText(std::string& destination, int flag);
std::string& yesNoText(std::string& destination, int flag);
int containsChar(const char* text, char character);
long fileSize(std::FILE* file);
void sleepSeconds(int seconds);
std::string& ordinalSuffix(std::string& destination, int n);
std::string& monthName(std::string& destination, int month, int offset, int shortForm);
std::string& capitalise(std::string& text);
std::string& intToText(int value, std::string& destination, int radix);
std::string& longToText(long value, std::string& destination, int radix);

}  // namespace vyr
