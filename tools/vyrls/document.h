// The open documents and the one conversion between the client's positions
// and the bytes of a text.
//
// A position is a 0-based line and a 0-based character offset in that line,
// counted in the negotiated encoding: UTF-8 bytes or UTF-16 code units. Lines
// end at "\n", "\r\n" or a lone "\r". A byte that does not start a valid
// UTF-8 sequence counts as one character of one unit. Positions past the end
// of a line stand at its end (before its line break), positions past the last
// line at the end of the text, and a position inside a character at its
// start: every position names a byte offset, and every offset a position.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vyr {

enum class POSITIONENCODING { kUtf8, kUtf16 };

struct TEXTPOSITION {
  long long line = 0;
  long long character = 0;
  friend bool operator==(const TEXTPOSITION&, const TEXTPOSITION&) = default;
};

// The bytes of a UTF-8 sequence starting at text[at] (1 to 4), and its
// UTF-16 units (1 or 2); an invalid or cut sequence is one byte of one unit.
struct CHARSIZE {
  std::size_t bytes;
  int units;
};
CHARSIZE charSizeAt(std::string_view text, std::size_t at);

// One open document: its URI, version and text, with the start of each line.
// Invariant: lineStarts_ holds the byte offset of every line of text_, the
// first being 0.
class TEXTDOCUMENT {
 public:
  TEXTDOCUMENT(std::string uri, long long version, std::string text);

  [[nodiscard]] const std::string& uri() const { return uri_; }
  [[nodiscard]] long long version() const { return version_; }
  [[nodiscard]] const std::string& text() const { return text_; }
  [[nodiscard]] long long lineCount() const { return static_cast<long long>(lineStarts_.size()); }
  // The text of a 0-based line without its line break; "" past the end.
  [[nodiscard]] std::string_view lineText(long long line) const;
  [[nodiscard]] std::size_t lineStart(long long line) const;

  // The byte offset a position names (see the file comment).
  [[nodiscard]] std::size_t offsetAt(TEXTPOSITION position, POSITIONENCODING encoding) const;
  // The position of a byte offset (an offset inside a character or a line
  // break stands at its start; past the end, at the end).
  [[nodiscard]] TEXTPOSITION positionAt(std::size_t offset, POSITIONENCODING encoding) const;

  // Replaces the bytes between the two positions (in either order) by `text`.
  void replace(TEXTPOSITION from, TEXTPOSITION to, std::string_view text, POSITIONENCODING encoding);
  void setText(std::string text);
  void setVersion(long long version) { version_ = version; }

 private:
  void indexLines(std::size_t fromLine);
  [[nodiscard]] std::size_t lineEnd(std::size_t line) const;  // before the line break

  std::string uri_;
  long long version_;
  std::string text_;
  std::vector<std::size_t> lineStarts_;
};

// The open documents by URI.
class DOCUMENTSTORE {
 public:
  // Opens (or opens again) a document.
  TEXTDOCUMENT& open(const std::string& uri, long long version, std::string text);
  // 1 when the document was open.
  int close(const std::string& uri);
  // The open document, or null.
  [[nodiscard]] TEXTDOCUMENT* find(const std::string& uri);
  [[nodiscard]] std::vector<std::string> uris() const;

 private:
  std::map<std::string, TEXTDOCUMENT> documents_;
};

}  // namespace vyr
