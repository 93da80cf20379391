#include "scan/LogChunks.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <new>

namespace obitrak {

void ChunkDeleter::operator()(void* p) const {
  std::free(p);
}

void* allocateChunkBytes(std::size_t bytes) {
  void* p = std::malloc(bytes);
  if (p == nullptr) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  if (bytes >= kLargeLogChunk) {
    // Only advice, on the aligned stretches: where the system has no huge pages for them,
    // small pages serve.
    const auto start = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t first = (start + kHugePageSize - 1) / kHugePageSize * kHugePageSize;
    const std::uintptr_t end = (start + bytes) / kHugePageSize * kHugePageSize;
    if (end > first) ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
  }
#endif
  return p;
}

}  // namespace obitrak
