#include "scan/LargeChunks.h"

#include <sys/mman.h>

#include <new>

namespace obitrak {

void* allocateChunk(std::size_t bytes, bool large) {
  void* p = nullptr;
  if (large) {
    const std::size_t rounded = (bytes + kLargeChunkSize - 1) / kLargeChunkSize * kLargeChunkSize;
    p = std::aligned_alloc(kLargeChunkSize, rounded);
#ifdef MADV_HUGEPAGE
    // Only advice: where the system has no huge pages for it, small pages serve.
    if (p != nullptr) ::madvise(p, rounded, MADV_HUGEPAGE);
#endif
  } else {
    p = std::malloc(bytes);
  }
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

}  // namespace obitrak
