#include "scan/LargeChunks.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <new>

namespace obitrak {

void ChunkDeleter::operator()(void* p) const {
  if (mapped != 0) {
    ::munmap(p, mapped);
  } else {
    std::free(p);
  }
}

std::pair<void*, ChunkDeleter> allocateChunkBytes(std::size_t bytes) {
  if (bytes < kLargeChunkSize) {
    void* p = std::malloc(bytes);
    if (p == nullptr) throw std::bad_alloc();
    return {p, ChunkDeleter{}};
  }
  // A mapping one large chunk longer than needed, cut down to the aligned part.
  const std::size_t size = (bytes + kLargeChunkSize - 1) / kLargeChunkSize * kLargeChunkSize;
  void* mapping = ::mmap(nullptr, size + kLargeChunkSize, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<std::uintptr_t>(mapping);
  const std::uintptr_t aligned = (start + kLargeChunkSize - 1) / kLargeChunkSize * kLargeChunkSize;
  const std::size_t head = aligned - start;
  if (head != 0) ::munmap(mapping, head);
  ::munmap(reinterpret_cast<void*>(aligned + size), kLargeChunkSize - head);
  void* chunk = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
  // Only advice: where the system has no huge pages for it, small pages serve.
  ::madvise(chunk, size, MADV_HUGEPAGE);
#endif
  return {chunk, ChunkDeleter{size}};
}

}  // namespace obitrak
