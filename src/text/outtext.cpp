#include "text/outtext.h"

#include <sys/mman.h>

#include <algorithm>

#include "text/fatal.h"

namespace vyr {

namespace {

constexpr std::size_t kGranule = std::size_t{2} << 20;  // a huge page
// A small text is better served by small pages: the first touch of a huge
// page has the kernel clear all of it.
constexpr std::size_t kHugeFrom = std::size_t{8} << 20;

void advise(void* area, std::size_t bytes) {
  if (bytes >= kHugeFrom) ::madvise(area, bytes, MADV_HUGEPAGE);
}

std::size_t roundUp(std::size_t bytes) { return (bytes + kGranule - 1) / kGranule * kGranule; }

char* reserve(std::size_t bytes) {
  void* area = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (area == MAP_FAILED) fatalError("Unable to allocate memory for the output text.");
  advise(area, bytes);
  return static_cast<char*>(area);
}

}  // namespace

// Twice the expected size: the annotated copy of faulty orders is larger than
// the orders, and address space that is never written costs nothing.
OUTTEXT::OUTTEXT(std::size_t expected) : capacity_(roundUp(kFrontRoom + 2 * expected + 1)) {
  area_ = reserve(capacity_);
}

OUTTEXT::~OUTTEXT() { ::munmap(area_, capacity_); }

void OUTTEXT::grow(std::size_t more) {
  const std::size_t wanted = roundUp(std::max(2 * capacity_, end_ + more));
  void* moved = ::mremap(area_, capacity_, wanted, MREMAP_MAYMOVE);
  if (moved == MAP_FAILED) fatalError("Unable to allocate memory for the output text.");
  area_ = static_cast<char*>(moved);
  advise(area_, wanted);
  capacity_ = wanted;
}

int OUTTEXT::prepend(std::string_view text) {
  if (text.size() > begin_) return 0;
  begin_ -= text.size();
  std::memcpy(area_ + begin_, text.data(), text.size());
  return 1;
}

}  // namespace vyr
