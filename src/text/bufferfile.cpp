// BUFFER's traffic with files and standard output: loading, saving, printing.
// Files move in large blocks; lines are cut out of the blocks in memory.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "text/buffer.h"
#include "text/charclass.h"
#include "text/fatal.h"

namespace vyr {

namespace {

// Below the heap's threshold for mapping blocks of their own, whose mapping and
// unmapping would cost more than a small run does.
constexpr std::size_t kBlockSize = 64 * 1024;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Writes the bytes gathered so far and empties the gathering area.
void writeOut(std::string& pending, std::FILE* file) {
  if (!pending.empty()) std::fwrite(pending.data(), 1, pending.size(), file);
  pending.clear();
}

// One raw line of a file (without its newline) as it becomes the line's text:
// a NUL byte ends the text, one carriage return at its end is dropped, and in
// trim mode white space at both ends goes.
std::string_view lineText(std::string_view raw, int trim) {
  if (const void* nul = std::memchr(raw.data(), '\0', raw.size())) {
    raw = raw.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - raw.data()));
  }
  if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
  if (trim != 0) {
    while (!raw.empty() && isSpaceChar(raw.front())) raw.remove_prefix(1);
    while (!raw.empty() && isSpaceChar(raw.back())) raw.remove_suffix(1);
  }
  return raw;
}

// Cuts the lines of a file out of the blocks it is read in and hands each to
// the buffer with the next key.
class LineLoader {
 public:
  using Keep = std::function<bool(std::string_view)>;

  // Without `keep` every line is taken.
  LineLoader(BUFFER& buffer, int firstKey, int trim, const Keep* keep)
      : buffer_(buffer), key_(firstKey), trim_(trim), keep_(keep) {}

  // Takes one block; a line that runs past its end waits in `partial_`.
  void feed(std::string_view block) {
    while (!block.empty()) {
      const void* newline = std::memchr(block.data(), '\n', block.size());
      if (newline == nullptr) {
        partial_.append(block);
        return;
      }
      const auto length = static_cast<std::size_t>(static_cast<const char*>(newline) - block.data());
      if (partial_.empty()) {
        addLine(block.substr(0, length));
      } else {
        partial_.append(block.substr(0, length));
        addLine(partial_);
        partial_.clear();
      }
      block.remove_prefix(length + 1);
    }
  }

  // At the end of the file a last line without a newline is still taken.
  void finish() {
    if (!partial_.empty()) addLine(partial_);
    partial_.clear();
  }

  [[nodiscard]] int added() const { return added_; }
  [[nodiscard]] int read() const { return read_; }

 private:
  void addLine(std::string_view raw) {
    const std::string_view text = lineText(raw, trim_);
    ++read_;
    if (keep_ == nullptr || (*keep_)(text)) {
      if (!buffer_.add(std::make_unique<LINESTR>(key_, text))) {
        fatalError("Uable to add line to into the text buffer.");
      }
      ++added_;
    }
    ++key_;
  }

  BUFFER& buffer_;
  int key_;
  int trim_;
  const Keep* keep_;
  int added_ = 0;
  int read_ = 0;
  std::string partial_;
};

}  // namespace

namespace {

// Reads the file through the loader; false when it cannot be opened.
bool loadThrough(const std::string& path, LineLoader& loader) {
  const File file(std::fopen(path.c_str(), "r"));
  if (!file) return false;
  const auto block = std::unique_ptr<char[]>(new char[kBlockSize]);  // read into at once: left unset
  std::size_t got = 0;
  while ((got = std::fread(block.get(), 1, kBlockSize, file.get())) > 0) {
    loader.feed(std::string_view(block.get(), got));
  }
  loader.finish();
  return true;
}

}  // namespace

int BUFFER::loadBuffer(const std::string& path, int append, int trim) {
  LineLoader loader(*this, firstLoadKey(append), trim, nullptr);
  return loadThrough(path, loader) ? loader.added() : 0;
}

int BUFFER::loadBuffer(const std::string& path, int append, int trim,
                       const std::function<bool(std::string_view)>& keep) {
  LineLoader loader(*this, firstLoadKey(append), trim, &keep);
  return loadThrough(path, loader) ? loader.read() : 0;
}

// Empties the buffer, or with `append` makes sure its keys are in order;
// answers the key of the first line to load.
int BUFFER::firstLoadKey(int append) {
  int firstKey = 1;
  if (append == 0) {
    clear();
  } else if (!isEmpty()) {
    markUnsorted();
    sortByKey();
    firstKey = get(count())->key() + 1;
  }
  return firstKey;
}

int BUFFER::saveBuffer(const std::string& path, int append) {
  if (isEmpty()) return 0;
  const File file(std::fopen(path.c_str(), append != 0 ? "a" : "w"));
  if (!file) return 0;
  std::string pending;
  pending.reserve(kBlockSize + 1024);
  for (first(); !atEnd(); next()) {
    pending += current()->str().view();
    pending += '\n';
    if (pending.size() >= kBlockSize) writeOut(pending, file.get());
  }
  writeOut(pending, file.get());
  return 1;
}

void BUFFER::printBuffer(int linesPerPage, int numbered) {
  const int lines = lineCount();
  if (lines == 0) return;
  std::string pending;
  pending.reserve(kBlockSize + 1024);
  const auto waitForUser = [&pending]() {
    writeOut(pending, stdout);
    std::fflush(stdout);
    waitForEnter();
  };
  char number[32];
  for (int i = 1; i <= lines; ++i) {
    if (numbered != 0) {
      std::snprintf(number, sizeof number, "%-3ld ", static_cast<long>(i));
      pending += number;
    }
    pending += get(i)->str().view();
    pending += '\n';
    if (linesPerPage != 0 && i % linesPerPage == 0) {
      waitForUser();
    } else if (pending.size() >= kBlockSize) {
      writeOut(pending, stdout);
    }
  }
  if (linesPerPage != 0 && lines % linesPerPage != 0) {
    waitForUser();
  } else {
    writeOut(pending, stdout);
    std::fflush(stdout);
  }
}

}  // namespace vyr
