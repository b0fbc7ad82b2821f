// Case, trimming, word positions, word wrapping and small text builders. A
// function that produces a text writes it into a destination supplied by the
// caller and returns that destination.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vyr {

std::string& wrapText(std::string& destination, std::string_view text, int indent, int width,
                      int indentFirstLine);

std::string& toUpperCopy(std::string& destination, std::string_view text);
std::string& toLowerCopy(std::string& destination, std::string_view text);
int compareNoCase(std::string_view a, std::string_view b);
int compareNoCaseN(std::string_view a, std::string_view b, int n);
std::string& trimText(std::string& text);
std::string& trimCopy(std::string& destination, std::string_view text);

// 0-based index where white-space word n starts, or text.size() when there
// are fewer than n words.
std::size_t wordStart(std::string_view text, int n);

// The same for words separated by the space character only.
std::size_t spaceWordStart(std::string_view text, int n);

// Characters before the next space or the end.
std::size_t spaceWordLength(std::string_view text);

// 0-based index where white-space word n starts, or -1.
int wordIndex(std::string_view text, int n);

// Characters before the first white space or the end.
int wordLength(std::string_view text);

std::string& fillChars(std::string& destination, char character, int n);
void setOwnedText(std::string& slot, std::string_view text);
std::string& copyText(std::string_view text, std::string& destination);
std::string& padRight(std::string& text, int width);
std::string& justifyText(std::string& text, int width, int mode);
std::string& trueFalseText(std::string& destination, int flag);
std::string& yesNoText(std::string& destination, int flag);
int containsChar(const char* text, char character);
std::string& ordinalSuffix(std::string& destination, int n);
std::string& monthName(std::string& destination, int month, int offset, int shortForm);
std::string& capitalise(std::string& text);

}  // namespace vyr
