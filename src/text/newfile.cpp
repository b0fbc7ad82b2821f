#include "text/newfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace vyr {
namespace {

// A temporary name keeps at most this many bytes of the final name, so that it
// stays within the file system's limit for one name component.
constexpr std::size_t kMaxNameInTemporary = 200;

mode_t newFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

int writeAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return 0;
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return 1;
}

// "<dir>/.<name>.XXXXXX" for "<dir>/<name>", ".<name>.XXXXXX" for a bare name.
std::string temporaryTemplate(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t nameLength = std::min(path.size() - nameStart, kMaxNameInTemporary);
  return path.substr(0, nameStart) + "." + path.substr(nameStart, nameLength) + ".XXXXXX";
}

// Syncs the directory holding `path`, so that a name just made in it lasts.
// A file system that cannot sync a directory (EINVAL) keeps names without it.
int syncDirectory(const std::string& path, SyncFunction sync) {
  const std::size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 0;
  const int ok = sync(fd) == 0 || errno == EINVAL;
  ::close(fd);
  return ok;
}

}  // namespace

int writeNewFileByLink(const std::string& path, std::string_view text, int* linkUnsupported,
                       SyncFunction sync) {
  if (linkUnsupported != nullptr) *linkUnsupported = 0;
  if (sync == nullptr) sync = ::fsync;
  std::string temporary = temporaryTemplate(path);
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return 0;
  int ok = ::fchmod(fd, newFileMode()) == 0 && writeAll(fd, text) && sync(fd) == 0;
  if (::close(fd) != 0) ok = 0;
  if (ok && ::link(temporary.c_str(), path.c_str()) != 0) {
    if (linkUnsupported != nullptr && (errno == EPERM || errno == EOPNOTSUPP)) *linkUnsupported = 1;
    ok = 0;
  } else if (ok && !syncDirectory(path, sync)) {
    ::unlink(path.c_str());  // the link just made: nothing else can stand there
    ok = 0;
  }
  ::unlink(temporary.c_str());
  return ok;
}

int writeNewFileExclusive(const std::string& path, std::string_view text, SyncFunction sync) {
  if (sync == nullptr) sync = ::fsync;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return 0;
  int ok = writeAll(fd, text) && sync(fd) == 0;
  if (::close(fd) != 0) ok = 0;
  if (ok && !syncDirectory(path, sync)) ok = 0;
  if (!ok) ::unlink(path.c_str());
  return ok;
}

int writeNewFile(const std::string& path, std::string_view text) {
  int linkUnsupported = 0;
  if (writeNewFileByLink(path, text, &linkUnsupported)) return 1;
  return linkUnsupported ? writeNewFileExclusive(path, text) : 0;
}

}  // namespace vyr
