// The block store's slow paths: new chunks, the general heap, the zero-byte
// request.
#include "containers/blockpool.h"

#include <sys/mman.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

namespace vyr {

namespace {

constexpr std::size_t kFirstChunk = std::size_t{64} << 10;
constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kLargestChunk = std::size_t{8} << 20;

// A chunk starts with the link to the chunk taken before it.
struct Chunk {
  Chunk* previous;
};

// This thread's chunks, newest first; with the spares, every chunk is kept
// until the process ends.
thread_local Chunk* chunks = nullptr;
thread_local std::size_t nextChunk = kFirstChunk;
// Set once this thread's store went to the spares: what the thread still asks
// for on its way out comes from the general heap.
thread_local bool retired = false;
std::atomic<std::size_t> reserved{0};

// The store of a thread that ended, waiting for the next thread.
struct SPARE {
  std::vector<void*> free;  // the free lists, one per class
  char* cursor;
  char* end;
  Chunk* chunks;
  std::size_t nextChunk;
};

std::mutex& spareLock() {
  static std::mutex lock;
  return lock;
}

std::vector<SPARE>& spares() {
  static std::vector<SPARE> kept;
  return kept;
}

}  // namespace

// Hands the thread's store to the spares when the thread ends.
struct POOLRETIRER {
  POOLRETIRER() = default;
  POOLRETIRER(const POOLRETIRER&) = delete;
  POOLRETIRER& operator=(const POOLRETIRER&) = delete;
  ~POOLRETIRER() { BLOCKPOOL::retire(); }
};

void BLOCKPOOL::retire() {
  retired = true;
  if (chunks == nullptr) return;
  SPARE spare{std::vector<void*>(kClasses), cursor_, end_, chunks, nextChunk};
  for (std::size_t index = 0; index < kClasses; ++index) {
    spare.free[index] = free_[index];
    free_[index] = nullptr;
  }
  cursor_ = end_ = nullptr;
  chunks = nullptr;
  const std::lock_guard<std::mutex> hold(spareLock());
  spares().push_back(std::move(spare));
}

// A thread that takes its first chunk takes over the store of a thread that
// ended, if there is one; the blocks it was given back so far stay its own.
void BLOCKPOOL::adoptSpare() {
  SPARE spare;
  {
    const std::lock_guard<std::mutex> hold(spareLock());
    if (spares().empty()) return;
    spare = std::move(spares().back());
    spares().pop_back();
  }
  for (std::size_t index = 0; index < kClasses; ++index) {
    auto* adopted = static_cast<FreeBlock*>(spare.free[index]);
    if (adopted == nullptr) continue;
    FreeBlock* tail = adopted;
    while (tail->next != nullptr) tail = tail->next;
    tail->next = free_[index];
    free_[index] = adopted;
  }
  cursor_ = spare.cursor;
  end_ = spare.end;
  chunks = spare.chunks;
  nextChunk = spare.nextChunk;
}

// Takes a new chunk; the rest of the old one is left unused. Chunks of a huge
// page or more are aligned to huge pages and advised as such.
bool BLOCKPOOL::addChunk() {
  if (chunks == nullptr) {
    static thread_local POOLRETIRER retirer;
    (void)retirer;
    adoptSpare();
    if (chunks != nullptr) return true;  // the caller tries its free list and the cursor again
  }
  const std::size_t size = nextChunk;
  void* memory = size >= kHugePage ? std::aligned_alloc(kHugePage, size) : std::malloc(size);
  if (memory == nullptr) return false;
  if (size >= kHugePage) ::madvise(memory, size, MADV_HUGEPAGE);
  auto* chunk = static_cast<Chunk*>(memory);
  chunk->previous = chunks;
  chunks = chunk;
  cursor_ = static_cast<char*>(memory) + kGranule;
  end_ = static_cast<char*>(memory) + size;
  reserved.fetch_add(size, std::memory_order_relaxed);
  if (nextChunk < kLargestChunk) nextChunk *= 2;
  return true;
}

void* BLOCKPOOL::allocateElsewhere(std::size_t bytes) {
  if (exhausted_) return nullptr;
  if (!kPooling || bytes > kLargestPooled || retired) return ::operator new(bytes, std::nothrow);
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

std::size_t BLOCKPOOL::reservedBytes() { return reserved.load(std::memory_order_relaxed); }

void BLOCKPOOL::simulateExhaustion(int on) { exhausted_ = on != 0; }

}  // namespace vyr
