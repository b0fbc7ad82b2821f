// The process-wide argument store.
#include "driver/args.h"

#include "text/fatal.h"
#include "text/numbers.h"
#include "text/words.h"

namespace vyr {

namespace {

// The one store shared by every ARGS object. The vector is the caller's own
// array of texts; it is never copied or freed here.
int gCount = 0;
char** gVector = nullptr;

std::string_view argumentAt(int position) {
  const char* text = gVector[position - 1];
  return text != nullptr ? std::string_view(text) : std::string_view();
}

bool isValidPosition(int position) { return position >= 1 && position <= gCount; }

}  // namespace

ARGS::ARGS(int argc, char** argv) {
  gCount = argc;
  gVector = argv;
  check();
}

ARGS::ARGS() { check(); }

ARGS::Store ARGS::resetForTesting(Store store) {
  const Store previous{gCount, gVector};
  gCount = store.count;
  gVector = store.vector;
  return previous;
}

void ARGS::check() const {
  if (gCount < 0 || gVector == nullptr) fatalError("Command Line Argument Haven't Been Assigned As Yet.");
}

int ARGS::count() const {
  check();
  return gCount;
}

int ARGS::findOption(std::string_view text, int mode, int* position) const {
  check();
  for (int i = 1; i <= gCount; ++i) {
    const std::string_view argument = argumentAt(i);
    const bool same = mode == 1 ? argument == text : compareNoCase(argument, text) == 0;
    if (same) {
      if (position != nullptr) *position = i;
      return 1;
    }
  }
  return 0;
}

int ARGS::getString(int position, std::string* destination) const {
  check();
  if (!isValidPosition(position)) return -1;
  if (destination == nullptr) return -3;
  copyText(argumentAt(position), *destination);
  return 1;
}

int ARGS::getInt(int position, int* value) const {
  check();
  if (!isValidPosition(position)) return -1;
  if (!isInteger(argumentAt(position))) return -2;
  if (value == nullptr) return -3;
  *value = readInt(argumentAt(position));
  return 1;
}

int ARGS::getLong(int position, long* value) const {
  check();
  if (!isValidPosition(position)) return -1;
  if (!isInteger(argumentAt(position))) return -2;
  if (value == nullptr) return -3;
  *value = readLong(argumentAt(position));
  return 1;
}

int ARGS::getFloat(int position, float* value) const {
  check();
  if (!isValidPosition(position)) return -1;
  if (!isReal(argumentAt(position))) return -2;
  if (value == nullptr) return -3;
  *value = static_cast<float>(readDouble(argumentAt(position)));
  return 1;
}

int ARGS::positionAfter(std::string_view option, int mode) const {
  int position = 0;
  if (findOption(option, mode, &position) != 1) return -1;
  return isValidPosition(position + 1) ? position + 1 : -4;
}

int ARGS::getStringAfter(std::string_view option, std::string* destination, int mode) const {
  const int next = positionAfter(option, mode);
  return next < 0 ? next : getString(next, destination);
}

int ARGS::getIntAfter(std::string_view option, int* value, int mode) const {
  const int next = positionAfter(option, mode);
  return next < 0 ? next : getInt(next, value);
}

int ARGS::getLongAfter(std::string_view option, long* value, int mode) const {
  const int next = positionAfter(option, mode);
  return next < 0 ? next : getLong(next, value);
}

int ARGS::getFloatAfter(std::string_view option, float* value, int mode) const {
  const int next = positionAfter(option, mode);
  return next < 0 ? next : getFloat(next, value);
}

std::string& ARGS::programDirectory(std::string& destination) const {
  destination.clear();
  if (gVector == nullptr || gCount < 1) return destination;
  const std::string_view name = argumentAt(1);
  const std::size_t slash = name.rfind('/');
  if (slash != std::string_view::npos) destination.assign(name.data(), slash + 1);
  return destination;
}

}  // namespace vyr
