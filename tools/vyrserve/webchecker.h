// The web checker's answers, independent of sockets: a request's method, path
// and body in, the status, content type and body out. The HTTP server and the
// fuzz target both call it; the page, its script and the code guide come from
// the program itself, so no path from a request reaches the file system.
//
// The game data must be loaded (loadGameData) before a WEBCHECKER is made.
// Any number of threads may ask at once; no state is kept between requests.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>


namespace vyr {

struct HTTPANSWER {
  int status = 200;
  std::string contentType;
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;  // beyond the ones every answer has
};

// The headers every answer carries: the content security policy (no inline
// script, no foreign origin) and its companions.
const std::vector<std::pair<std::string, std::string>>& securityHeaders();

class WEBCHECKER {
 public:
  WEBCHECKER(int gameNo, std::size_t maxBytes);
  WEBCHECKER(const WEBCHECKER&) = delete;
  WEBCHECKER& operator=(const WEBCHECKER&) = delete;

  // Any request. `path` is decoded and has no query.
  HTTPANSWER answer(std::string_view method, std::string_view path, std::string_view body);

  // POST /api/check: {"orders": "...", "game": N[, "encoding": "base64"]}.
  HTTPANSWER check(std::string_view body);

  // An answer for a status with nothing else to say (JSON below /api/, text
  // elsewhere).
  static HTTPANSWER failure(int status, std::string_view path, std::string_view reason);

 private:
  int gameNo_;
  std::size_t maxBytes_;
  std::string worlds_;     // the body of GET /api/worlds
  std::string codesPage_;  // the body of GET /codes
};

// Base64 of the bytes, and back (answers 0 for text that is not base64).
std::string encodeBase64(std::string_view bytes);
int decodeBase64(std::string_view text, std::string& bytes);
// 1 when the bytes are valid UTF-8 (no overlong forms, surrogates or code
// points above U+10FFFF).
int isValidUtf8(std::string_view bytes);

}  // namespace vyr
