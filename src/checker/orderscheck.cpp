#include "checker/orderscheck.h"

#include <algorithm>
#include <cstdio>

#include "checker/ordersfile.h"
#include "checker/paramkinds.h"
#include "checker/suggester.h"
#include "text/utf8.h"
#include "text/utils.h"

namespace vyr {

ORDERSCHECK::ORDERSCHECK(int gameNo, int useArchive, const SUGGESTER* suggester)
    : gameNo_(gameNo), suggester_(suggester), checker_(std::make_unique<SYNTAX>(useArchive, 1)) {
  checker_->setFindingSink(this);
  checker_->setOriginRecord(&origins_);
}

ORDERSCHECK::~ORDERSCHECK() = default;

int ORDERSCHECK::loadFile(const std::string& path) {
  if (!fileExists(path)) return 0;
  const int lines = input_.loadBuffer(path, 0, 0);
  std::vector<int> sourceLines;
  for (int n = 1; n <= lines; ++n) sourceLines.push_back(n);
  recordWrittenLines(sourceLines);
  return 1;
}

void ORDERSCHECK::loadText(std::string_view bytes) {
  std::vector<int> sourceLines;
  if (!bytes.empty()) {
    // The stream reading works on a FILE; the bytes are read from memory.
    std::FILE* stream = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "r");
    if (stream == nullptr) fatalError("Unable to read the orders from memory.");
    readOrderLines(stream, input_, &sourceLines);
    std::fclose(stream);
  }
  recordWrittenLines(sourceLines);
}

// The byte-order mark goes first, as in VyrSyn's load; the lines that the
// check-line deletion will remove are left out of the record.
void ORDERSCHECK::recordWrittenLines(const std::vector<int>& sourceLines) {
  dropByteOrderMark(input_);
  sourceLine_.clear();
  for (int n = 1; n <= input_.lineCount(); ++n) {
    if (isCheckLine(*input_.lineString(n))) continue;
    sourceLine_.push_back(sourceLines[static_cast<std::size_t>(n - 1)]);
  }
}

void ORDERSCHECK::check() {
  deleteCheckLines(input_);
  checkAndSummarise(*checker_, input_, output_, gameNo_, &errors_, &warnings_);
}

namespace {

// The character and UTF-16 columns of the byte columns of a finding.
void placeInCharacters(FINDING& found, std::string_view written) {
  const auto before = [&](int column) {
    return written.substr(0, std::min(written.size(), static_cast<std::size_t>(column - 1)));
  };
  found.charColumn = countCodePoints(before(found.column)) + 1;
  found.endCharColumn = countCodePoints(before(found.endColumn)) + 1;
  found.utf16Column = countUtf16Units(before(found.column)) + 1;
  found.endUtf16Column = countUtf16Units(before(found.endColumn)) + 1;
}

}  // namespace

void ORDERSCHECK::finding(const CHECKREPORT& report) {
  FINDING& found = findings_.emplace_back();
  found.severity = report.isWarning ? SEVERITY::kWarning : SEVERITY::kError;
  found.message = report.message;
  found.code = findingCodeName(report.code);
  if (report.code == FINDINGCODE::kUnknownName && report.kind != nullptr)
    found.table = report.kind->tableName;
  const int line = report.line;
  if (line >= 1 && line <= static_cast<int>(origins_.size())) {
    const auto index = static_cast<std::size_t>(line - 1);
    const LINEORIGIN& origin = origins_[index];
    found.line = sourceLine_[index];
    found.column = origin.column(report.position);
    found.endColumn = report.position < 0 ? found.column : origin.endColumn(report.end);
    placeInCharacters(found, origin.written);
  }
  if (suggester_ != nullptr) found.suggestion = suggester_->suggest(report.code, report.kind, report.subject);
}

}  // namespace vyr
