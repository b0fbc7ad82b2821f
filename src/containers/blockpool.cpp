// The block store's slow paths: new chunks, the general heap, the zero-byte
// request.
#include "containers/blockpool.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace vyr {

namespace {

constexpr std::size_t kFirstChunk = std::size_t{64} << 10;
constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kLargestChunk = std::size_t{8} << 20;

// A chunk starts with the link to the chunk taken before it.
struct Chunk {
  Chunk* previous;
};

// Every chunk, newest first, kept until the process ends.
Chunk* chunks = nullptr;
std::size_t nextChunk = kFirstChunk;
std::size_t reserved = 0;

}  // namespace

// Takes a new chunk; the rest of the old one is left unused. Chunks of a huge
// page or more are aligned to huge pages and advised as such.
bool BLOCKPOOL::addChunk() {
  const std::size_t size = nextChunk;
  void* memory = size >= kHugePage ? std::aligned_alloc(kHugePage, size) : std::malloc(size);
  if (memory == nullptr) return false;
  if (size >= kHugePage) ::madvise(memory, size, MADV_HUGEPAGE);
  auto* chunk = static_cast<Chunk*>(memory);
  chunk->previous = chunks;
  chunks = chunk;
  cursor_ = static_cast<char*>(memory) + kGranule;
  end_ = static_cast<char*>(memory) + size;
  reserved += size;
  if (nextChunk < kLargestChunk) nextChunk *= 2;
  return true;
}

void* BLOCKPOOL::allocateElsewhere(std::size_t bytes) {
  if (exhausted_) return nullptr;
  if (!kPooling || bytes > kLargestPooled) return ::operator new(bytes, std::nothrow);
  if (bytes == 0) return allocate(1);
  // The class's free list is empty and the chunk is used up.
  return addChunk() ? allocate(bytes) : nullptr;
}

void BLOCKPOOL::releaseElsewhere(void* block, std::size_t bytes) {
  if (block == nullptr) return;
  if (!kPooling || bytes > kLargestPooled) {
    ::operator delete(block);
    return;
  }
  release(block, 1);  // bytes == 0: the block came from the smallest class
}

std::size_t BLOCKPOOL::reservedBytes() { return reserved; }

void BLOCKPOOL::simulateExhaustion(int on) { exhausted_ = on != 0; }

}  // namespace vyr
