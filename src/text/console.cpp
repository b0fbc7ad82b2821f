// Interactive prompts and file paging on standard output and standard input.
#include "text/console.h"

#include <cctype>
#include <cstring>
#include <string_view>
#include <vector>

#include "text/fatal.h"
#include "text/numbers.h"

namespace vyr {

namespace {

constexpr const char* kEndOfInput = "End of input while waiting for an answer.";

void write(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

// Reads the next answer after the question has been written. At end of input
// the prompt cannot be answered: with a default the caller takes it, without
// one the run ends here.
bool readAnswer(std::string& answer, bool hasDefault) {
  std::fflush(stdout);
  if (readConsoleLine(answer) == 1) return true;
  if (!hasDefault) fatalError(kEndOfInput);
  return false;
}

// Reads an integer as the "%d" conversion does: white space, an optional
// sign, then at least one digit; anything after the digits is ignored.
bool scanInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

// Shared loop of promptInt and promptLong, which differ only in the type.
template <typename Number>
Number promptWhole(const char* question, Number defaultValue) {
  const bool hasDefault = defaultValue != kNoIntDefault;
  std::string answer;
  for (;;) {
    if (question != nullptr) {
      write(question);
      if (defaultValue != kNoIntDefault) write(" (" + std::to_string(defaultValue) + ")");
      write(" : ");
    } else {
      write("Enter Value:- ");
    }
    if (!readAnswer(answer, hasDefault)) return defaultValue;
    if (answer.empty() && hasDefault) return defaultValue;
    if (scanInteger(answer)) return static_cast<Number>(readLong(answer));
  }
}

}  // namespace

int promptInt(const char* question, int defaultValue) { return promptWhole<int>(question, defaultValue); }

long promptLong(const char* question, long defaultValue) { return promptWhole<long>(question, defaultValue); }

float promptFloat(const char* question, float defaultValue) {
  const bool hasDefault = defaultValue != kNoFloatDefault;
  std::string answer;
  for (;;) {
    if (question != nullptr) {
      write(question);
      if (defaultValue != kNoFloatDefault) std::printf(" (%.3f)", static_cast<double>(defaultValue));
      write(" : ");
    } else {
      write("Enter Value:- ");
    }
    if (!readAnswer(answer, hasDefault)) return defaultValue;
    if (answer.empty() && hasDefault) return defaultValue;
    float value = 0.0f;
    if (std::sscanf(answer.c_str(), "%f", &value) == 1) return value;
  }
}

int promptYesNo(const char* question, int defaultValue) {
  const int fallback = defaultValue == 1 ? 1 : 0;
  std::string answer;
  for (;;) {
    if (question != nullptr) write(question);
    write(" (Yes/No) ");
    write(fallback == 1 ? "Yes" : "No");
    write(" ? ");
    if (!readAnswer(answer, true)) return fallback;
    const int parsed = parseYesNo(std::string_view(answer));
    if (parsed == -2) return fallback;
    if (parsed >= 0) return parsed;
  }
}

std::string& promptText(std::string& destination, const char* question, const char* defaultValue) {
  const bool hasDefault = defaultValue != nullptr && *defaultValue != '\0';
  destination = hasDefault ? defaultValue : "";
  std::string answer;
  for (;;) {
    write(question != nullptr ? question : "Enter Data");
    if (hasDefault) {
      write(" (");
      write(defaultValue);
      write(")");
    }
    write(" : ");
    if (!readAnswer(answer, hasDefault)) return destination;
    if (!answer.empty()) {
      destination = answer;
      return destination;
    }
    if (hasDefault) return destination;
    write("Must Input Data Try Again.\n");
  }
}

void pageFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) {
    std::printf("Unable to open %s.  (Check Filename).\n", path.c_str());
    return;
  }
  // A page holds about 23 screen lines of 80 columns; a file line is read in
  // pieces of up to 9,999 characters, each counting as its own line.
  constexpr int kPiece = 10000;
  constexpr std::size_t kScreenWidth = 80;
  constexpr std::size_t kPageLines = 23;
  std::vector<char> piece(kPiece);
  std::size_t used = 0;
  while (std::fgets(piece.data(), kPiece, file) != nullptr) {
    const std::size_t length = std::strlen(piece.data());
    const std::size_t screenLines = length / kScreenWidth + 1;
    used += screenLines;
    if (used > kPageLines) {
      std::printf("*** MORE *** (Press Enter For Next Page) Viewing (%s)", path.c_str());
      waitForEnter();
      used = screenLines;
    }
    std::fwrite(piece.data(), 1, length, stdout);
  }
  write("*** FINISHED *** (Press Enter to Return to Program) \n");
  waitForEnter();
  std::fclose(file);
}

int showFile(std::FILE* stream, const std::string& path) {
  if (stream == nullptr) return 0;
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) return 0;
  char block[4096];
  std::size_t got;
  while ((got = std::fread(block, 1, sizeof block, file)) > 0) std::fwrite(block, 1, got, stream);
  std::fclose(file);
  return 1;
}

int showFileFormatted(std::FILE* stream, const char* format, int number) {
  if (format == nullptr) return 0;
  const int length = std::snprintf(nullptr, 0, format, number);
  if (length < 0) return 0;
  std::string path(static_cast<std::size_t>(length), '\0');
  std::snprintf(path.data(), path.size() + 1, format, number);
  return showFile(stream, path);
}

}  // namespace vyr
