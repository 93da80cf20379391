#pragma once

#include <cstddef>
#include <memory>

namespace obitrak {

// Memory for the message log's records and texts. A demo of hundreds of thousands of
// messages fills hundreds of megabytes, and on many systems a page fault for every 4 KiB of
// fresh memory costs more than the scan itself. The log's chunks therefore grow, from small
// ones for a short log to kLargeLogChunk, and inside a large chunk every whole stretch
// aligned to kHugePageSize is advised to be backed by the system's huge pages where it
// offers them. The chunks are plain allocations: they take no more memory or address space
// than they hold, and a large one goes back to the system when it is freed.
inline constexpr std::size_t kHugePageSize = std::size_t{2} << 20;
inline constexpr std::size_t kLargeLogChunk = 4 * kHugePageSize;

struct ChunkDeleter {
  void operator()(void* p) const;
};
template <typename T>
using Chunk = std::unique_ptr<T, ChunkDeleter>;

// `bytes` of uninitialised memory. Throws std::bad_alloc.
void* allocateChunkBytes(std::size_t bytes);

template <typename T>
Chunk<T> allocateChunk(std::size_t count) {
  return Chunk<T>(static_cast<T*>(allocateChunkBytes(count * sizeof(T))));
}

}  // namespace obitrak
