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

  // Deletes the earlier check lines and runs the pre-pass and the check pass;
  // fills the annotated copy and the findings. Runs once per object.
  void check();

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
};

}  // namespace vyr
