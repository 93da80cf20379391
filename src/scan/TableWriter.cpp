#include "scan/TableWriter.h"

#include <algorithm>
#include <string>
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

void addLocations(const HitLocationKills& from, HitLocationKills& to) {
  for (int k = 1; k <= kMaxSlots; ++k) {
    for (int w = 1; w < kWeaponIndices; ++w) {
      for (int l = 1; l <= kHitLocations; ++l) {
        const auto location = static_cast<HitLocation>(l);
        if (const std::uint32_t n = from(k, w, location); n != 0) to.add(k, w, location, n);
      }
    }
  }
}

}  // namespace

void UnkeptKills::add(std::uint8_t level, std::string_view text, const PlayerTable& players,
                      const PhrasePack* pack) {
  m_batch.add(level, text, 0);
  if (m_batch.size() >= kUnkeptBatch) flush(players, pack);
}

void UnkeptKills::flush(const PlayerTable& players, const PhrasePack* pack) {
  if (m_batch.size() == 0) return;
  DemoTables batch;
  batch.players = players;
  batch.log = std::move(m_batch);
  batch.log.logCount = static_cast<std::uint32_t>(batch.log.size());
  m_batch = MessageLog();
  ObituaryAnalysis(batch, pack);
  addCounts(batch.killMatrix, m_counts);
  addLocations(batch.hitLocations, m_hitLocations);
  for (std::size_t s = 0; s < m_scoreBonus.size(); ++s) m_scoreBonus[s] += batch.scoreBonus[s];
}

void UnkeptKills::addResolved(const ResolvedDeath& death) {
  std::uint32_t& all = m_resolved(death.victim, death.killer, 0);
  all = std::max(all, all + 1);
  if (death.killer != death.victim) {
    std::uint32_t& cell = m_resolved(death.victim, death.killer, death.weapon);
    cell = std::max(cell, cell + 1);
  }
  m_anyResolved = true;
}

void UnkeptKills::moveResolved(int from, int to) {
  if (!m_anyResolved) return;
  KillMatrix moved;
  for (int v = 1; v <= kMaxSlots; ++v) {
    for (int k = 1; k <= kMaxSlots; ++k) {
      for (int w = 0; w < kWeaponIndices; ++w) {
        const std::uint32_t n = std::as_const(m_resolved)(v, k, w);
        if (n != 0) moved(v == from ? to : v, k == from ? to : k, w) = n;
      }
    }
  }
  m_resolved = std::move(moved);
}

void UnkeptKills::addTo(DemoTables& tables) const {
  addCounts(m_counts, tables.killMatrix);
  addCounts(m_resolved, tables.killMatrix);
  addLocations(m_hitLocations, tables.hitLocations);
  for (std::size_t s = 0; s < m_scoreBonus.size(); ++s)
    tables.scoreBonus[s] = clampToInt32(tables.scoreBonus[s] + m_scoreBonus[s]);
}

void TableWriter::notice(std::string_view text) {
  m_report.statusPanel1 = std::string(text);
  m_report.notices.emplace_back(text);
}

void TableWriter::unsupported(std::int32_t protocol, int version, bool partly) {
  std::string text(kNoticeUnsupported);
  text += std::to_string(protocol);
  if (version != 0) text += " version " + std::to_string(version);
  notice(text);
  m_report.unsupported = m_report.unsupported || !partly;
}

bool TableWriter::cleanText(std::string_view text) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  const bool keep = m_t.log.hasRoomFor(text.size());
  if (!keep && !m_logFullReported) {
    m_logFullReported = true;
    notice(kNoticeMessageLogFull);
  }
  m_cleaned.assign(text);
  for (char& c : m_cleaned) c = static_cast<char>(static_cast<unsigned char>(c) & 0x7F);
  return keep;
}

void TableWriter::addLogRecord(std::uint8_t level, std::string_view text, std::int32_t time) {
  if (cleanText(text)) {
    m_t.log.add(level, m_cleaned, time);
  } else if (level == 1) {
    m_unkept.add(level, m_cleaned, m_t.players, pack());
  }
}

void TableWriter::addResolvedDeath(std::uint8_t level, std::string_view text, std::int32_t time,
                                   const ResolvedDeath& death) {
  if (!cleanText(text)) {
    m_unkept.addResolved(death);
    return;
  }
  LogRecord& r = m_t.log.add(level, m_cleaned, time);
  r.victim = death.victim;
  r.killer = death.killer;
  r.weapon = static_cast<std::uint8_t>(death.killer != death.victim ? death.weapon : 0);
  r.resolved = true;
  ++m_resolvedKept;
}

// The records a reader resolved follow an identity that a rename moves to another slot.
void TableWriter::moveResolved(int from, int to) {
  m_unkept.moveResolved(from, to);
  if (m_resolvedKept == 0) return;
  for (LogRecord& r : m_t.log) {
    if (!r.resolved) continue;
    if (r.victim == from) r.victim = to;
    if (r.killer == from) r.killer = to;
  }
}

// Resolved records that named an identity a full table has since lost count nothing.
void TableWriter::dropLostResolved() {
  std::size_t index = 0;
  for (LogRecord& r : m_t.log) {
    ++index;
    if (!r.resolved) continue;
    if (index <= m_lostUpTo[static_cast<std::size_t>(r.victim)] ||
        index <= m_lostUpTo[static_cast<std::size_t>(r.killer)]) {
      r.victim = r.killer = kNoSlot;
      r.weapon = 0;
    }
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
      moveResolved(slot, players.playerCount);
    } else {
      m_lostUpTo[static_cast<std::size_t>(slot)] = m_t.log.size();
      m_identityLost = true;
      if (!m_tableFullReported) {
        m_tableFullReported = true;
        notice(kNoticePlayerTableFull);
      }
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
  if (m_identityLost && m_resolvedKept > 0) dropLostResolved();
  m_t.log.logCount = static_cast<std::uint32_t>(m_t.log.size());
  m_unkept.flush(m_t.players, pack());
}

}  // namespace obitrak
