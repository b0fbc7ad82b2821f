// Fuzz target: the data archive reader on any bytes. A sound archive must
// write back and read again to the same members; a damaged one must be
// refused with one of the reader's messages and leave no members.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "archive/files.h"
#include "text/buffer.h"

namespace {

// A file in memory that the archive class can open by path.
class MemoryFile {
 public:
  explicit MemoryFile(const char* name) : fd_(memfd_create(name, 0)) {
    if (fd_ < 0) std::abort();
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  ~MemoryFile() { close(fd_); }
  void clear() {
    if (ftruncate(fd_, 0) != 0) std::abort();
  }
  void put(const std::uint8_t* data, std::size_t size) {
    clear();
    if (size != 0 && pwrite(fd_, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
  }
  [[nodiscard]] const std::string& path() const { return path_; }

 private:
  int fd_;
  std::string path_;
};

// The members as "NAME\0line\0line\0\1" in list order.
std::string describe(vyr::FILES& files) {
  std::string out;
  for (int i = 1; i <= files.count(); ++i) {
    vyr::FILEOBJ* member = files.get(i);
    out += member->name();
    vyr::BUFFER* lines = member->getBuffer();
    for (int n = 1; n <= lines->lineCount(); ++n) {
      out += '\0';
      out += lines->lineString(n)->text();
    }
    out += '\1';
  }
  return out;
}

bool isReaderMessage(std::string_view message) {
  return message == "Damaged data archive in FILES::loadFiles." ||
         message == "Something is wrong the line should have already been added to the buffer." ||
         message == "Unable to allocate memory in FILES::loadFiles.";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFile input("archive");
  static MemoryFile copy("copy");
  input.put(data, size);
  vyr::FILES files(input.path());
  std::string message;
  if (files.readFiles(message) == 0) {
    if (!isReaderMessage(message) || files.count() != 0) std::abort();
    return 0;
  }
  // Members are written front first and read back to the front, so a copy
  // made front last reads back in the order of the original.
  copy.clear();
  vyr::FILES written(copy.path());
  for (int i = 1; i <= files.count(); ++i) {
    auto member = std::make_unique<vyr::FILEOBJ>(0, files.get(i)->name());
    (void)files.get(i)->getBuffer()->copyLines(*member->getBuffer(), 0, 0);
    if (written.addFront(std::move(member)) == 0) std::abort();
  }
  if (written.writeFiles(message) == 0) std::abort();
  vyr::FILES reread(copy.path());
  if (reread.readFiles(message) == 0 || describe(reread) != describe(files)) std::abort();
  return 0;
}
