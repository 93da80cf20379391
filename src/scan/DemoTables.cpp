#include "scan/DemoTables.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

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

std::size_t HitLocationKills::index(int killer, int weapon, HitLocation location) {
  const auto l = static_cast<int>(location);
  if (killer < 1 || killer > kMaxSlots || weapon < 0 || weapon >= kWeaponIndices || l < 0 ||
      l > kHitLocations) {
    throw std::out_of_range("hit location index out of range");
  }
  return (static_cast<std::size_t>(killer - 1) * kWeaponIndices +
          static_cast<std::size_t>(weapon)) *
             (kHitLocations + 1) +
         static_cast<std::size_t>(l);
}

void HitLocationKills::add(int killer, int weapon, HitLocation location, std::uint32_t count) {
  const std::size_t i = index(killer, weapon, location);
  if (m_counts.empty())
    m_counts.assign(std::size_t{kMaxSlots} * kWeaponIndices * (kHitLocations + 1), 0);
  m_counts[i] = count > UINT32_MAX - m_counts[i] ? UINT32_MAX : m_counts[i] + count;
}

std::int64_t HitLocationKills::ofKiller(int killer, HitLocation location) const {
  std::int64_t sum = 0;
  for (int w = 1; w < kWeaponIndices; ++w) sum += (*this)(killer, w, location);
  return sum;
}

namespace {
constexpr std::size_t kFirstTextChunk = 64 * 1024;
}

// Text chunks double from 64 KiB to the large chunk size.
std::string_view MessageLog::storeText(std::string_view text) {
  if (text.empty()) return {};
  if (auto known = m_texts.find(text); known != m_texts.end()) return *known;
  if (m_chunks.empty() || m_chunkSize - m_chunkUsed < text.size()) {
    const std::size_t next =
        m_chunks.empty() ? kFirstTextChunk : std::min(2 * m_chunkSize, kLargeLogChunk);
    m_chunkSize = std::max(next, text.size());
    m_chunks.push_back(allocateChunk<char>(m_chunkSize));
    m_chunkUsed = 0;
  }
  char* at = m_chunks.back().get() + m_chunkUsed;
  std::memcpy(at, text.data(), text.size());
  m_chunkUsed += text.size();
  const std::string_view stored(at, text.size());
  if (m_texts.size() < kDistinctTexts) m_texts.insert(stored);
  return stored;
}

LogRecord& MessageLog::slot(std::size_t index) const {
  constexpr std::size_t kGrowing = std::bit_width(kLargeChunkRecords / kFirstChunkRecords) - 1;
  constexpr std::size_t kInGrowing = kFirstChunkRecords * ((std::size_t{1} << kGrowing) - 1);
  if (index < kInGrowing) {
    const std::size_t chunk = std::bit_width(index / kFirstChunkRecords + 1) - 1;
    const std::size_t before = kFirstChunkRecords * ((std::size_t{1} << chunk) - 1);
    return m_recordChunks[chunk].get()[index - before];
  }
  const std::size_t rest = index - kInGrowing;
  return m_recordChunks[kGrowing + rest / kLargeChunkRecords].get()[rest % kLargeChunkRecords];
}

LogRecord& MessageLog::record(std::uint32_t r) const {
  if (r < 1 || r > m_size) throw std::out_of_range("MessageLog record out of range");
  return slot(r - 1);
}

LogRecord& MessageLog::add(std::uint8_t level, std::string_view text, std::int32_t time) {
  if (m_size == m_capacity) {
    const std::size_t k = std::min<std::size_t>(m_recordChunks.size(), 16);
    const std::size_t records = std::min(kFirstChunkRecords << k, kLargeChunkRecords);
    m_recordChunks.push_back(allocateChunk<LogRecord>(records));
    m_capacity += records;
  }
  LogRecord& r = *new (&slot(m_size)) LogRecord();
  ++m_size;
  r.level = level;
  r.text = storeText(text);
  r.time = time;
  m_textBytes += text.size();
  return r;
}

MessageLog::MessageLog(MessageLog&& other) noexcept {
  *this = std::move(other);
}

MessageLog& MessageLog::operator=(MessageLog&& other) noexcept {
  if (this == &other) return *this;
  m_recordChunks = std::exchange(other.m_recordChunks, {});
  m_size = std::exchange(other.m_size, 0);
  m_capacity = std::exchange(other.m_capacity, 0);
  m_limits = other.m_limits;
  m_textBytes = std::exchange(other.m_textBytes, 0);
  m_chunks = std::exchange(other.m_chunks, {});
  m_chunkUsed = std::exchange(other.m_chunkUsed, 0);
  m_chunkSize = std::exchange(other.m_chunkSize, 0);
  m_texts = std::exchange(other.m_texts, {});
  logCount = std::exchange(other.logCount, 0);
  return *this;
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
    const std::string_view text = added.text;
    added = r;  // every field, what a reader resolved included
    added.text = text;
  }
  copy.logCount = other.logCount;
  *this = std::move(copy);
  return *this;
}

}  // namespace obitrak
