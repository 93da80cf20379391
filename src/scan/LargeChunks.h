#pragma once

#include <cstddef>
#include <memory>
#include <utility>

namespace obitrak {

// Memory for the stores that grow with a demo (the message log's records and texts). A demo
// of hundreds of thousands of messages fills hundreds of megabytes, and on many systems a
// page fault for every 4 KiB of it costs more than the scan itself: a chunk of
// kLargeChunkSize or more gets a mapping of its own, aligned to that size and advised to be
// backed by the system's huge pages where it offers them. Smaller chunks are plain
// allocations, so that a short log stays small. No chunk reserves more address space than
// it holds.
inline constexpr std::size_t kLargeChunkSize = std::size_t{2} << 20;

// Frees a chunk the way it was allocated.
struct ChunkDeleter {
  std::size_t mapped = 0;  // bytes of the chunk's own mapping, 0 for a plain allocation
  void operator()(void* p) const;
};
template <typename T>
using Chunk = std::unique_ptr<T, ChunkDeleter>;

// `bytes` of uninitialised memory and its deleter. Throws std::bad_alloc.
std::pair<void*, ChunkDeleter> allocateChunkBytes(std::size_t bytes);

template <typename T>
Chunk<T> allocateChunk(std::size_t count) {
  auto [p, deleter] = allocateChunkBytes(count * sizeof(T));
  return Chunk<T>(static_cast<T*>(p), deleter);
}

}  // namespace obitrak
