#include "scan/DemoTables.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

namespace obitrak {

void KillMatrix::throwOutOfRange() {
  throw std::out_of_range("KillMatrix index out of range");
}

void KillMatrix::FreeCells::operator()(std::uint32_t* p) const {
  std::free(p);
}

void KillMatrix::prepareRows(int victim) {
  if (!m_cells) {
    auto* cells = static_cast<std::uint32_t*>(std::malloc(kCellCount * sizeof(std::uint32_t)));
    if (cells == nullptr) throw std::bad_alloc();
    m_cells.reset(cells);
  }
  std::memset(
      m_cells.get() + static_cast<std::size_t>(m_rowsReady) * kCellsPerVictim, 0,
      static_cast<std::size_t>(victim - m_rowsReady) * kCellsPerVictim * sizeof(std::uint32_t));
  m_rowsReady = victim;
}

KillMatrix::KillMatrix(const KillMatrix& other) {
  *this = other;
}

KillMatrix& KillMatrix::operator=(const KillMatrix& other) {
  if (this == &other) return *this;
  clear();
  if (other.m_rowsReady > 0) {
    prepareRows(other.m_rowsReady);
    std::memcpy(
        m_cells.get(), other.m_cells.get(),
        static_cast<std::size_t>(other.m_rowsReady) * kCellsPerVictim * sizeof(std::uint32_t));
  }
  return *this;
}

namespace {
constexpr std::size_t kTextChunkSize = 64 * 1024;
}

// Text chunks double from 64 KiB to the large chunk size, so that a short log stays small.
std::string_view MessageLog::storeText(std::string_view text) {
  if (text.empty()) return {};
  if (m_chunks.empty() || m_chunkSize - m_chunkUsed < text.size()) {
    const std::size_t next =
        m_chunks.empty() ? kTextChunkSize : std::min(2 * m_chunkSize, kLargeChunkSize);
    m_chunkSize = std::max(next, text.size());
    const bool large = m_chunkSize >= kLargeChunkSize;
    m_chunks.emplace_back(static_cast<char*>(allocateChunk(m_chunkSize, large)));
    m_chunkUsed = 0;
  }
  char* at = m_chunks.back().get() + m_chunkUsed;
  std::memcpy(at, text.data(), text.size());
  m_chunkUsed += text.size();
  return {at, text.size()};
}

LogRecord& MessageLog::record(std::uint32_t r) const {
  if (r < 1 || r > m_size) throw std::out_of_range("MessageLog record out of range");
  const std::size_t i = r - 1;
  return m_recordChunks[i / kRecordsPerChunk].get()[i % kRecordsPerChunk];
}

// Records fill chunks of the large chunk size; all but the first are advised huge pages, so
// that a log of a few messages costs only the pages it touches.
LogRecord& MessageLog::add(std::uint8_t level, std::string_view text, std::int32_t time) {
  if (m_size == m_recordChunks.size() * kRecordsPerChunk) {
    void* chunk = allocateChunk(kLargeChunkSize, !m_recordChunks.empty());
    m_recordChunks.emplace_back(static_cast<LogRecord*>(chunk));
  }
  LogRecord* slot = m_recordChunks.back().get() + m_size % kRecordsPerChunk;
  LogRecord& r = *new (slot) LogRecord();
  ++m_size;
  r.level = level;
  r.text = storeText(text);
  r.time = time;
  m_textBytes += text.size();
  return r;
}

MessageLog::MessageLog(const MessageLog& other) {
  *this = other;
}

MessageLog& MessageLog::operator=(const MessageLog& other) {
  if (this == &other) return *this;
  MessageLog copy;
  copy.m_limits = other.m_limits;
  for (const LogRecord& r : other) {
    LogRecord& added = copy.add(r.level, r.text, r.time);
    added.killer = r.killer;
    added.victim = r.victim;
  }
  copy.logCount = other.logCount;
  *this = std::move(copy);
  return *this;
}

}  // namespace obitrak
