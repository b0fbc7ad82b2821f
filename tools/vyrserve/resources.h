// The files the web checker serves, compiled into the program at build time:
// the page, its style sheet and script, and the guide to the finding codes
// (Markdown; empty when the build had none).
#pragma once

#include <string_view>

namespace vyr {

extern const std::string_view kPageHtml;
extern const std::string_view kPageCss;
extern const std::string_view kPageScript;
extern const std::string_view kCodesGuide;

}  // namespace vyr
