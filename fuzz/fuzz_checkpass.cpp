// Fuzz target: the whole check of an orders text on the sample game data, as
// the checker program runs it (lines read as from standard input, byte-order
// mark and earlier check lines dropped, pre-pass, check pass, summary line).
// Besides crashes it watches one property: checking the output again gives
// the same output (except where the output starts with a byte-order mark).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "checker/syntax.h"
#include "checker/ordersfile.h"
#include "gamedata/synworlds.h"
#include "text/buffer.h"

namespace {

// Lines this long come back from a saved file in pieces, so the output of
// such a run is not read back whole.
constexpr std::size_t kLongestRereadLine = 29998;
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// Reads the text as the program reads standard input.
void readText(const std::string& text, vyr::BUFFER& lines) {
  if (text.empty()) return;  // fmemopen refuses an empty area
  std::FILE* stream = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
  if (stream == nullptr) std::abort();
  vyr::readOrderLines(stream, lines);
  std::fclose(stream);
}

// One run of the checker on the text; answers the output as it would be saved.
std::string checkText(const std::string& text, std::size_t* longestLine) {
  vyr::BUFFER input;
  readText(text, input);
  vyr::dropByteOrderMark(input);
  vyr::deleteCheckLines(input);
  vyr::SYNTAX checker(0, 0);
  vyr::BUFFER output;
  int errors = 0;
  int warnings = 0;
  vyr::checkAndSummarise(checker, input, output, 1, &errors, &warnings);
  if (errors < 0 || warnings < 0) std::abort();
  std::string saved;
  *longestLine = 0;
  for (int n = 1; n <= output.lineCount(); ++n) {
    const std::string& line = output.lineString(n)->text();
    if (line.size() > *longestLine) *longestLine = line.size();
    saved += line;
    saved += '\n';
  }
  return saved;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  vyr::SYNWORLDS::setDirectory(VYR_SOURCE_DIR "/data");
  vyr::SYNTAX::loadSyntaxData(0, 0);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::size_t longest = 0;
  const std::string first = checkText(text, &longest);
  if (longest >= kLongestRereadLine) return 0;
  // A header line that carries a byte-order mark from the middle of the input
  // can open the output, where the next run drops the mark as the file's.
  if (first.starts_with(kByteOrderMark)) return 0;
  std::size_t ignored = 0;
  if (checkText(first, &ignored) != first) {
    std::fputs("checking the checker's own output changed it\n", stderr);
    std::abort();
  }
  return 0;
}
