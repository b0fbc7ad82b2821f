// The findings of a check as the protocol's diagnostics: the range of the
// faulty field in the negotiated encoding, the severity (notes as
// information), the finding's code with a link to its entry in the codes
// document, source "vyr", the message without its lead, and the suggestion
// in `data`, from which the quick fixes are made.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "findings/finding.h"
#include "vyrls/document.h"

namespace vyr {

// Checks the text as the game master's run checks the file it is saved in
// (long lines kept whole, one carriage return before each newline dropped),
// not as the stream standard input would be: the text goes into an anonymous
// file in memory, which the file check reads. When no such file can be made,
// `checked` is 0 with the reason.
CHECKRESULT checkAsSaved(std::string_view text, int gameNo, const CHECKOPTIONS& options = {});

// The byte offsets where the lines of the text as the checker numbers them
// start: a line ends at "\n" only (a carriage return stays in its line).
std::vector<std::size_t> checkerLineStarts(std::string_view text);

// One finding as a diagnostic of the document. `codesUrl` is the address of
// the codes document; the code's link is codesUrl#code.
nlohmann::json diagnosticOf(const FINDING& finding, const TEXTDOCUMENT& document,
                            const std::vector<std::size_t>& lineStarts, POSITIONENCODING encoding,
                            const std::string& codesUrl);

nlohmann::json diagnosticsOf(const std::vector<FINDING>& findings, const TEXTDOCUMENT& document,
                             POSITIONENCODING encoding, const std::string& codesUrl);

// A hint on the game number of the header line (the first line holding
// "#VYR", any case, as in "#VYR Game 42") when it names another game than
// `gameNo`, the one checked: which game the editor checks for and how to
// change it. Null when the header names no game number or the same one.
nlohmann::json headerGameHint(const TEXTDOCUMENT& document, int gameNo, POSITIONENCODING encoding);

// A position as the protocol writes it, and back (missing or wrong fields read as 0).
nlohmann::json positionJson(TEXTPOSITION position);
nlohmann::json rangeJson(TEXTPOSITION start, TEXTPOSITION end);
TEXTPOSITION positionFrom(const nlohmann::json& position);

}  // namespace vyr
