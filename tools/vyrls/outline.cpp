// The outline of SHIRE orders, the quick fixes, and the texts the other
// features share.
#include "checker/orderplace.h"
#include "text/utils.h"
#include "vyrls/diagnostics.h"
#include "vyrls/features.h"
#include "vyrls/lineplace.h"

namespace vyr {

namespace {

// The protocol's symbol kinds.
constexpr int kSymbolNamespace = 3;
constexpr int kSymbolFunction = 12;

bool isShire(std::string_view command) {
  constexpr std::string_view kShire = "SHIRE";
  if (command.size() != kShire.size()) return false;
  for (std::size_t k = 0; k < kShire.size(); ++k) {
    if (upperChar(command[k]) != kShire[k]) return false;
  }
  return true;
}

// The line's order without its comment and outer spaces.
std::string orderText(std::string_view line) {
  std::string text(line.substr(0, line.find(';')));
  trimText(text);
  return text;
}

bool isEndLine(std::string_view text) {
  std::string upper(orderText(text).substr(0, 4));
  for (char& c : upper) c = upperChar(c);
  return upper == "#END";
}

}  // namespace

std::string_view scopeName(std::string_view scope) {
  const char code = scope.size() == 1 ? upperChar(scope[0]) : '\0';
  if (code == 'S') return "shire order";
  if (code == 'G') return "global order";
  if (code == 'C') return "city order";
  return "no scope rule";
}

std::string variantText(const COMMANDTABLE::Words& words) {
  std::string text;
  for (const std::string_view word : words) {
    if (!text.empty()) text += ' ';
    text += word;
  }
  return text;
}

nlohmann::json documentSymbols(const TEXTDOCUMENT& document, POSITIONENCODING encoding) {
  nlohmann::json symbols = nlohmann::json::array();
  nlohmann::json* shire = nullptr;
  const auto at = [&document, encoding](long long line, std::size_t offset) {
    return document.positionAt(document.lineStart(line) + offset, encoding);
  };
  for (long long line = 0; line < document.lineCount(); ++line) {
    const std::string_view text = document.lineText(line);
    if (isEndLine(text)) break;
    const LINEPLACE place(text, 0);
    if (place.command().empty() || place.command().starts_with('#')) continue;
    const std::string name = orderText(text);
    const nlohmann::json whole = rangeJson(at(line, 0), at(line, text.size()));
    nlohmann::json symbol = {{"name", name}, {"range", whole}, {"selectionRange", whole}};
    if (isShire(place.command())) {
      symbol["kind"] = kSymbolNamespace;
      symbol["children"] = nlohmann::json::array();
      symbols.push_back(std::move(symbol));
      shire = &symbols.back();
    } else if (shire != nullptr) {
      symbol["kind"] = kSymbolFunction;
      (*shire)["children"].push_back(std::move(symbol));
      (*shire)["range"]["end"] = whole["end"];
    }
  }
  return symbols;
}

nlohmann::json codeActions(const TEXTDOCUMENT& document, const nlohmann::json& params) {
  nlohmann::json actions = nlohmann::json::array();
  const auto context = params.find("context");
  if (context == params.end() || !context->is_object()) return actions;
  const auto diagnostics = context->find("diagnostics");
  if (diagnostics == context->end() || !diagnostics->is_array()) return actions;
  for (const nlohmann::json& diagnostic : *diagnostics) {
    if (!diagnostic.is_object()) continue;
    const auto data = diagnostic.find("data");
    const auto range = diagnostic.find("range");
    if (data == diagnostic.end() || !data->is_object() || range == diagnostic.end() || !range->is_object())
      continue;
    const auto suggestion = data->find("suggestion");
    if (suggestion == data->end() || !suggestion->is_string() ||
        suggestion->get_ref<const std::string&>().empty()) {
      continue;
    }
    const std::string& name = suggestion->get_ref<const std::string&>();
    std::string newText = name;
    if (name.find(' ') != std::string::npos) newText = "\"" + name + "\"";
    actions.push_back(
        {{"title", "Replace with '" + name + "'"},
         {"kind", "quickfix"},
         {"isPreferred", true},
         {"diagnostics", nlohmann::json::array({diagnostic})},
         {"edit", {{"changes", {{document.uri(), {{{"range", *range}, {"newText", newText}}}}}}}}});
  }
  return actions;
}

}  // namespace vyr
