// vyrpack's jobs, built on the archive class the checker itself reads with.
#include "vyrpack/packer.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "archive/files.h"
#include "datacheck/datacheck.h"
#include "gamedata/synworlds.h"
#include "text/paths.h"
#include "text/words.h"

namespace vyrpack {

namespace {

using vyr::BUFFER;
using vyr::FILEOBJ;
using vyr::FILES;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

int fail(std::string& error, std::string message) {
  error = std::move(message);
  return 0;
}

std::string hexByte(unsigned char byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return std::string("0x") + kDigits[byte >> 4] + kDigits[byte & 0x0F];
}

// The directory as a prefix that a file name can follow directly.
std::string directoryPrefix(const std::string& directory) {
  if (directory.empty()) return "./";
  return directory.back() == '/' ? directory : directory + "/";
}

// A member name must make a plain file name within one directory, and its
// bytes must be storable in the archive.
int checkMemberName(const std::string& name, std::string& error) {
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
    return fail(error, "'" + name + "' cannot be a member name (it must be a plain file name)");
  }
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\n' || byte == 0xFE || byte == 0xFF) {
      return fail(error, "member name '" + name + "' holds the byte " + hexByte(byte) + ", which cannot be stored");
    }
  }
  return 1;
}

int readWholeFile(const std::string& path, std::string& bytes, std::string& error) {
  FilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) return fail(error, "cannot open " + path + " for reading");
  bytes.clear();
  std::vector<char> block(std::size_t{1} << 16);
  std::size_t got = 0;
  while ((got = std::fread(block.data(), 1, block.size(), file.get())) > 0) bytes.append(block.data(), got);
  if (std::ferror(file.get()) != 0) return fail(error, "cannot read " + path);
  return 1;
}

// Every byte of a loose file must come back out of the archive unchanged:
// a NUL would cut its line, 0xFE and 0xFF cannot be stored at all.
int checkStorableText(const std::string& path, const std::string& bytes, std::string& error) {
  int line = 1;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\n') {
      ++line;
    } else if (byte == 0x00 || byte == 0xFE || byte == 0xFF) {
      return fail(error, path + ":" + std::to_string(line) + ": the byte " + hexByte(byte) +
                             " cannot be stored in the archive");
    }
  }
  return 1;
}

// Checks the names and the loose files of a create job before anything is written.
int checkCreateJob(const CreateJob& job, std::string& error) {
  std::set<std::string> seen;
  std::string stored;
  std::string bytes;
  for (const std::string& name : job.members) {
    if (!checkMemberName(name, error)) return 0;
    if (!seen.insert(vyr::toUpperCopy(stored, name)).second) {
      return fail(error, "member " + name + " is named twice (names ignore case)");
    }
    const std::string path = directoryPrefix(job.directory) + name;
    if (!readWholeFile(path, bytes, error) || !checkStorableText(path, bytes, error)) return 0;
  }
  return 1;
}

int loadArchive(FILES& files, std::string& error) {
  if (!vyr::fileExists(files.path())) return fail(error, "cannot open " + files.path() + " for reading");
  std::string message;
  if (!files.readFiles(message)) return fail(error, files.path() + ": " + message);
  return 1;
}

// The members to extract, in file order: each named one, or every member
// whose record is the one a lookup of its name finds (the later record of a
// repeated name).
int chooseMembers(FILES& files, const ExtractJob& job, std::vector<FILEOBJ*>& chosen, std::string& error) {
  chosen.clear();
  if (job.members.empty()) {
    for (int i = files.count(); i >= 1; --i) {
      FILEOBJ* member = files.get(i);
      if (files.findFile(member->name()) == member) chosen.push_back(member);
    }
    return 1;
  }
  for (const std::string& name : job.members) {
    FILEOBJ* member = files.findFile(name);
    if (member == nullptr) return fail(error, job.archive + " has no member " + name);
    if (std::find(chosen.begin(), chosen.end(), member) == chosen.end()) chosen.push_back(member);
  }
  return 1;
}

int writeLooseFile(const std::string& path, BUFFER& lines, std::string& error) {
  FilePtr file(std::fopen(path.c_str(), "wb"));
  if (!file) return fail(error, "cannot open " + path + " for writing");
  for (int n = 1; n <= lines.lineCount(); ++n) {
    const std::string& text = lines.lineString(n)->text();
    std::fwrite(text.data(), 1, text.size(), file.get());
    std::fputc('\n', file.get());
  }
  const int clean = std::ferror(file.get()) == 0;
  if (std::fclose(file.release()) != 0 || !clean) return fail(error, "cannot write " + path);
  return 1;
}

}  // namespace

int createArchive(const CreateJob& job, std::string& error) {
  if (!job.force && vyr::pathExists(job.archive)) {
    return fail(error, job.archive + " already exists (use --force to replace it)");
  }
  if (!checkCreateJob(job, error)) return 0;
  // Each member goes to the front and members are saved front first, so adding
  // them last to first writes them in the order given.
  const std::string partial = job.archive + ".part";
  FILES files(partial);
  for (auto name = job.members.rbegin(); name != job.members.rend(); ++name) {
    files.addFile(directoryPrefix(job.directory), *name);
  }
  std::string message;
  if (!files.writeFiles(message)) {
    std::remove(partial.c_str());
    return fail(error, "cannot write " + partial + ": " + message);
  }
  if (std::rename(partial.c_str(), job.archive.c_str()) != 0) {
    std::remove(partial.c_str());
    return fail(error, "cannot put the archive in place as " + job.archive);
  }
  return 1;
}

int listArchive(const std::string& archive, std::string& listing, std::string& error) {
  FILES files(archive);
  if (!loadArchive(files, error)) return 0;
  listing.clear();
  for (int i = files.count(); i >= 1; --i) {
    FILEOBJ* member = files.get(i);
    std::string count = std::to_string(member->getBuffer()->lineCount());
    if (count.size() < 7) count.insert(0, 7 - count.size(), ' ');
    listing += count + "  " + member->name() + "\n";
  }
  return 1;
}

int extractArchive(const ExtractJob& job, std::string& error) {
  FILES files(job.archive);
  std::vector<FILEOBJ*> chosen;
  if (!loadArchive(files, error) || !chooseMembers(files, job, chosen, error)) return 0;
  std::vector<std::string> paths;
  std::string lower;
  for (FILEOBJ* member : chosen) {
    if (!checkMemberName(vyr::toLowerCopy(lower, member->name()), error)) return 0;
    paths.push_back(directoryPrefix(job.directory) + lower);
    if (!job.force && vyr::pathExists(paths.back())) {
      return fail(error, paths.back() + " already exists (use --force to replace it)");
    }
  }
  std::error_code failure;
  if (!job.directory.empty()) std::filesystem::create_directories(job.directory, failure);
  if (failure) return fail(error, "cannot create the directory " + job.directory + ": " + failure.message());
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    if (!writeLooseFile(paths[i], *chosen[i]->getBuffer(), error)) return 0;
  }
  return 1;
}

}  // namespace vyrpack
