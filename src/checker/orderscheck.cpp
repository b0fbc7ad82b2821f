#include "checker/orderscheck.h"

#include <cstdio>

#include "checker/ordersfile.h"
#include "checker/echomap.h"
#include "checker/suggester.h"
#include "text/utils.h"

namespace vyr {

ORDERSCHECK::ORDERSCHECK(int gameNo, int useArchive, const SUGGESTER* suggester)
    : gameNo_(gameNo), suggester_(suggester), checker_(std::make_unique<SYNTAX>(useArchive, 1)) {
  checker_->setFindingSink(this);
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
  written_.clear();
  for (int n = 1; n <= input_.lineCount(); ++n) {
    const STRING& line = *input_.lineString(n);
    if (isCheckLine(line)) continue;
    sourceLine_.push_back(sourceLines[static_cast<std::size_t>(n - 1)]);
    written_.emplace_back(line.text());
  }
}

void ORDERSCHECK::check() {
  deleteCheckLines(input_);
  checkAndSummarise(*checker_, input_, output_, gameNo_, &errors_, &warnings_);
}

void ORDERSCHECK::finding(int line, int field, int position, std::string_view echo, std::string_view message,
                          int isWarning) {
  FINDING& found = findings_.emplace_back();
  found.severity = isWarning ? SEVERITY::kWarning : SEVERITY::kError;
  found.message = message;
  if (line >= 1 && line <= static_cast<int>(written_.size())) {
    const auto index = static_cast<std::size_t>(line - 1);
    found.line = sourceLine_[index];
    found.column = ECHOMAP(written_[index]).column(position);
  }
  if (suggester_ != nullptr) found.suggestion = suggester_->suggest(message, echo, field);
}

}  // namespace vyr
