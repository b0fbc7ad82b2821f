// vyrpack check: reads a data set from an archive or a directory of loose
// files and runs the member checks of tablecheck.h over it.
#include "datacheck/datacheck.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "archive/files.h"
#include "datacheck/tablecheck.h"
#include "gamedata/synworlds.h"
#include "text/paths.h"

namespace vyr {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// One member of the set: whether it is there, and its lines as the checker
// gets them.
struct Member {
  bool present = false;
  Lines lines;
};
using DataSet = std::map<std::string, Member>;  // by lower-case file name

int fail(std::string& error, std::string message) {
  error = std::move(message);
  return 0;
}

// The lines of a loose file as the text buffer loads them: a final newline
// adds no line, one carriage return before a newline goes, a NUL ends the
// text of its line. Bytes that the archive cannot hold are reported: packing
// refuses them.
void splitLooseFile(const std::string& bytes, Member& member, REPORTER& report) {
  std::string line;
  int number = 1;
  bool reported = false;
  auto finish = [&] {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t nul = line.find('\0');
    if (nul != std::string::npos) line.resize(nul);
    member.lines.push_back(line);
    line.clear();
    ++number;
    reported = false;
  };
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\n') {
      finish();
      continue;
    }
    if ((byte == 0x00 || byte == 0xFE || byte == 0xFF) && !reported) {
      static constexpr char kDigits[] = "0123456789ABCDEF";
      report.error(number, std::string("the byte 0x") + kDigits[byte >> 4] + kDigits[byte & 0x0F] +
                               " cannot be stored in the archive: vyrpack create refuses the file");
      reported = true;
    }
    line.push_back(c);
  }
  if (!line.empty()) finish();
}

int readLooseSet(const std::string& directory, DataSet& set, std::vector<DataFinding>& findings) {
  for (const std::string& name : dataSetMembers()) {
    REPORTER report(findings, name);
    const std::string path = directory + "/" + name;
    FilePtr file(std::fopen(path.c_str(), "rb"));
    Member& member = set[name];
    std::string bytes;
    char block[1 << 14];
    std::size_t got = 0;
    // A directory opens, but its reading fails.
    if (file) {
      while ((got = std::fread(block, 1, sizeof block, file.get())) > 0) bytes.append(block, got);
      if (std::ferror(file.get()) != 0) file.reset();
    }
    if (!file) {
      report.error(0, std::string(pathExists(path) ? "cannot be read" : "missing") +
                          ": vyrpack create refuses the directory, and a loose load stops");
      continue;
    }
    member.present = true;
    splitLooseFile(bytes, member, report);
  }
  return 1;
}

int readArchiveSet(const std::string& path, DataSet& set, std::vector<DataFinding>& findings,
                   std::string& error) {
  FILES files(path);
  std::string message;
  if (!files.readFiles(message)) return fail(error, path + ": " + message);
  std::map<std::string, int> records;
  for (int i = 1; i <= files.count(); ++i) ++records[files.get(i)->name()];
  for (const std::string& name : dataSetMembers()) {
    REPORTER report(findings, name);
    FILEOBJ* found = files.findFile(name);
    Member& member = set[name];
    if (found == nullptr) {
      report.warning(0, "missing from the archive: the checker reads it as empty");
      continue;
    }
    member.present = true;
    BUFFER* lines = found->getBuffer();
    for (int n = 1; n <= lines->lineCount(); ++n) member.lines.push_back(lines->lineString(n)->text());
    if (records[found->name()] > 1) {
      report.warning(
          0, "stored " + std::to_string(records[found->name()]) + " times: only the last record is read");
    }
  }
  return 1;
}

std::string plural(int count, const char* word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

}  // namespace

std::vector<std::string> dataSetMembers() {
  std::vector<std::string> names{"vyrsyn.dat", SYNWORLDS::kWorldFile};
  for (const char* table : SYNWORLDS::kTableFiles) names.emplace_back(table);
  return names;
}

std::string formatDataFinding(const DataFinding& finding) {
  std::string text = finding.member;
  if (finding.line > 0) text += ":" + std::to_string(finding.line);
  return text + (finding.isError ? ": error: " : ": warning: ") + finding.text;
}

int checkDataSet(const std::string& path, std::vector<DataFinding>& findings, std::string& error) {
  std::error_code failure;
  DataSet set;
  if (std::filesystem::is_directory(path, failure)) {
    readLooseSet(path, set, findings);
  } else if (!fileExists(path)) {
    return fail(error, "cannot open " + path + " for reading");
  } else if (!readArchiveSet(path, set, findings, error)) {
    return 0;
  }
  for (const auto& [name, member] : set) {
    if (!member.present || !member.lines.empty()) continue;
    REPORTER report(findings, name);
    report.error(0, "empty: the file has no lines (a loose load of it stops the run)");
  }
  {
    REPORTER report(findings, "vyrsyn.dat");
    if (set["vyrsyn.dat"].present) checkCommandTable(set["vyrsyn.dat"].lines, report);
  }
  std::set<int> worlds;
  const Member& worldFile = set[SYNWORLDS::kWorldFile];
  if (worldFile.present) {
    REPORTER report(findings, SYNWORLDS::kWorldFile);
    worlds = checkWorldFile(worldFile.lines, report);
  }
  for (const char* name : SYNWORLDS::kTableFiles) {
    const Member& table = set[name];
    if (!table.present) continue;
    REPORTER report(findings, name);
    checkDataTable(table.lines, worldFile.present ? &worlds : nullptr,
                   std::string_view(name) == "vyrspell.dat", report);
  }
  // Member by member in archive order, line by line.
  const std::vector<std::string> order = dataSetMembers();
  auto rank = [&](const DataFinding& f) {
    return std::make_pair(std::find(order.begin(), order.end(), f.member) - order.begin(), f.line);
  };
  std::stable_sort(findings.begin(), findings.end(),
                   [&](const DataFinding& a, const DataFinding& b) { return rank(a) < rank(b); });
  return 1;
}

std::string summariseDataCheck(const std::vector<DataFinding>& findings) {
  int errors = 0;
  for (const DataFinding& finding : findings) errors += finding.isError;
  const int warnings = static_cast<int>(findings.size()) - errors;
  return "vyrpack check: " + plural(errors, "error") + ", " + plural(warnings, "warning") + "\n";
}

}  // namespace vyr
