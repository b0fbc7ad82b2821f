// Fuzz target: the field parser on any line and any settings. The first three
// bytes choose the settings (flags, separator, quote), the rest is the line.
// Besides crashes it checks what every reading must respect: the fields never
// hold more characters than the line, every field start lies in the line and
// starts no earlier than the field before it, and the copying readers agree
// with the viewing ones.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/fieldparser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const int flags = data[0];
  const auto separator = static_cast<char>(data[1]);
  const auto quote = static_cast<char>(data[2]);
  const std::string_view line(reinterpret_cast<const char*>(data) + 3, size - 3);
  const vyr::FIELDPARSER parser(line, separator, quote, flags & 1, (flags >> 1) & 1, (flags >> 2) & 1);

  const int fields = parser.fieldCount();
  if (fields < 0) std::abort();
  std::size_t characters = 0;
  int previousStart = -1;
  std::string copy;
  for (int n = 0; n <= fields + 1; ++n) {
    const std::string_view field = parser.field(n);
    characters += field.size();
    const bool exists = n >= 1 && n <= fields;
    if ((parser.getField(copy, n) != nullptr) != exists || copy != field) std::abort();
    if (parser.fieldEquals(n, field, 0) != (exists ? 1 : 0)) std::abort();
    if (exists && parser.fieldEquals(n, field, 1) != 1) std::abort();
    int number = 0;
    long wide = 0;
    float single = 0;
    double real = 0;
    parser.getInt(&number, n);
    parser.getLong(&wide, n);
    parser.getFloat(&single, n);
    parser.getDouble(&real, n);
    const int start = parser.fieldPosition(n);
    if (start < -1 || start >= static_cast<int>(parser.line().size()) + 1) std::abort();
    if (start != -1) {
      if (start <= previousStart) std::abort();
      previousStart = start;
    }
  }
  if (characters > line.size()) std::abort();
  // Runs collapsed in a line without quotes or NUL: the fields are the runs of
  // bytes that are no separator, one empty field more after a separator at the end.
  const bool trimmed = (flags >> 2) & 1 && (flags >> 1) & 1;
  if ((flags & 1) != 0 && !trimmed && separator != '\0' && !line.empty() &&
      line.find(quote) == std::string_view::npos && line.find('\0') == std::string_view::npos) {
    int n = 0;
    std::size_t i = 0;
    for (;;) {
      while (i < line.size() && line[i] == separator) ++i;
      if (i == line.size()) {
        if (parser.field(++n) != "") std::abort();
        break;
      }
      std::size_t end = i;
      while (end < line.size() && line[end] != separator) ++end;
      if (parser.field(++n) != line.substr(i, end - i)) std::abort();
      if (end == line.size()) break;
      i = end + 1;
    }
    if (n != fields) std::abort();
  }
  std::string a, b, c;
  int i = 0, j = 0, k = 0;
  float x = 0, y = 0;
  parser.getFields({&a, nullptr, &b, &c});
  parser.getInts({&i, &j, nullptr, &k});
  parser.getFloats({&x, nullptr, &y});
  parser.getLine(copy);
  if (copy != parser.line()) std::abort();
  return 0;
}
