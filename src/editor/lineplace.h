// A place in an order line as an editor's completion and hover see it: the line split
// into fields as the checker splits it, the command, and the field the
// place stands in (or the new field it would start).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "text/fieldparser.h"

namespace vyr {

class LINEPLACE {
 public:
  // `line` without its line break; `offset` a byte offset into it.
  LINEPLACE(std::string_view line, std::size_t offset);

  [[nodiscard]] const FIELDPARSER& fields() const { return *parser_; }
  // The number of the command's field (1, or 2 after a lone '@'); the
  // command is "" on a blank or comment line.
  [[nodiscard]] int commandField() const { return commandField_; }
  [[nodiscard]] std::string_view command() const { return command_; }
  // The field the place stands in: the field that ends at or runs over it,
  // else the next field, which the place would start.
  [[nodiscard]] int field() const { return field_; }
  // Where that field starts in the line (the place itself for a new field),
  // and the bytes of it before the place.
  [[nodiscard]] std::size_t fieldStart() const { return fieldStart_; }
  [[nodiscard]] std::size_t fieldEnd() const { return fieldEnd_; }
  [[nodiscard]] std::string_view typed() const { return typed_; }
  // 1 when the place is inside a comment.
  [[nodiscard]] int inComment() const { return inComment_; }

 private:
  std::string line_;  // tabs made spaces, as wide as the line
  std::unique_ptr<FIELDPARSER> parser_;
  std::string_view command_;
  int commandField_ = 1;
  int field_ = 1;
  std::size_t fieldStart_ = 0;
  std::size_t fieldEnd_ = 0;
  std::string_view typed_;
  int inComment_ = 0;
};

}  // namespace vyr
