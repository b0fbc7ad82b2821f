// Orders files as every front-end of the checker reads and writes them: the
// lines of a stream or file as VyrSyn loads them, the byte-order mark, the
// check lines and summary of an earlier run (deleted before a check), the
// check of a prepared buffer with its summary line, and the annotated copy
// saved as a new file.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "checker/orderlines.h"
#include "checker/syntax.h"
#include "text/outtext.h"
#include "text/buffer.h"

namespace vyr {

// The most characters of one piece read from a stream (readOrderLines).
inline constexpr std::size_t kStreamPiece = 29999;

// Reads the stream to its end in pieces of at most 29,999 characters, each
// piece ending after a newline or when full, and adds one line per piece
// without its newline; a carriage return stays. A piece that is only the
// newline ending a full piece adds nothing, so a line of any length arrives as
// pieces of its text only. A NUL byte ends the text of its piece. Answers the
// number of lines added. When `sourceLines` is given, the 1-based number of the
// stream's line that each added line came from is appended to it.
int readOrderLines(std::FILE* stream, BUFFER& buffer, std::vector<int>* sourceLines = nullptr);

// 1 when the line's first word begins with '#' and ends with '>': a check line
// or summary line of an earlier run; also when it does so once cut at a ';'
// glued into it, where the pre-pass puts a space.
[[nodiscard]] int isCheckLine(const STRING& line);
[[nodiscard]] int isCheckText(std::string_view text);
// Loads an orders file as the check needs it, in one go: what `loadBuffer`,
// `dropByteOrderMark` and `deleteCheckLines` give one after the other, without
// ever storing the check lines. Answers the number of lines read (check lines
// included); 0 when the file cannot be read or is empty.
int loadOrdersFile(const std::string& path, BUFFER& buffer);
// Deletes every check line; answers the number deleted.
int deleteCheckLines(BUFFER& buffer);
// Drops a UTF-8 byte-order mark from the start of line 1; answers 1 when it did.
int dropByteOrderMark(BUFFER& buffer);

// The check of orders whose earlier check lines are gone: the pre-pass, the
// check pass into `output` and, when the pass found anything, the summary line
// "#> Errors %d Warnings %d" at the top of `output`. Answers the pass's answer.
int checkAndSummarise(SYNTAX& checker, BUFFER& input, BUFFER& output, int gameNo, int* errorCount,
                      int* warningCount);
// The same for a source of lines into a text, the summary line put in front.
int checkAndSummarise(SYNTAX& checker, ORDERLINES& input, OUTTEXT& output, int gameNo, int* errorCount,
                      int* warningCount);
// The output buffer as a new file, each line followed by a line break; 0 when
// it has no line or cannot be written (nothing is ever overwritten).
int saveOutputFile(BUFFER& buffer, const std::string& path);

}  // namespace vyr
