#include "vyrmail/vyrmail.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sysexits.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "vyrmail/mailparse.h"
#include "vyrmail/options.h"
#include "vyrmail/orderscheck.h"

namespace vyr {
namespace {

namespace fs = std::filesystem;

std::string utcNow() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  gmtime_r(&now, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

void logLine(const SETTINGS& settings, const std::string& line) {
  const std::string entry = utcNow() + " vyrmail game " + std::to_string(settings.gameNo) + ": " + line + "\n";
  if (settings.log.empty()) {
    std::fputs(entry.c_str(), stderr);
    return;
  }
  const int fd = ::open(settings.log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0 || ::write(fd, entry.data(), entry.size()) != static_cast<ssize_t>(entry.size())) {
    std::fputs(entry.c_str(), stderr);
  }
  if (fd >= 0) ::close(fd);
}

// Hands `message` to the sendmail command on its standard input; answers 1
// when the command took it (exit status 0).
int sendMessage(const std::string& command, const std::string& message, std::string& fault) {
  int pipeEnds[2];
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0) return fault = "no pipe for the sendmail command", 0;
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    return fault = "the sendmail command could not be started", 0;
  }
  if (child == 0) {
    ::dup2(pipeEnds[0], STDIN_FILENO);
    ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(pipeEnds[0]);
  std::size_t done = 0;
  while (done < message.size()) {
    const ssize_t n = ::write(pipeEnds[1], message.data() + done, message.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(pipeEnds[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return fault = "the sendmail command was lost", 0;
  }
  if (done < message.size()) return fault = "the sendmail command did not read the reply", 0;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    fault = "the sendmail command failed (" +
            (WIFEXITED(status) ? "status " + std::to_string(WEXITSTATUS(status)) : std::string("killed")) + ")";
    return 0;
  }
  return 1;
}

// Reads a whole stream; past `keep` bytes it only counts.
std::string readKept(int fd, long long keep, long long& total) {
  std::string bytes;
  std::string chunk(65536, '\0');
  total = 0;
  for (;;) {
    const ssize_t n = ::read(fd, chunk.data(), chunk.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    total += n;
    const long long room = keep - static_cast<long long>(bytes.size());
    if (room > 0) bytes.append(chunk.data(), static_cast<std::size_t>(std::min<long long>(room, n)));
  }
  return bytes;
}

std::string hostName() {
  std::string name(256, '\0');
  if (::gethostname(name.data(), name.size() - 1) != 0) return "localhost";
  name.resize(name.find('\0'));
  return name.empty() ? "localhost" : name;
}

int hashFromStdin() {
  long long total = 0;
  std::string password = readKept(STDIN_FILENO, 4096, total);
  while (!password.empty() && (password.back() == '\n' || password.back() == '\r')) password.pop_back();
  if (password.empty()) {
    std::fputs("vyrmail: --hash-password reads the password on standard input\n", stderr);
    return EX_USAGE;
  }
  if (!initSodium()) return EX_SOFTWARE;
  const std::string hash = hashPassword(password);
  if (hash.empty()) return EX_TEMPFAIL;
  std::printf("%s\n", hash.c_str());
  return EX_OK;
}

int runMaildir(const DESK& desk) {
  const std::string folder = desk.settings.maildir;
  std::vector<std::string> names;
  std::error_code code;
  for (fs::directory_iterator it(folder + "/new", code), end; !code && it != end; it.increment(code)) {
    const std::string name = it->path().filename().string();
    if (!name.empty() && name.front() != '.' && it->is_regular_file(code)) names.push_back(name);
  }
  if (code) {
    logLine(desk.settings, folder + "/new: cannot be read");
    return EX_TEMPFAIL;
  }
  std::sort(names.begin(), names.end());
  int status = EX_OK;
  for (const std::string& name : names) {
    const std::string path = folder + "/new/" + name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;  // taken by another run
    long long total = 0;
    const std::string bytes = readKept(fd, desk.settings.maxBytes + 1, total);
    ::close(fd);
    if (deliverMail(desk, bytes, total) != EX_OK) {
      status = EX_TEMPFAIL;  // left in new/ for the next run
      continue;
    }
    const std::string seen = folder + "/cur/" + (name.find(':') == std::string::npos ? name + ":2," : name);
    if (::rename(path.c_str(), seen.c_str()) != 0) {
      logLine(desk.settings, path + ": handled but not moved to cur/");
      status = EX_TEMPFAIL;
    }
  }
  return status;
}

}  // namespace

int deliverMail(const DESK& desk, std::string_view bytes, long long totalBytes) {
  HANDLING handling = handleMail(desk, bytes, totalBytes);
  const std::string who = handling.replyTo.empty() ? std::string("<>") : handling.replyTo;
  if (handling.tempFail) {
    logLine(desk.settings, who + ": deferred: " + handling.fault);
    return EX_TEMPFAIL;
  }
  std::string outcome = handling.summary;
  if (handling.answer) {
    std::string fault;
    if (desk.store && !desk.store->allowReply(handling.replyTo, desk.settings.maxReplies,
                                              static_cast<long long>(std::time(nullptr)), fault)) {
      outcome += "; not answered: over " + std::to_string(desk.settings.maxReplies) + " replies this hour";
    } else if (!sendMessage(desk.settings.sendmail, composeReply(handling.reply), fault)) {
      handling.filings.clear();  // abandons them: the retry files them again
      logLine(desk.settings, who + ": deferred: " + fault);
      return EX_TEMPFAIL;
    } else {
      outcome += "; answered";
    }
  }
  for (FILING& filing : handling.filings) {
    std::string fault;
    if (!STORE::commit(filing, fault)) {
      logLine(desk.settings, who + ": deferred: the store: " + fault);
      return EX_TEMPFAIL;
    }
  }
  logLine(desk.settings, who + ": " + outcome);
  return EX_OK;
}

int runVyrmail(int argc, char** argv) {
  std::vector<std::string_view> arguments(argv + 1, argv + argc);
  DESK desk;
  std::string fault;
  if (!parseVyrmailOptions(arguments, desk.settings, fault)) {
    std::fprintf(stderr, "vyrmail: %s\n%s", fault.c_str(), vyrmailUsage().c_str());
    return EX_USAGE;
  }
  const SETTINGS& settings = desk.settings;
  if (settings.help) {
    std::fputs(vyrmailUsage().c_str(), stdout);
    return EX_OK;
  }
  if (settings.version) {
    std::fputs("vyrmail " VYR_VERSION "\n", stdout);
    return EX_OK;
  }
  if (settings.hashPassword) return hashFromStdin();
  std::signal(SIGPIPE, SIG_IGN);  // a sendmail command that ends early is a failed reply, not our end
  ::umask(027);  // the store keeps the mails, passwords on header lines included: not for other users
  initMime();
  if (!initSodium()) {
    logLine(settings, "libsodium cannot be used");
    return EX_TEMPFAIL;
  }
  if (!loadOrdersData(settings.data, fault)) {
    logLine(settings, "the game data: " + fault);
    return EX_TEMPFAIL;
  }
  if (!settings.roster.empty()) {
    if (!loadRoster(settings.roster, desk.roster, fault)) {
      logLine(settings, "the roster: " + fault);
      return EX_TEMPFAIL;
    }
    desk.haveRoster = 1;
  }
  if (!settings.store.empty()) desk.store = std::make_unique<STORE>(settings.store, settings.gameNo);
  desk.from = settings.from.empty() ? "vyrmail@" + hostName() : settings.from;
  if (!settings.maildir.empty()) return runMaildir(desk);
  long long total = 0;
  const std::string bytes = readKept(STDIN_FILENO, settings.maxBytes + 1, total);
  return deliverMail(desk, bytes, total);
}

}  // namespace vyr
