#include "vyrserve/webchecker.h"

#include <array>
#include <climits>
#include <exception>
#include <nlohmann/json.hpp>

#include "findings/findingformat.h"
#include "text/utf8.h"
#include "vyrserve/enginecall.h"
#include "vyrserve/guidepage.h"
#include "vyrserve/resources.h"

namespace vyr {

namespace {

using JSON = nlohmann::ordered_json;

constexpr std::string_view kJsonType = "application/json; charset=utf-8";
constexpr std::string_view kTextType = "text/plain; charset=utf-8";
constexpr std::string_view kFindingFile = "orders";
// Deeper requests are no request of the page's; refusing them keeps parsing cheap.
constexpr int kDeepestNesting = 16;
constexpr char kBase64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string dumped(const JSON& value) { return value.dump(-1, ' ', false, JSON::error_handler_t::replace); }

HTTPANSWER jsonAnswer(int status, const JSON& value) {
  HTTPANSWER answer;
  answer.status = status;
  answer.contentType = kJsonType;
  answer.body = dumped(value);
  answer.body += '\n';
  answer.headers.emplace_back("Cache-Control", "no-store");
  return answer;
}

HTTPANSWER resource(std::string_view type, std::string_view body) {
  HTTPANSWER answer;
  answer.contentType = type;
  answer.body = body;
  answer.headers.emplace_back("Cache-Control", "no-cache");
  return answer;
}

HTTPANSWER badRequest(std::string_view reason) { return WEBCHECKER::failure(400, "/api/", reason); }

std::string worldsBody(int gameNo) {
  JSON worlds = JSON::array();
  for (const SERVEDWORLD& world : servedWorlds()) {
    worlds.push_back({{"number", world.number}, {"name", world.name}, {"games", world.games}});
  }
  return dumped(JSON{{"format", 1}, {"game", gameNo}, {"worlds", worlds}}) + "\n";
}

// The request's fields, or a reason why it is not one.
struct CHECKREQUEST {
  std::string orders;
  int gameNo = 0;
  int bytes = 0;  // 1: the orders came as base64
};

std::string readRequest(std::string_view body, CHECKREQUEST& request) {
  bool tooDeep = false;
  const JSON::parser_callback_t limit = [&tooDeep](int depth, JSON::parse_event_t, JSON&) {
    if (depth > kDeepestNesting) tooDeep = true;
    return !tooDeep;
  };
  JSON document;
  try {
    document = JSON::parse(body.begin(), body.end(), limit);
  } catch (const JSON::parse_error& fault) {
    return "malformed JSON at byte " + std::to_string(fault.byte);
  }
  if (tooDeep) return "the request is nested too deeply";
  if (!document.is_object()) return "the request must be a JSON object";
  const auto orders = document.find("orders");
  if (orders == document.end()) return "missing field 'orders'";
  if (!orders->is_string()) return "'orders' must be a string";
  const auto game = document.find("game");
  if (game == document.end()) return "missing field 'game'";
  if (!game->is_number_integer() || game->get<long long>() < 1 || game->get<long long>() > INT_MAX) {
    return "'game' must be a whole number from 1 to " + std::to_string(INT_MAX);
  }
  request.gameNo = game->get<int>();
  const auto encoding = document.find("encoding");
  if (encoding != document.end() && *encoding != "text" && *encoding != "base64") {
    return "'encoding' must be \"text\" or \"base64\"";
  }
  request.bytes = encoding != document.end() && *encoding == "base64";
  if (request.bytes) {
    if (!decodeBase64(orders->get_ref<const std::string&>(), request.orders)) return "'orders' is not base64";
  } else {
    request.orders = orders->get<std::string>();
  }
  return "";
}

// One finding with the fields of the batch checker's JSON finding.
JSON findingJson(const FINDING& finding) {
  JSON suggestion = nullptr;
  if (!finding.suggestion.empty()) suggestion = finding.suggestion;
  return {{"format", 1},
          {"type", "finding"},
          {"file", kFindingFile},
          {"line", finding.line},
          {"column", finding.column},
          {"end_column", finding.endColumn},
          {"char_column", finding.charColumn},
          {"end_char_column", finding.endCharColumn},
          {"severity", severityName(finding.severity)},
          {"code", finding.code},
          {"message", plainMessage(finding.message)},
          {"suggestion", std::move(suggestion)}};
}

}  // namespace

const std::vector<std::pair<std::string, std::string>>& securityHeaders() {
  static const std::vector<std::pair<std::string, std::string>> headers = {
      {"Content-Security-Policy",
       "default-src 'none'; script-src 'self'; style-src 'self'; connect-src 'self'; img-src 'self'; "
       "base-uri 'none'; form-action 'none'; frame-ancestors 'none'"},
      {"X-Content-Type-Options", "nosniff"},
      {"Referrer-Policy", "no-referrer"},
      {"X-Frame-Options", "DENY"},
      {"Cross-Origin-Resource-Policy", "same-origin"},
  };
  return headers;
}

WEBCHECKER::WEBCHECKER(int gameNo, std::size_t maxBytes)
    : gameNo_(gameNo),
      maxBytes_(maxBytes),
      worlds_(worldsBody(gameNo)),
      codesPage_(renderGuidePage(kCodesGuide)) {}

HTTPANSWER WEBCHECKER::failure(int status, std::string_view path, std::string_view reason) {
  if (path.starts_with("/api/")) return jsonAnswer(status, JSON{{"format", 1}, {"error", reason}});
  HTTPANSWER answer;
  answer.status = status;
  answer.contentType = kTextType;
  answer.body = std::string(reason) + "\n";
  return answer;
}

HTTPANSWER WEBCHECKER::answer(std::string_view method, std::string_view path, std::string_view body) {
  const bool reads = method == "GET" || method == "HEAD";
  if (path == "/api/check") {
    if (method == "POST") return check(body);
    HTTPANSWER refused = failure(405, path, "use POST");
    refused.headers.emplace_back("Allow", "POST");
    return refused;
  }
  struct ROUTE {
    std::string_view path;
    std::string_view type;
    const std::string_view* body;
  };
  const std::string_view health = "ok\n";
  const std::array<ROUTE, 7> routes = {{
      {"/", "text/html; charset=utf-8", &kPageHtml},
      {"/index.html", "text/html; charset=utf-8", &kPageHtml},
      {"/page.css", "text/css; charset=utf-8", &kPageCss},
      {"/page.js", "text/javascript; charset=utf-8", &kPageScript},
      {"/codes", "text/html; charset=utf-8", nullptr},
      {"/api/worlds", kJsonType, nullptr},
      {"/healthz", kTextType, &health},
  }};
  for (const ROUTE& route : routes) {
    if (route.path != path) continue;
    if (!reads) {
      HTTPANSWER refused = failure(405, path, "use GET");
      refused.headers.emplace_back("Allow", "GET, HEAD");
      return refused;
    }
    if (path == "/healthz" && !servedDataLoaded()) return failure(503, path, "no game data");
    const std::string_view text = route.body != nullptr ? *route.body
                                  : path == "/codes"    ? std::string_view(codesPage_)
                                                        : std::string_view(worlds_);
    HTTPANSWER found = resource(route.type, text);
    if (path == "/healthz") found.headers = {{"Cache-Control", "no-store"}};
    return found;
  }
  return failure(404, path, "not found");
}

HTTPANSWER WEBCHECKER::check(std::string_view body) {
  if (body.size() > maxBytes_) {
    return failure(413, "/api/", "the request is larger than " + std::to_string(maxBytes_) + " bytes");
  }
  CHECKREQUEST request;
  const std::string fault = readRequest(body, request);
  if (!fault.empty()) return badRequest(fault);
  try {
    CHECKRESULT result = checkServedOrders(request.orders, request.gameNo);
    if (!result.checked) return failure(500, "/api/", "the check could not be completed: " + result.reason);
    JSON findings = JSON::array();
    for (const FINDING& finding : result.findings) findings.push_back(findingJson(finding));
    JSON answer = {{"format", 1},
                   {"errors", result.errors},
                   {"warnings", result.warnings},
                   {"utf8", request.bytes ? isValidUtf8(request.orders) == 1 : true}};
    if (request.bytes) {
      answer["encoding"] = "base64";
      answer["annotated"] = encodeBase64(result.annotated);
    } else {
      answer["annotated"] = std::move(result.annotated);
    }
    answer["findings"] = std::move(findings);
    return jsonAnswer(200, answer);
  } catch (const std::exception& fault) {  // out of memory
    return failure(500, "/api/", std::string("the check could not be completed: ") + fault.what());
  }
}

std::string encodeBase64(std::string_view bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t left = bytes.size() - i;
    unsigned value = static_cast<unsigned char>(bytes[i]) << 16;
    if (left > 1) value |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (left > 2) value |= static_cast<unsigned char>(bytes[i + 2]);
    text += kBase64Digits[(value >> 18) & 63];
    text += kBase64Digits[(value >> 12) & 63];
    text += left > 1 ? kBase64Digits[(value >> 6) & 63] : '=';
    text += left > 2 ? kBase64Digits[value & 63] : '=';
  }
  return text;
}

int decodeBase64(std::string_view text, std::string& bytes) {
  if (text.size() % 4 != 0) return 0;
  std::string decoded;
  decoded.reserve(text.size() / 4 * 3);
  for (std::size_t i = 0; i < text.size(); i += 4) {
    unsigned value = 0;
    int padding = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      const char c = text[i + k];
      unsigned digit = 0;
      if (c == '=' && i + 4 == text.size() && k >= 2) {
        ++padding;
      } else {
        const char* at = c == '\0' ? nullptr : std::char_traits<char>::find(kBase64Digits, 64, c);
        if (at == nullptr || padding > 0) return 0;
        digit = static_cast<unsigned>(at - kBase64Digits);
      }
      value = value << 6 | digit;
    }
    decoded += static_cast<char>(value >> 16);
    if (padding < 2) decoded += static_cast<char>(value >> 8 & 0xFF);
    if (padding < 1) decoded += static_cast<char>(value & 0xFF);
  }
  bytes = std::move(decoded);
  return 1;
}

int isValidUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t length = utf8SequenceLength(bytes, i);
    if (length == 0) return 0;
    i += length;
  }
  return 1;
}

}  // namespace vyr
