#include "vyrmail/store.h"

#include <fcntl.h>
#include <sodium.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vyr {
namespace {

namespace fs = std::filesystem;

std::string faultOf(const std::string& path) { return path + ": " + std::strerror(errno); }

int makeFolder(const std::string& path, std::string& error) {
  std::error_code code;
  fs::create_directories(path, code);
  if (code || !fs::is_directory(path, code)) {
    error = path + ": cannot be made a folder";
    return 0;
  }
  return 1;
}

// Writes `text` to `path` (which must not exist), synced to the disk.
int writeSynced(const std::string& path, const std::string& text, std::string& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = faultOf(path);
    return 0;
  }
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = faultOf(path);
      ::close(fd);
      ::unlink(path.c_str());
      return 0;
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    error = faultOf(path);
    ::unlink(path.c_str());
    return 0;
  }
  return 1;
}

int syncFolder(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 0;
  const int ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

std::string readAll(const std::string& path, int& found) {
  std::ifstream in(path, std::ios::binary);
  found = in ? 1 : 0;
  std::ostringstream text;
  if (in) text << in.rdbuf();
  return text.str();
}

std::vector<std::string_view> linesOf(const std::string& text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.emplace_back(text.data() + start, end - start);
    start = end + 1;
  }
  return lines;
}

std::string number4(int n) {
  std::string digits = std::to_string(n);
  return std::string(digits.size() < 4 ? 4 - digits.size() : 0, '0') + digits;
}

// The highest history number in `folder`, 0 for none.
int lastNumber(const std::string& folder) {
  int last = 0;
  std::error_code code;
  for (fs::directory_iterator it(folder, code), end; !code && it != end; it.increment(code)) {
    const std::string name = it->path().filename().string();
    const std::size_t digits = name.size() - 4;  // NNNN.txt, more digits past 9999
    if (name.size() >= 8 && name.size() <= 13 && name.ends_with(".txt") &&
        std::all_of(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(digits),
                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
      last = std::max(last, std::stoi(name.substr(0, digits)));
    }
  }
  return last;
}

}  // namespace

FILING::FILING(FILING&& other) noexcept { *this = std::move(other); }

FILING& FILING::operator=(FILING&& other) noexcept {
  if (this != &other) {
    release();
    number = other.number;
    replaces = other.replaces;
    changedLines = other.changedLines;
    receipt = std::move(other.receipt);
    moves_ = std::move(other.moves_);
    folders_ = std::move(other.folders_);
    lock_ = other.lock_;
    other.moves_.clear();
    other.lock_ = -1;
  }
  return *this;
}

FILING::~FILING() { release(); }

void FILING::release() {
  for (const MOVE& move : moves_) ::unlink(move.from.c_str());
  moves_.clear();
  if (lock_ >= 0) ::close(lock_);  // closing drops the lock
  lock_ = -1;
}

STORE::STORE(std::string root, int gameNo)
    : root_(std::move(root)), gameDir_(root_ + "/game-" + std::to_string(gameNo)) {}

int STORE::prepare(const std::string& player, const std::string& orders, const std::string& rawMail,
                   FILING& filing, std::string& error) const {
  filing = FILING();
  const std::string folder = gameDir_ + "/" + safeName(player);
  const std::string history = folder + "/history";
  if (!makeFolder(history, error)) return 0;
  const std::string lockPath = folder + "/.lock";
  filing.lock_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (filing.lock_ < 0) {
    error = faultOf(lockPath);
    return 0;
  }
  while (::flock(filing.lock_, LOCK_EX) != 0) {
    if (errno != EINTR) {
      error = faultOf(lockPath);
      filing.release();
      return 0;
    }
  }
  int found = 0;
  const std::string before = readAll(folder + "/orders.txt", found);
  filing.replaces = found;
  filing.changedLines = found ? changedLineCount(before, orders) : 0;
  filing.receipt = receiptOf(orders);
  filing.number = lastNumber(history) + 1;
  const std::string stem = history + "/" + number4(filing.number);
  const std::string tmp = "/.tmp-" + std::to_string(::getpid()) + "-";
  const FILING::MOVE moves[] = {
      {history + tmp + "orders", stem + ".txt"},
      {history + tmp + "mail", stem + ".eml"},
      {folder + tmp + "orders", folder + "/orders.txt"},
      {folder + tmp + "mail", folder + "/mail.eml"},
  };
  for (const FILING::MOVE& move : moves) {
    ::unlink(move.from.c_str());  // left by a process of the same number that died
    const std::string& text = move.to.ends_with(".eml") ? rawMail : orders;
    if (!writeSynced(move.from, text, error)) {
      filing.release();
      return 0;
    }
    filing.moves_.push_back(move);
  }
  filing.folders_ = {history, folder, gameDir_, root_};
  return 1;
}

int STORE::commit(FILING& filing, std::string& error) {
  for (const FILING::MOVE& move : filing.moves_) {
    if (::rename(move.from.c_str(), move.to.c_str()) != 0) {
      error = faultOf(move.to);
      filing.release();
      return 0;
    }
  }
  filing.moves_.clear();
  for (const std::string& folder : filing.folders_) syncFolder(folder);
  filing.release();
  return 1;
}

void STORE::abandon(FILING& filing) { filing.release(); }

int STORE::allowReply(const std::string& address, int limit, long long now, std::string& error) const {
  if (limit <= 0) return 1;
  const std::string folder = root_ + "/replies";
  if (!makeFolder(folder, error)) return 1;
  const std::string path = folder + "/" + safeName(address);
  const int fd = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd >= 0) ::flock(fd, LOCK_EX);
  int found = 0;
  std::istringstream in(readAll(path, found));
  std::string kept;
  int recent = 0;
  for (long long at = 0; in >> at;) {
    if (at > now - 3600 && at <= now) {
      ++recent;
      kept += std::to_string(at) + "\n";
    }
  }
  int allowed = recent < limit;
  if (allowed) {
    kept += std::to_string(now) + "\n";
    const std::string tmp = path + ".tmp-" + std::to_string(::getpid());
    ::unlink(tmp.c_str());
    if (writeSynced(tmp, kept, error) && ::rename(tmp.c_str(), path.c_str()) != 0) ::unlink(tmp.c_str());
  }
  if (fd >= 0) ::close(fd);
  return allowed;
}

std::string safeName(const std::string& name) {
  std::string safe;
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    const int kept = std::isalnum(byte) || (c != '\0' && std::strchr(".-_+@", c) != nullptr);
    safe.push_back(kept ? static_cast<char>(std::tolower(byte)) : '_');
  }
  if (safe.empty() || safe.front() == '.') safe.insert(safe.begin(), '_');
  return safe.substr(0, 200);
}

int changedLineCount(const std::string& before, const std::string& after) {
  const std::vector<std::string_view> a = linesOf(before);
  const std::vector<std::string_view> b = linesOf(after);
  // The common lines at both ends are matched first; the middle by the
  // longest common subsequence, when it is small enough to compute.
  std::size_t head = 0;
  while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
  std::size_t tail = 0;
  while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) ++tail;
  const std::size_t n = a.size() - head - tail;
  const std::size_t m = b.size() - head - tail;
  std::size_t common = 0;
  if (n > 0 && m > 0 && n * m <= 4'000'000) {
    std::vector<std::size_t> row(m + 1, 0);
    for (std::size_t i = 0; i < n; ++i) {
      std::size_t diagonal = 0;
      for (std::size_t j = 0; j < m; ++j) {
        const std::size_t up = row[j + 1];
        row[j + 1] = a[head + i] == b[head + j] ? diagonal + 1 : std::max(row[j], up);
        diagonal = up;
      }
    }
    common = row[m];
  }
  return static_cast<int>(std::max(n, m) - common);
}

std::string receiptOf(const std::string& text) {
  unsigned char hash[crypto_generichash_BYTES];
  crypto_generichash(hash, sizeof hash, reinterpret_cast<const unsigned char*>(text.data()), text.size(), nullptr, 0);
  std::string hex(sizeof hash * 2 + 1, '\0');
  sodium_bin2hex(hex.data(), hex.size(), hash, sizeof hash);
  hex.pop_back();
  return hex;
}

}  // namespace vyr
