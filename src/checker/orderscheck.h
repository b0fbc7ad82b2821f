// The check of one orders file for the batch checker: loaded as VyrSyn loads
// it, cleaned of earlier check lines, prepared and checked by the same
// functions, with every finding placed in the file as the player wrote it.
//
// ORDERSCHECK owns the input buffer, the annotated copy (the output buffer,
// byte for byte what VyrSyn writes) and its checker, whose current shire
// starts fresh. It keeps, for every line of the cleaned input, the number of
// the line in the file it came from, and has the pre-pass record where each
// prepared byte came from in that line as written (byte-order mark gone), so
// that findings can be placed in the text as given.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "checker/finding.h"
#include "checker/syntax.h"
#include "text/buffer.h"

namespace vyr {

class SUGGESTER;

class ORDERSCHECK : private FINDINGSINK {
 public:
  // `suggester` may be null: then no finding carries a suggestion. The shared
  // game data must be loaded; `useArchive` is passed to the checker.
  ORDERSCHECK(int gameNo, int useArchive, const SUGGESTER* suggester);
  ~ORDERSCHECK() override;
  ORDERSCHECK(const ORDERSCHECK&) = delete;
  ORDERSCHECK& operator=(const ORDERSCHECK&) = delete;

  // The orders from a file, loaded as VyrSyn loads an input file. Answers 0
  // when the file cannot be opened; an empty file gives no line.
  int loadFile(const std::string& path);
  // The orders from the bytes of a stream, split as VyrSyn reads standard input.
  void loadText(std::string_view bytes);

  // With 1, the findings include notes (severity note): what the checks let
  // pass but the player most likely did not mean. Set before check().
  void setNotes(int notes);

  // Deletes the earlier check lines and runs the pre-pass and the check pass;
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
  [[nodiscard]] BUFFER& annotated() { return output_; }

 private:
  void finding(const CHECKREPORT& report) override;
  void recordWrittenLines(const std::vector<int>& sourceLines);

  int gameNo_;
  const SUGGESTER* suggester_;
  BUFFER input_;
  BUFFER output_;
  std::unique_ptr<SYNTAX> checker_;
  std::vector<int> sourceLine_;      // per line of the cleaned input
  std::vector<LINEORIGIN> origins_;  // per line of the cleaned input, from the pre-pass
  std::vector<FINDING> findings_;
  int errors_ = 0;
  int warnings_ = 0;
  int noOrders_ = 0;
};

}  // namespace vyr
