// Files and paths: existence tests, the whole-file copy, appending wrapped text, path joining.
#include "text/paths.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <new>
#include <thread>

#include "text/fatal.h"
#include "text/words.h"

namespace vyr {

int fileExists(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) return 0;
  std::fclose(file);
  return 1;
}

int pathExists(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0 ? 1 : 0;
}

int copyfile(const std::string& source, const std::string& target) {
  std::FILE* in = std::fopen(source.c_str(), "rb");
  if (in == nullptr) return 0;
  std::FILE* out = std::fopen(target.c_str(), "wb");
  if (out == nullptr) {
    std::fclose(in);
    return 0;
  }
  constexpr std::size_t kBlock = 65000;
  std::unique_ptr<char[]> block(new (std::nothrow) char[kBlock]);
  if (!block) fatalError("Unable to allocate memory in UTILS,copyfile.");
  std::size_t got;
  while ((got = std::fread(block.get(), 1, kBlock, in)) > 0) std::fwrite(block.get(), 1, got, out);
  std::fclose(in);
  std::fclose(out);
  return 1;
}

int appendWrappedToFile(const std::string& path, std::string_view text, int indent, int width) {
  std::FILE* file = std::fopen(path.c_str(), "a");
  if (file == nullptr) {
    std::fprintf(stderr, "Unable to open file for writing: %s!\n", path.c_str());
    return 0;
  }
  int written = 0;
  if (indent < width) {
    int spaces = 0;
    while (static_cast<std::size_t>(spaces) < text.size() && text[spaces] == ' ') ++spaces;
    if (indent + spaces < width) {
      std::string wrapped;
      std::string line(static_cast<std::size_t>(indent + spaces > 0 ? indent + spaces : 0), ' ');
      line += wrapText(wrapped, text, indent + spaces, width, 0);
      if (text.empty() || text.back() != '\n') line += '\n';
      std::fwrite(line.data(), 1, line.size(), file);
      written = 1;
    }
  }
  std::fclose(file);
  return written;
}

long fileSize(std::FILE* file) {
  if (file == nullptr) return 0;
  long here = std::ftell(file);
  std::fseek(file, 0, SEEK_END);
  long size = std::ftell(file);
  std::fseek(file, here, SEEK_SET);
  return size;
}

void sleepSeconds(int seconds) {
  if (seconds > 0) std::this_thread::sleep_for(std::chrono::seconds(seconds));
}

std::string& joinPath(std::string& destination, const char* p1, const char* p2, const char* p3,
                      const char* p4, const char* p5, const char* p6) {
  std::string path;
  for (const char* part : {p1, p2, p3, p4, p5, p6}) {
    if (part == nullptr) continue;
    path += '/';
    path += part;
  }
  destination = std::move(path);
  return destination;
}

}  // namespace vyr
