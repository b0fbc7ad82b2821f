// Ready-made list elements that carry one more value besides their key.
#pragma once

#include <string>
#include <string_view>

#include "containers/list.h"

namespace vyr {

// An element with two owned texts: a name and a second text.
class NAMEDOBJECT : public OBJECT {
 public:
  explicit NAMEDOBJECT(int key = 0, std::string_view name = {}, std::string_view text = {})
      : OBJECT(key), name_(name), text_(text) {}

  std::string& getName(std::string& destination) const { return destination = name_; }
  std::string& getText(std::string& destination) const { return destination = text_; }
  // Borrowed views for lookups that must not copy.
  [[nodiscard]] const std::string& name() const { return name_; }
  [[nodiscard]] const std::string& text() const { return text_; }

 private:
  std::string name_;
  std::string text_;
};

// An element with a value of type V; `isValid` is OBJECT's unless specialised.
template <class V>
class VALUEOBJECT : public OBJECT {
 public:
  explicit VALUEOBJECT(int key = 0, V value = V{}) : OBJECT(key), value_(value) {}
  [[nodiscard]] V value() const { return value_; }
  void setValue(V value) { value_ = value; }

 protected:
  V value_;
};

class INTOBJECT : public VALUEOBJECT<int> {
 public:
  using VALUEOBJECT::VALUEOBJECT;
  void addValue(int amount) { value_ += amount; }
  // Valid when its value is not 0.
  [[nodiscard]] int isValid() const override { return value_ != 0 ? 1 : 0; }
};

class LONGINTOBJECT : public VALUEOBJECT<long> {
 public:
  using VALUEOBJECT::VALUEOBJECT;
  void addValue(long amount) { value_ += amount; }
};

class FLOATOBJECT : public VALUEOBJECT<float> {
 public:
  using VALUEOBJECT::VALUEOBJECT;
};

class DOUBLEOBJECT : public VALUEOBJECT<double> {
 public:
  using VALUEOBJECT::VALUEOBJECT;
};

// Holds a pointer it does not own and never frees.
class POINTEROBJECT : public VALUEOBJECT<void*> {
 public:
  using VALUEOBJECT::VALUEOBJECT;
};

// Integers ordered by key and, among equal keys, by value (for `addByCompare`
// and `sortByCompare`; `add` and `sortByKey` still order by key alone).
class INTLIST : public LIST<INTOBJECT> {
 public:
  [[nodiscard]] int isGreater(const OBJECT& a, const OBJECT& b) const override;
};

}  // namespace vyr
