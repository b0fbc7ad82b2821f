// The process's command-line arguments, kept where any part of the program can
// look them up. All ARGS objects read and write one process-wide store.
// Positions are 1-based; position 1 is the program's own name.
//
// Results: 1 success, 0 not found (`findOption`), -1 no such position, -2 wrong
// form, -3 no destination, -4 option present but nothing after it.
#pragma once

#include <string>
#include <string_view>

namespace vyr {

class ARGS {
 public:
  // Stores the count and vector (not copied), then checks the store.
  ARGS(int argc, char** argv);
  // Checks the store only: before it is filled, any lookup is fatal.
  ARGS();

  int count() const;
  // mode 1: exact; any other mode ignores letter case.
  int findOption(std::string_view text, int mode, int* position = nullptr) const;
  int getString(int position, std::string* destination) const;
  int getInt(int position, int* value) const;
  int getLong(int position, long* value) const;
  int getFloat(int position, float* value) const;
  int getStringAfter(std::string_view option, std::string* destination, int mode) const;
  int getIntAfter(std::string_view option, int* value, int mode) const;
  int getLongAfter(std::string_view option, long* value, int mode) const;
  int getFloatAfter(std::string_view option, float* value, int mode) const;
  // The program's name up to and including its last '/', or "".
  std::string& programDirectory(std::string& destination) const;

  // Test-only: puts the given store in place without checking it (by default
  // the empty store of start-up) and answers the store it replaced, so that a
  // test can put that one back afterwards.
  struct Store {
    int count;
    char** vector;
  };
  static Store resetForTesting(Store store = {0, nullptr});

 private:
  void check() const;
  // The position after the option, or -1 (option absent) / -4 (nothing after it).
  int positionAfter(std::string_view option, int mode) const;
};

}  // namespace vyr
