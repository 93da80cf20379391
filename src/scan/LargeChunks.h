#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>

namespace obitrak {

// Memory for the large stores that grow with a demo (the message log's records and texts).
// A demo of hundreds of thousands of messages fills hundreds of megabytes, and on many
// systems a page fault for every 4 KiB of it costs more than the scan itself: chunks that
// ask for it are aligned to kLargeChunkSize and advised to be backed by the system's huge
// pages where it offers them. Other chunks are plain allocations.
inline constexpr std::size_t kLargeChunkSize = std::size_t{2} << 20;

struct ChunkDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Chunk = std::unique_ptr<T, ChunkDeleter>;

// `bytes` of uninitialised memory; `large` for the huge-page advice (then `bytes` is
// rounded up to whole kLargeChunkSize). Throws std::bad_alloc.
void* allocateChunk(std::size_t bytes, bool large);

}  // namespace obitrak
