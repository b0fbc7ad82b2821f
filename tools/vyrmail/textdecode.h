// The orders text of a mail part made plain: bytes (already free of their
// transfer encoding) converted to UTF-8 from the declared charset, with
// fallbacks for 8-bit text that declares none or the wrong one; line ends
// made LF; a byte-order mark at the start of any line dropped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vyr {

struct DECODEDTEXT {
  std::string text;                // UTF-8, LF line ends
  std::vector<std::string> notes;  // what was done, in words: "ISO-8859-1 converted to UTF-8"
};

// `charset` is the part's declared charset, "" when it declares none.
DECODEDTEXT decodeText(std::string_view bytes, std::string_view charset);

// 1 when the bytes are valid UTF-8.
int isUtf8(std::string_view bytes);

}  // namespace vyr
