// Interactive console prompts on standard output and standard input. No step
// of a checking run calls them. At end of input a prompt that has a default
// answers it; one without a default ends the run through `fatalError`, so that
// no prompt asks forever.
#pragma once

#include <cstdio>
#include <string>

namespace vyr {

inline constexpr int kNoIntDefault = 2147483647;
inline constexpr float kNoFloatDefault = 3.4028235e38f;

int promptInt(const char* question, int defaultValue);
long promptLong(const char* question, long defaultValue);
float promptFloat(const char* question, float defaultValue);
int promptYesNo(const char* question, int defaultValue);
std::string& promptText(std::string& destination, const char* question, const char* defaultValue);
void pageFile(const std::string& path);
int showFile(std::FILE* stream, const std::string& path);
int showFileFormatted(std::FILE* stream, const char* format, int number);

}  // namespace vyr
