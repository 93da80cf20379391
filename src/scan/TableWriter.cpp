#include "scan/TableWriter.h"

#include <algorithm>
#include <utility>

#include "scan/ObituaryAnalysis.h"
#include "scan/ScoreboardLayout.h"

namespace obitrak {

namespace {

constexpr char kNameSeparator = '\\';
constexpr std::size_t kUnkeptBatch = 4096;

void addCounts(const KillMatrix& from, KillMatrix& to) {
  for (int v = 1; v <= kMaxSlots; ++v) {
    for (int k = 1; k <= kMaxSlots; ++k) {
      for (int w = 0; w < kWeaponIndices; ++w) {
        const std::uint64_t n = from(v, k, w);
        if (n == 0) continue;
        std::uint32_t& cell = to(v, k, w);
        cell = static_cast<std::uint32_t>(std::min<std::uint64_t>(cell + n, UINT32_MAX));
      }
    }
  }
}

}  // namespace

void UnkeptKills::add(std::uint8_t level, std::string_view text, const PlayerTable& players) {
  m_batch.add(level, text, 0);
  if (m_batch.size() >= kUnkeptBatch) flush(players);
}

void UnkeptKills::flush(const PlayerTable& players) {
  if (m_batch.size() == 0) return;
  DemoTables batch;
  batch.players = players;
  batch.log = std::move(m_batch);
  batch.log.logCount = static_cast<std::uint32_t>(batch.log.size());
  m_batch = MessageLog();
  ObituaryAnalysis(batch, m_pack);
  addCounts(batch.killMatrix, m_counts);
}

void UnkeptKills::addTo(KillMatrix& km) const {
  addCounts(m_counts, km);
}

void TableWriter::notice(std::string_view text) {
  m_report.statusPanel1 = std::string(text);
  m_report.notices.emplace_back(text);
}

void TableWriter::addLogRecord(std::uint8_t level, std::string_view text, std::int32_t time) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  const bool keep = m_t.log.hasRoomFor(text.size());
  if (!keep) {
    if (!m_logFullReported) {
      m_logFullReported = true;
      notice(kNoticeMessageLogFull);
    }
    if (level != 1) return;
  }
  m_cleaned.assign(text);
  for (char& c : m_cleaned) c = static_cast<char>(static_cast<unsigned char>(c) & 0x7F);
  if (keep) {
    m_t.log.add(level, m_cleaned, time);
  } else {
    m_unkept.add(level, m_cleaned, m_t.players);
  }
}

void TableWriter::playerConfigString(int slot, std::string_view text) {
  if (slot < 1 || slot > kMaxSlots || text.empty()) return;
  std::string_view name = text.substr(0, text.find(kNameSeparator));
  PlayerTable& players = m_t.players;
  PlayerRecord& record = players[slot];
  if (!record.name.empty() && record.name.view() != name) {
    if (players.playerCount < kMaxSlots) {
      ++players.playerCount;
      PlayerRecord& moved = players[players.playerCount];
      moved.name = record.name;
      moved.skin = record.skin;
      moved.clientSlot = record.clientSlot;
    } else if (!m_tableFullReported) {
      m_tableFullReported = true;
      notice(kNoticePlayerTableFull);
    }
  }
  setIdentity(slot, name, text);
}

void TableWriter::setIdentity(int slot, std::string_view name, std::string_view text) {
  PlayerRecord& record = m_t.players[slot];
  record.name = name;
  std::size_t skip = std::min(text.size(), record.name.size() + 1);
  record.skin = text.substr(skip);
  record.clientSlot = static_cast<std::uint8_t>(slot);
  if (m_t.players.playerCount < slot) m_t.players.playerCount = static_cast<std::uint8_t>(slot);
}

void TableWriter::layout(std::string_view text, std::int32_t time) {
  std::vector<LayoutEntry> entries = scoreboardEntries(text);
  if (entries.empty()) return;
  Scoreboard board;
  board.time = time;
  board.entries.reserve(entries.size());
  for (const LayoutEntry& e : entries) {
    ScoreboardEntry& entry = board.entries.emplace_back();
    entry.clientNumber = e.clientNumber;
    if (e.clientNumber < kMaxSlots) entry.name = m_t.players[e.clientNumber + 1].name.str();
    entry.score = e.score;
    entry.ping = e.ping;
    entry.minutes = e.minutes;
  }
  m_t.scoreboard = std::move(board);
}

void TableWriter::endRead() {
  m_t.log.logCount = static_cast<std::uint32_t>(m_t.log.size());
  m_unkept.flush(m_t.players);
}

}  // namespace obitrak
