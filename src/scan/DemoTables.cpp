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

std::string_view MessageLog::storeText(std::string_view text) {
  if (text.empty()) return {};
  if (m_chunks.empty() || m_chunkSize - m_chunkUsed < text.size()) {
    m_chunkSize = std::max(kTextChunkSize, text.size());
    m_chunks.push_back(std::make_unique_for_overwrite<char[]>(m_chunkSize));
    m_chunkUsed = 0;
  }
  char* at = m_chunks.back().get() + m_chunkUsed;
  std::memcpy(at, text.data(), text.size());
  m_chunkUsed += text.size();
  return {at, text.size()};
}

LogRecord& MessageLog::add(std::uint8_t level, std::string_view text, std::int32_t time) {
  LogRecord& r = m_records.emplace_back();
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
  for (const LogRecord& r : other.m_records) {
    LogRecord& added = copy.add(r.level, r.text, r.time);
    added.killer = r.killer;
    added.victim = r.victim;
  }
  copy.logCount = other.logCount;
  *this = std::move(copy);
  return *this;
}

}  // namespace obitrak
