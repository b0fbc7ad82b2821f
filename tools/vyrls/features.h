// What the server answers about a document besides its diagnostics, all of
// it read from the command table and the game data: completion, hover, the
// outline of SHIRE orders and the quick fixes of findings. Every answer is
// the JSON result of its request; the game data must be loaded.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "editor/outline.h"
#include "vyrls/document.h"

namespace vyr {

struct FEATURECONTEXT {
  int gameNo = 1;
  POSITIONENCODING encoding = POSITIONENCODING::kUtf16;
};

// A CompletionList from the library's completion (editor/completion.h): at
// the first word of a line the commands, after a command what its slot
// accepts; empty where nothing can be offered. Each item's filterText starts
// as the player typed it, so that a client matching prefixes exactly keeps it.
nlohmann::json completionAt(const TEXTDOCUMENT& document, TEXTPOSITION position,
                            const FEATURECONTEXT& context);
// A Hover from the library's (editor/hover.h), or null.
nlohmann::json hoverAt(const TEXTDOCUMENT& document, TEXTPOSITION position, const FEATURECONTEXT& context);
// DocumentSymbols of every order, as the check reads the text
// (editor/outline.h): the header line holding the orders under no SHIRE and
// the SHIRE orders, each holding the orders under it, in text order.
nlohmann::json documentSymbols(const TEXTDOCUMENT& document, const FEATURECONTEXT& context);
// The same as JSON text, written without building the tree of values.
std::string documentSymbolsText(const TEXTDOCUMENT& document, const FEATURECONTEXT& context);
// Appends the DocumentSymbols of an outline of the document, as JSON text,
// to `out`.
void appendDocumentSymbols(std::string& out, const TEXTDOCUMENT& document, const ORDEROUTLINE& outline,
                           POSITIONENCODING encoding);
// SemanticTokens of the whole document, in the legend's types, from the
// engine's own view of each field (editor/tokens.h).
nlohmann::json semanticTokensLegend();
nlohmann::json semanticTokensOf(const TEXTDOCUMENT& document, const FEATURECONTEXT& context);
// CodeActions: a quick fix for each of the request's diagnostics that
// carries a suggestion, replacing its range by the suggested name.
nlohmann::json codeActions(const TEXTDOCUMENT& document, const nlohmann::json& params);

}  // namespace vyr
