#include "checker/orderscheck.h"

#include <algorithm>

#include "checker/ordersfile.h"
#include "checker/paramkinds.h"
#include "checker/suggester.h"
#include "text/utf8.h"

namespace vyr {

namespace {

// Room for the findings of most files, made at once instead of by doubling.
constexpr std::size_t kFindingsAtFirst = 32;

// The lines of a source as the pass walks them, the one handed out last kept
// as read, for the findings reported while it is checked.
class WRITTENLINES final : public ORDERLINES {
 public:
  explicit WRITTENLINES(ORDERLINES& lines) : lines_(lines) {}
  int next(std::string_view& line) override {
    const int got = lines_.next(line);
    written = got != 0 ? line : std::string_view();
    return got;
  }
  int rewind() override { return lines_.rewind(); }
  [[nodiscard]] int needsPreparing() const override { return lines_.needsPreparing(); }
  void startChecking() override { lines_.startChecking(); }
  void finish() override { lines_.finish(); }

  std::string_view written;

 private:
  ORDERLINES& lines_;
};

}  // namespace

ORDERSCHECK::ORDERSCHECK(int gameNo, int useArchive, const SUGGESTER* suggester, OUTTEXT* output)
    : gameNo_(gameNo), suggester_(suggester), output_(output), checker_(std::make_unique<SYNTAX>(useArchive, 1)) {
  checker_->setFindingSink(this);
  checker_->setStopAtTableFault(1);
}

void ORDERSCHECK::setNotes(int notes) { checker_->setNotes(notes); }

void ORDERSCHECK::setOrders(int orders) { checker_->setOrderSink(orders != 0 ? this : nullptr); }

void ORDERSCHECK::order(const ORDERREPORT& report) {
  ORDERPLACE& place = orders_.emplace_back();
  place.line = fromFile_ != 0 ? file_.lineNumber() : text_.lineNumber();
  place.command = report.command;
  place.scope = report.scope;
  place.isShire = report.isShire;
  place.underShire = report.underShire;
  place.opensShire = report.opensShire;
  place.isHeader = report.isHeader;
}

ORDERSCHECK::~ORDERSCHECK() = default;

int ORDERSCHECK::loadFile(const std::string& path) {
  if (!file_.open(path)) return 0;
  fromFile_ = 1;
  expectedSize_ = file_.fileSize();
  return 1;
}

void ORDERSCHECK::loadText(std::string_view bytes) {
  text_.reset(bytes);
  fromFile_ = 0;
  expectedSize_ = bytes.size();
}

void ORDERSCHECK::check() {
  if (output_ == nullptr) {
    ownOutput_ = std::make_unique<OUTTEXT>(expectedSize_);
    output_ = ownOutput_.get();
  } else {
    output_->clear();
  }
  findings_.reserve(kFindingsAtFirst);
  WRITTENLINES lines(fromFile_ != 0 ? static_cast<ORDERLINES&>(file_) : text_);
  written_ = &lines.written;
  checkAndSummarise(*checker_, lines, *output_, gameNo_, &errors_, &warnings_);
  written_ = nullptr;
  if (checker_->orderLines() == 0 && !stoppedOnTableFault()) {
    noOrders_ = 1;
    FINDING& found = findings_.emplace_back();
    found.message = "ERROR: No Orders In This File.";
    found.code = findingCodeName(FINDINGCODE::kNoOrders);
  }
}

std::string ORDERSCHECK::stopReason() const {
  const TABLEFAULT& fault = checker_->tableFault();
  if (fault.line == 0) return {};
  const int line = faultLine_ != 0 ? faultLine_ : fault.line;
  return "the order on line " + std::to_string(line) +
         " reaches a fault of the command table (Unknown Syntax Parameter.): the slot word '" + fault.slot +
         "' of " + fault.command + " is no parameter kind";
}

namespace {

bool isAscii(std::string_view text) {
  unsigned char high = 0;
  for (const char c : text) high |= static_cast<unsigned char>(c);
  return high < 0x80;
}

// The character and UTF-16 columns of the byte columns of a finding. Most
// lines are ASCII up to the finding's end, where every unit is a byte.
void placeInCharacters(FINDING& found, std::string_view written) {
  const auto before = [&](int column) {
    return written.substr(0, std::min(written.size(), static_cast<std::size_t>(column - 1)));
  };
  if (isAscii(before(std::max(found.column, found.endColumn)))) {
    found.charColumn = found.utf16Column = static_cast<int>(before(found.column).size()) + 1;
    found.endCharColumn = found.endUtf16Column = static_cast<int>(before(found.endColumn).size()) + 1;
    return;
  }
  found.charColumn = countCodePoints(before(found.column)) + 1;
  found.endCharColumn = countCodePoints(before(found.endColumn)) + 1;
  found.utf16Column = countUtf16Units(before(found.column)) + 1;
  found.endUtf16Column = countUtf16Units(before(found.endColumn)) + 1;
}

}  // namespace

const LINEORIGIN& ORDERSCHECK::originOf(int line) {
  if (line != originLine_) {
    (void)SYNTAX::prepareLine(*written_, work_, &origin_);
    originLine_ = line;
    originSourceLine_ = fromFile_ != 0 ? file_.lineNumber() : text_.lineNumber();
  }
  return origin_;
}

void ORDERSCHECK::finding(const CHECKREPORT& report) {
  FINDING& found = findings_.emplace_back();
  found.severity = report.isNote ? SEVERITY::kNote : report.isWarning ? SEVERITY::kWarning : SEVERITY::kError;
  found.message = report.message;
  found.code = findingCodeName(report.code);
  if (report.code == FINDINGCODE::kUnknownName && report.kind != nullptr)
    found.table = report.kind->tableName;
  // The game-number warning (line 0) stands at the start of the text.
  if (report.line >= 1 && written_ != nullptr) {
    const LINEORIGIN& origin = originOf(report.line);
    found.line = originSourceLine_;
    found.column = origin.column(report.position);
    found.endColumn = report.position < 0 ? found.column : origin.endColumn(report.end);
    placeInCharacters(found, origin.written);
    if (report.code == FINDINGCODE::kTableFault) faultLine_ = found.line;
  }
  if (suggester_ == nullptr) return;
  found.suggestion = report.suggestion.empty() ? suggester_->suggest(report.code, report.kind, report.subject)
                                               : std::string(report.suggestion);
}

}  // namespace vyr
