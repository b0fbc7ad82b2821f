// Files and paths: existence tests, the whole-file copy, appending wrapped
// text to a file, path joining.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace vyr {

// 1 when the file can be opened for reading.
int fileExists(const std::string& path);

// 1 when anything exists at the path: a file of any kind, also one that cannot
// be read, a directory or a dangling symbolic link.
int pathExists(const std::string& path);

// Appends "/" and each present part in order: ("a", "b") gives "/a/b".
std::string& joinPath(std::string& destination, const char* p1 = nullptr, const char* p2 = nullptr,
                      const char* p3 = nullptr, const char* p4 = nullptr, const char* p5 = nullptr,
                      const char* p6 = nullptr);

int copyfile(const std::string& source, const std::string& target);
int appendWrappedToFile(const std::string& path, std::string_view text, int indent, int width);
long fileSize(std::FILE* file);
void sleepSeconds(int seconds);

}  // namespace vyr
