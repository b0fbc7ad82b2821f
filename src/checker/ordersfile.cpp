#include "checker/ordersfile.h"

#include <algorithm>
#include <utility>

#include "text/charclass.h"
#include "text/newfile.h"

namespace vyr {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool isCheckWord(std::string_view word) { return !word.empty() && word.front() == '#' && word.back() == '>'; }

}  // namespace

int saveOutputFile(BUFFER& buffer, const std::string& path) {
  if (buffer.lineCount() == 0) return 0;
  std::size_t size = 0;
  for (int n = 1; n <= buffer.lineCount(); ++n) size += buffer.lineString(n)->view().size() + 1;
  std::string text;
  text.reserve(size);
  for (int n = 1; n <= buffer.lineCount(); ++n) {
    text += buffer.lineString(n)->view();
    text += '\n';
  }
  return writeNewFile(path, text);
}

int readOrderLines(std::FILE* stream, BUFFER& buffer, std::vector<int>* sourceLines) {
  int added = 0;
  int previousFull = 0;
  int sourceLine = 1;
  std::string piece;
  auto finishPiece = [&] {
    if (!(previousFull && piece == "\n")) {
      std::string_view text(piece.data(), std::min(piece.size(), piece.find('\0')));
      if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
      buffer.addLine(text);
      ++added;
      if (sourceLines != nullptr) sourceLines->push_back(sourceLine);
    }
    if (piece.back() == '\n') ++sourceLine;
    previousFull = piece.size() == kStreamPiece && piece.back() != '\n' ? 1 : 0;
    piece.clear();
  };
  std::vector<char> block(1 << 16);
  std::size_t got = 0;
  while ((got = std::fread(block.data(), 1, block.size(), stream)) > 0) {
    for (std::size_t i = 0; i < got; ++i) {
      piece.push_back(block[i]);
      if (block[i] == '\n' || piece.size() == kStreamPiece) finishPiece();
    }
  }
  if (!piece.empty()) finishPiece();
  return added;
}

// The first word counts as it stands and as the pre-pass will leave it: a ';'
// glued into it (the line's first ';') gets a space before it and so ends the
// word. A line such as "#>;text" would otherwise be echoed as "#> ;text" and
// deleted only by the next run, whose output would then differ.
int isCheckLine(const STRING& line) { return isCheckText(line.view()); }

int isCheckText(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size() && isSpaceChar(text[begin])) ++begin;
  if (begin == text.size() || text[begin] != '#') return 0;
  std::size_t end = begin;
  while (end < text.size() && !isSpaceChar(text[end])) ++end;
  const std::string_view word = text.substr(begin, end - begin);
  const std::size_t semicolon = word.find(';');
  const bool cut = semicolon != std::string_view::npos && semicolon > 0;
  return isCheckWord(word) || (cut && isCheckWord(word.substr(0, semicolon))) ? 1 : 0;
}

int deleteCheckLines(BUFFER& buffer) {
  int deleted = 0;
  for (int p = 1; p <= buffer.lineCount();) {
    if (isCheckLine(*buffer.lineString(p))) {
      buffer.deleteLine(p);
      ++deleted;
    } else {
      ++p;
    }
  }
  return deleted;
}

int dropByteOrderMark(BUFFER& buffer) {
  STRING* first = buffer.lineString(1);
  if (first == nullptr || !first->text().starts_with(kByteOrderMark)) return 0;
  const std::string rest = first->text().substr(kByteOrderMark.size());
  first->setText(rest);
  return 1;
}

// Only the first line read can carry the byte-order mark; it is judged
// without it, and loses it when kept (it is then line 1).
int loadOrdersFile(const std::string& path, BUFFER& buffer) {
  bool first = true;
  bool keptWithMark = false;
  const int read = buffer.loadBuffer(path, 0, 0, [&](std::string_view text) {
    if (!std::exchange(first, false) || !text.starts_with(kByteOrderMark)) return isCheckText(text) == 0;
    keptWithMark = isCheckText(text.substr(kByteOrderMark.size())) == 0;
    return keptWithMark;
  });
  if (keptWithMark) dropByteOrderMark(buffer);
  return read;
}

namespace {

std::string summaryLine(int errors, int warnings) {
  return "#> Errors " + std::to_string(errors) + " Warnings " + std::to_string(warnings);
}

}  // namespace

int checkAndSummarise(SYNTAX& checker, BUFFER& input, BUFFER& output, int gameNo, int* errorCount,
                      int* warningCount) {
  checker.prepareOrders(input);
  const int found = checker.checkOrders(&input, &output, errorCount, warningCount, gameNo);
  if (found != 0) output.insertLine(summaryLine(*errorCount, *warningCount), 1);
  return found;
}

int checkAndSummarise(SYNTAX& checker, ORDERLINES& input, OUTTEXT& output, int gameNo, int* errorCount,
                      int* warningCount) {
  const int found = checker.checkOrderLines(input, nullptr, &output, errorCount, warningCount, gameNo);
  if (found != 0) (void)output.prepend(summaryLine(*errorCount, *warningCount) + "\n");
  return found;
}

}  // namespace vyr
