// Map places: a region (1..16000) and a shire (1..5, shire 5 the central one),
// held in the key as region * 10 + shire. Key 0 is the empty location.
#pragma once

#include <string>
#include <string_view>

#include "containers/list.h"

namespace vyr {

// One place, held only in the key. Key 0 is the empty location; a nonzero
// region with shire 0 can be set but is never parsed from text.
class LOCATION : public OBJECT {
 public:
  explicit LOCATION(int key = 0) : OBJECT(key) {}
  [[nodiscard]] int region() const { return key() / 10; }
  [[nodiscard]] int shire() const { return key() % 10; }
  // Valid: 0 <= region <= 16000, 0 <= shire <= 5, and shire 0 or region >= 1.
  int setLocation(int region, int shire);
  std::string& toText(std::string& destination) const;
  std::string& toParenText(std::string& destination) const;
  // "region,shire" read with `atoi` per comma-separated piece; both must be nonzero.
  int parseLocation(std::string_view text);
  [[nodiscard]] int equals(const LOCATION& other) const;
  int copyFrom(const LOCATION& other);
  // Asks for a region in 1..maxRegion and a shire in 1..5, re-asking after
  // wrong answers; answers the result of setLocation, or 0 when the input
  // ends while the answer (the current value) is out of range.
  int promptLocation(const char* label, int maxRegion);
};

// A set of locations, identified by their keys. Owns its elements. The fills
// cover the regions 1..16000 at most: a larger count gives the same list as
// 16000.
class LOCATIONLIST : public LIST<LOCATION> {
 public:
  int parseList(const char* text);
  std::string& listText(std::string& destination);
  std::string& listParenText(std::string& destination);
  std::string* markedText(std::string& destination, LOCATIONLIST* other, const char* marker, int paren);
  int contains(const LOCATION& location);
  int addUnique(const LOCATION* location);
  int removeLocation(const LOCATION& location);
  int createShireDestList(const LOCATION& location);
  void fillCentralShires(int count);
  void fillAllShires(int count);
  void addAllTo(LOCATIONLIST& other);
  void copyKeysFrom(LOCATIONLIST& other);

 private:
  // Empties the list and fills it with the shires firstShire..5 of the
  // regions 1..regionCount, in key order.
  void fillShires(int regionCount, int firstShire);
};

}  // namespace vyr
