// The guide to the finding codes as a page of its own: the Markdown of the
// guide (CommonMark, rendered by cmark) as HTML, with raw HTML in it left
// out. A "## code" heading gets the anchor id "code", so that a finding links
// its entry as /codes#code.
#pragma once

#include <string>
#include <string_view>

namespace vyr {

// The whole page, with the page's style sheet; an empty guide gives a page
// saying that this build has none.
std::string renderGuidePage(std::string_view markdown);

// The text with &, <, >, " and ' as HTML entities.
std::string escapeHtml(std::string_view text);

// A heading's anchor: lower case, runs of other characters than letters,
// digits, '-' and '_' as one '-' between two kept characters.
std::string anchorOf(std::string_view heading);

}  // namespace vyr
