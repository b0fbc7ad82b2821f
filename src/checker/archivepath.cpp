#include "checker/archivepath.h"

#include <unistd.h>

#include <climits>

#include "text/paths.h"

namespace vyr {

namespace {

constexpr char kArchiveName[] = "syntax.dat";

// The directory of the running executable, with its final '/', or "".
std::string executableDirectory() {
  std::string path(PATH_MAX, '\0');
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0) return {};
  path.resize(static_cast<std::size_t>(length));
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

std::string archiveBesideExecutable() { return executableDirectory() + kArchiveName; }

std::string defaultArchivePath(std::string_view programName) {
  const std::size_t slash = programName.rfind('/');
  const std::string named =
      (slash == std::string_view::npos ? std::string() : std::string(programName.substr(0, slash + 1))) +
      kArchiveName;
  if (slash != std::string_view::npos && fileExists(named)) return named;
  const std::string directory = executableDirectory();
  if (!directory.empty() && fileExists(directory + kArchiveName)) return directory + kArchiveName;
  return named;
}

}  // namespace vyr
