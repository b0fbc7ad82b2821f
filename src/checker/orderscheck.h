// The check of one orders file for the batch checker: read as VyrSyn reads it
// (a file in blocks, bytes as standard input is cut), its earlier check lines
// left out, prepared and checked by the same functions, with every finding
// placed in the file as the player wrote it.
//
// ORDERSCHECK owns the source of the lines and its checker, whose current
// shire starts fresh, and writes the annotated copy (byte for byte what VyrSyn
// writes) into a text of its own or one it is given. A finding is placed when
// the check reports it, while its line is the one the source handed out last:
// the source's count gives the line in the file as written (check lines of an
// earlier run counted), and the pre-pass run again on that line with its
// origin recorded maps the finding's bytes back into the line as read
// (byte-order mark gone).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "findings/finding.h"
#include "checker/lineorigin.h"
#include "checker/orderlines.h"
#include "checker/syntax.h"
#include "text/outtext.h"

namespace vyr {

class SUGGESTER;

class ORDERSCHECK : private FINDINGSINK, private ORDERSINK {
 public:
  // `suggester` may be null: then no finding carries a suggestion. The shared
  // game data must be loaded; `useArchive` is passed to the checker. With
  // `output`, the annotated copy is written there (what it held is dropped
  // when the check starts) instead of into a text of the check's own.
  ORDERSCHECK(int gameNo, int useArchive, const SUGGESTER* suggester, OUTTEXT* output = nullptr);
  ~ORDERSCHECK() override;
  ORDERSCHECK(const ORDERSCHECK&) = delete;
  ORDERSCHECK& operator=(const ORDERSCHECK&) = delete;

  // The orders from a file, read as VyrSyn reads an input file. Answers 0
  // when the file cannot be opened for reading (a directory cannot); an empty
  // file gives no line.
  int loadFile(const std::string& path);
  // The orders from the bytes of a stream, cut as VyrSyn reads standard
  // input. The bytes are read where they are: they must stay until check()
  // has returned.
  void loadText(std::string_view bytes);

  // With 1, the findings include notes (severity note): what the checks let
  // pass but the player most likely did not mean. Set before check().
  void setNotes(int notes);
  // With 1, every order line checked is recorded (orders()). Set before check().
  void setOrders(int orders);
  [[nodiscard]] std::vector<ORDERPLACE> takeOrders() { return std::move(orders_); }

  // Runs the check pass over the lines without their earlier check lines;
  // fills the annotated copy and the findings. Runs once per object. An order
  // that reaches a slot word of the command table that is no parameter kind
  // stops the check there (tableFault()); the findings before it are kept and
  // one finding of code table-fault marks the order. A file without any order
  // line gets one error finding of code no-orders at line 1, column 1.
  void check();

  // 1 when the check stopped on a fault of the command table.
  [[nodiscard]] int stoppedOnTableFault() const { return checker_->tableFault().line != 0; }
  // Why the check stopped, in plain words, or "".
  [[nodiscard]] std::string stopReason() const;
  // 1 when the file holds no order line (the no-orders finding was given).
  [[nodiscard]] int holdsNoOrders() const { return noOrders_; }

  [[nodiscard]] int errors() const { return errors_; }
  [[nodiscard]] int warnings() const { return warnings_; }
  [[nodiscard]] const std::vector<FINDING>& findings() const { return findings_; }
  // The findings, moved out of the check.
  [[nodiscard]] std::vector<FINDING> takeFindings() { return std::move(findings_); }
  // The annotated copy, every line followed by '\n'; valid while the text it
  // was written into is neither changed nor gone.
  [[nodiscard]] std::string_view annotated() const { return output_ != nullptr ? output_->view() : std::string_view(); }

 private:
  void finding(const CHECKREPORT& report) override;
  void order(const ORDERREPORT& report) override;
  // Where the bytes of the line being checked came from, found once per line
  // with findings; `line` is the check pass's line number.
  const LINEORIGIN& originOf(int line);

  int gameNo_;
  const SUGGESTER* suggester_;
  FILEORDERLINES file_;
  TEXTORDERLINES text_;
  int fromFile_ = 0;
  std::size_t expectedSize_ = 0;  // the bytes of the orders, for the size of a text of the check's own
  OUTTEXT* output_;
  std::unique_ptr<OUTTEXT> ownOutput_;
  std::unique_ptr<SYNTAX> checker_;
  const std::string_view* written_ = nullptr;  // during check(): the line handed out last, as read
  LINEORIGIN origin_;                          // of the pass's line originLine_
  int originLine_ = 0;
  int originSourceLine_ = 0;  // the line of the file or text that line is
  std::string work_;          // the pre-pass's working area for origin_
  int faultLine_ = 0;         // the line of the file of the order that reached a table fault
  std::vector<FINDING> findings_;
  std::vector<ORDERPLACE> orders_;
  int errors_ = 0;
  int warnings_ = 0;
  int noOrders_ = 0;
};

}  // namespace vyr
