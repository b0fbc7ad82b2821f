// Fuzz target: the web checker's answer to a POST /api/check body, on the
// sample game data, as the server gives it without its sockets. Besides
// crashes it watches the answer: a status of 200, 400 or 413, a JSON body
// with the fields of its kind, and for 200 the counts and findings the
// engine gives for the same orders.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

#include "checker/engine.h"
#include "vyrserve/webchecker.h"

namespace {

constexpr std::size_t kMaxBytes = 1 << 16;

vyr::WEBCHECKER& checker() {
  static vyr::WEBCHECKER* made = [] {
    std::string error;
    if (!vyr::loadGameData(VYR_SOURCE_DIR "/data", error)) std::abort();
    return new vyr::WEBCHECKER(1, kMaxBytes);
  }();
  return *made;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);
  const vyr::HTTPANSWER answer = checker().check(body);
  if (answer.contentType != "application/json; charset=utf-8") std::abort();
  const nlohmann::json document = nlohmann::json::parse(answer.body, nullptr, false);
  if (document.is_discarded() || !document.is_object() || document.value("format", 0) != 1) std::abort();
  if (answer.status == 400 || answer.status == 413) {
    if (!document.contains("error") || !document["error"].is_string()) std::abort();
    if ((answer.status == 413) != (size > kMaxBytes)) std::abort();
    return 0;
  }
  if (answer.status != 200) std::abort();
  if (!document["findings"].is_array() || !document["annotated"].is_string()) std::abort();
  const std::size_t findings = document["findings"].size();
  if (document["errors"].get<int>() + document["warnings"].get<int>() < 0 || findings > 1000000) std::abort();
  for (const nlohmann::json& finding : document["findings"]) {
    if (!finding["line"].is_number_integer() || finding["line"].get<int>() < 1) std::abort();
  }
  return 0;
}
