// Fuzz target: the whole check of an orders text on the sample game data, as
// the checker program runs it (lines read as from standard input, byte-order
// mark and earlier check lines dropped, pre-pass, check pass, summary line).
// Besides crashes it watches two properties: checking the output again gives
// the same output (except where the output starts with a byte-order mark),
// and the text read as a file in blocks and checked into one output text
// gives what the same file loaded into a buffer and checked line by line gives;
// so do the bytes cut in place as standard input is read (TEXTORDERLINES).
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "checker/syntax.h"
#include "checker/ordersfile.h"
#include "gamedata/synworlds.h"
#include "text/buffer.h"
#include "text/outtext.h"

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
  vyr::TEXTORDERLINES lines(text);
  vyr::SYNTAX inPlace(0, 0);
  vyr::OUTTEXT out(text.size());
  int inPlaceErrors = 0;
  int inPlaceWarnings = 0;
  vyr::checkAndSummarise(inPlace, lines, out, 1, &inPlaceErrors, &inPlaceWarnings);
  if (out.view() != saved || inPlaceErrors != errors || inPlaceWarnings != warnings) {
    std::fputs("the bytes cut in place were checked differently from the lines read as standard input\n", stderr);
    std::abort();
  }
  return saved;
}

// The text as a file: a file in memory, reached by its path under /proc.
class MemoryFile {
 public:
  explicit MemoryFile(const std::string& text) : fd_(memfd_create("orders", 0)) {
    if (fd_ < 0) std::abort();
    for (std::size_t done = 0; done < text.size();) {
      const ssize_t wrote = write(fd_, text.data() + done, text.size() - done);
      if (wrote <= 0) std::abort();
      done += static_cast<std::size_t>(wrote);
    }
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  ~MemoryFile() { close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  [[nodiscard]] const std::string& path() const { return path_; }

 private:
  int fd_;
  std::string path_;
};

// The text checked as the program checks an input file, both ways.
void compareFileChecks(const std::string& text) {
  const MemoryFile file(text);
  vyr::BUFFER input;
  vyr::BUFFER output;
  int errors = 0;
  int warnings = 0;
  std::string loaded;
  if (vyr::loadOrdersFile(file.path(), input) != 0) {
    vyr::SYNTAX checker(0, 0);
    vyr::checkAndSummarise(checker, input, output, 1, &errors, &warnings);
    for (int n = 1; n <= output.lineCount(); ++n) {
      loaded += output.lineString(n)->view();
      loaded += '\n';
    }
  }
  vyr::FILEORDERLINES lines;
  if (lines.open(file.path()) == 0) std::abort();
  std::string streamed;
  int streamedErrors = 0;
  int streamedWarnings = 0;
  if (lines.hasLines() != 0) {
    vyr::SYNTAX checker(0, 0);
    vyr::OUTTEXT out(text.size());
    vyr::checkAndSummarise(checker, lines, out, 1, &streamedErrors, &streamedWarnings);
    streamed = out.view();
  }
  if (streamed != loaded || streamedErrors != errors || streamedWarnings != warnings) {
    std::fputs("the file read in blocks was checked differently from the loaded file\n", stderr);
    std::abort();
  }
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
  compareFileChecks(text);
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
