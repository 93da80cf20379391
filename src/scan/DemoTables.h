#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "scan/LogChunks.h"
#include "scan/ShortString.h"
#include "scan/Weapons.h"

namespace obitrak {

// Slots, places and weapon indices.
inline constexpr int kMaxSlots = 64;             // player slots 1..64 (client number + 1)
inline constexpr int kWeaponIndices = 16;        // WeaponIndex 0..15 (13..15 never written)
inline constexpr std::uint8_t kRankIdle = 254;   // named, no frags and no deaths
inline constexpr std::uint8_t kRankEmpty = 255;  // no name
inline constexpr int kNoSlot = 0;                // SlotOfRank's answer when no slot holds a place
inline constexpr std::int32_t kScanMarkerSet = 777;

// Facts about the recording, written by the scan when it meets them.
struct DemoHeader {
  std::int32_t protocolVersion = 0;
  std::string gameDir;
  std::uint16_t viewPlayer = 0;  // 0-based client number of the recording player
  std::string mapName;
  std::string levelMessage;   // config string 0
  std::string bspName;        // config string 33, the map's model file
  std::int32_t duration = 0;  // seconds: blocks read div 10
  // A server's multi-view recording: nobody's view, so viewPlayer names no player.
  bool serverRecording = false;
};

// One player's line of the game's own scoreboard, as the server laid it out.
struct ScoreboardEntry {
  int clientNumber = 0;
  std::string name;  // the client's name in its player config string when the board came
  std::int32_t score = 0;
  std::int32_t ping = 0;
  std::optional<std::int32_t> minutes;  // deathmatch boards give it, CTF boards do not
};

// The last complete scoreboard the demo carried.
struct Scoreboard {
  std::int32_t time = 0;  // seconds, as the log's times
  std::vector<ScoreboardEntry> entries;
};

// Sums of counters are formed in 64 bits and kept in the 32-bit range of the counters.
inline std::int32_t clampToInt32(std::int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(v);
}

struct PlayerRecord {
  ShortString<20> name;
  ShortString<17> skin;
  std::int32_t frags = 0;   // kills of other players minus self-kills
  std::int32_t deaths = 0;  // times killed, self-kills included
  std::int32_t kills = 0;   // kills of other players
  std::uint8_t rank = 0;    // 0 unranked, 1..playerCount place, 254 idle, 255 empty
  std::uint8_t team = 0;    // 0 none, 1..T after a team-play tally
  // The slot this identity held in the game (client number + 1): a renamed player's earlier
  // identity moves to a free slot but keeps the one it came from. 0 when unknown.
  std::uint8_t clientSlot = 0;
};

// 64 player records addressed by slot 1..64.
struct PlayerTable {
  std::array<PlayerRecord, kMaxSlots> records{};
  std::uint8_t playerCount = 0;  // highest slot in use while scanning; ranked players after
  std::uint8_t idleCount = 0;
  std::uint8_t emptyCount = 0;
  std::uint8_t slotCount = 0;

  PlayerRecord& operator[](int slot) { return records.at(static_cast<std::size_t>(slot - 1)); }
  const PlayerRecord& operator[](int slot) const {
    return records.at(static_cast<std::size_t>(slot - 1));
  }
};

// Kill counters indexed [victim slot 1..64][killer slot 1..64][WeaponIndex 0..15]. Cell
// (v, k, w) counts how often slot k killed slot v with weapon w; the diagonal (v, v, 0)
// counts self-kills. Counters are 32-bit and never wrap in practice.
//
// The 256 KiB of counters are allocated when the first one is written, and a victim's row
// of counters is zeroed only when one of its cells is first written; rows never written
// read as 0. Clearing forgets the rows, so a demo of a few players costs a few KiB however
// often it is scanned.
class KillMatrix {
 public:
  KillMatrix() = default;
  KillMatrix(const KillMatrix& other);
  KillMatrix& operator=(const KillMatrix& other);
  KillMatrix(KillMatrix&& other) noexcept = default;
  KillMatrix& operator=(KillMatrix&& other) noexcept = default;

  // A cell to write.
  std::uint32_t& operator()(int victim, int killer, int weapon) {
    std::size_t i = index(victim, killer, weapon);
    if (victim > m_rowsReady) prepareRows(victim);
    return m_cells[i];
  }
  std::uint32_t operator()(int victim, int killer, int weapon) const {
    std::size_t i = index(victim, killer, weapon);
    return victim <= m_rowsReady ? m_cells[i] : 0u;
  }
  void clear() { m_rowsReady = 0; }

 private:
  static constexpr std::size_t kCellsPerVictim = std::size_t{kMaxSlots} * kWeaponIndices;
  static constexpr std::size_t kCellCount = kCellsPerVictim * kMaxSlots;
  static std::size_t index(int victim, int killer, int weapon) {
    if (victim < 1 || victim > kMaxSlots || killer < 1 || killer > kMaxSlots || weapon < 0 ||
        weapon >= kWeaponIndices) {
      throwOutOfRange();
    }
    return static_cast<std::size_t>(victim - 1) * kCellsPerVictim +
           static_cast<std::size_t>(killer - 1) * kWeaponIndices + static_cast<std::size_t>(weapon);
  }
  [[noreturn]] static void throwOutOfRange();
  void prepareRows(int victim);

  struct FreeCells {
    void operator()(std::uint32_t* p) const;
  };
  std::unique_ptr<std::uint32_t[], FreeCells> m_cells;
  int m_rowsReady = 0;  // victims 1..m_rowsReady have zeroed or counted rows
};

// Kills of other players by where the shot hit, counted from the death messages that tell
// it: by killer slot 1..64, WeaponIndex 1..15 and HitLocation 1..4. The counters take memory
// only once one is written. `told` says whether the pack that counted the demo names hit
// locations at all; the reports and windows show locations only then.
class HitLocationKills {
 public:
  void clear() {
    m_counts.clear();
    told = false;
  }
  // Adds `count` kills, saturating.
  void add(int killer, int weapon, HitLocation location, std::uint32_t count = 1);
  std::uint32_t operator()(int killer, int weapon, HitLocation location) const {
    return m_counts.empty() ? 0u : m_counts[index(killer, weapon, location)];
  }
  // The kills of `killer` at `location` with every weapon.
  std::int64_t ofKiller(int killer, HitLocation location) const;

  bool told = false;

 private:
  static std::size_t index(int killer, int weapon, HitLocation location);
  std::vector<std::uint32_t> m_counts;  // empty until the first count
};

// One kept server print message. (The bytes come last so that a record takes 32 bytes.)
struct LogRecord {
  std::string_view text;    // held by the MessageLog: trailing line feed removed,
                            // high-bit characters reduced by 128
  std::int32_t time = 0;    // block number div 10
  std::int32_t killer = 0;  // killer slot, the victim's own for a self-kill, 0 for no death
  std::int32_t victim = 0;  // victim slot, 0 for no death
  std::uint8_t level = 0;   // print level; obituaries come with level 1
  std::uint8_t weapon = 0;  // WeaponIndex of a counted kill of another player, else 0
  HitLocation hitLocation = HitLocation::None;  // where the kill's shot hit, when told
  // A format that sends its deaths as keys rather than phrases tells the reader who died,
  // by whose hand and with what: such a record comes resolved (killer, victim, weapon and
  // hit location set by the reader) and the analysis counts it as it stands.
  bool resolved = false;
};
static_assert(sizeof(LogRecord) == 32, "a record of the log takes 32 bytes");

// How much a MessageLog keeps: a demo of nothing but empty print messages must not grow
// it without end. The scan stops keeping messages when the next one would pass either.
struct MessageLogLimits {
  std::size_t records = std::size_t{1} << 20;      // 1 048 576 messages
  std::size_t textBytes = std::size_t{128} << 20;  // 128 MiB of message text
};

// Every print message of the demo, in demo order, numbered 1..logCount. The records and the
// texts live in chunks owned by the log (see LogChunks.h), which grow without moving or
// doubling what they hold: a message costs its record (32 bytes) and its text, no more. A
// match repeats the same death messages again and again, so a text that the log already
// holds is kept once (the first kDistinctTexts texts are looked up); the limits count
// every message's text all the same.
class MessageLog {
  template <typename Record>
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = LogRecord;
    using difference_type = std::ptrdiff_t;
    using pointer = Record*;
    using reference = Record&;

    Iterator() = default;
    Iterator(const MessageLog* log, std::size_t index) : m_log(log), m_index(index) {}
    Record& operator*() const { return m_log->slot(m_index); }
    Record* operator->() const { return &**this; }
    Iterator& operator++() {
      ++m_index;
      return *this;
    }
    Iterator operator++(int) {
      Iterator before = *this;
      ++m_index;
      return before;
    }
    bool operator==(const Iterator& other) const { return m_index == other.m_index; }

   private:
    const MessageLog* m_log = nullptr;
    std::size_t m_index = 0;
  };

 public:
  MessageLog() = default;
  MessageLog(const MessageLog& other);
  MessageLog& operator=(const MessageLog& other);
  // A log moved from is empty.
  MessageLog(MessageLog&& other) noexcept;
  MessageLog& operator=(MessageLog&& other) noexcept;

  // Appends a record; its text is copied into the log. The limits are the caller's to
  // check (hasRoomFor).
  LogRecord& add(std::uint8_t level, std::string_view text, std::int32_t time);

  // Whether one more message with `textSize` bytes of text stays within the limits.
  bool hasRoomFor(std::size_t textSize) const {
    return m_size < m_limits.records && m_textBytes <= m_limits.textBytes &&
           textSize <= m_limits.textBytes - m_textBytes;
  }
  const MessageLogLimits& limits() const { return m_limits; }
  void setLimits(const MessageLogLimits& limits) { m_limits = limits; }

  // Record r, 1..size(); throws std::out_of_range for any other.
  LogRecord& operator[](std::uint32_t r) { return record(r); }
  const LogRecord& operator[](std::uint32_t r) const { return record(r); }
  std::size_t size() const { return m_size; }
  Iterator<LogRecord> begin() { return {this, 0}; }
  Iterator<LogRecord> end() { return {this, m_size}; }
  Iterator<const LogRecord> begin() const { return {this, 0}; }
  Iterator<const LogRecord> end() const { return {this, m_size}; }

  std::uint32_t logCount = 0;

 private:
  // Record chunk k holds kFirstChunkRecords << k records, up to a large chunk's worth
  // (kLargeChunkRecords), and every later chunk that many.
  static constexpr std::size_t kFirstChunkRecords = 1024;
  static constexpr std::size_t kDistinctTexts = std::size_t{1} << 16;
  static constexpr std::size_t kLargeChunkRecords = kLargeLogChunk / sizeof(LogRecord);

  std::string_view storeText(std::string_view text);
  LogRecord& record(std::uint32_t r) const;
  // The record at 0-based `index` (below the chunks' capacity).
  LogRecord& slot(std::size_t index) const;

  std::vector<Chunk<LogRecord>> m_recordChunks;
  std::size_t m_size = 0;
  std::size_t m_capacity = 0;  // records the chunks hold
  MessageLogLimits m_limits;
  std::size_t m_textBytes = 0;  // text held by the records
  std::vector<Chunk<char>> m_chunks;
  std::size_t m_chunkUsed = 0;
  std::size_t m_chunkSize = 0;
  std::unordered_set<std::string_view> m_texts;  // views into m_chunks, each text once
};

// Everything known about the demo that is loaded. The program holds one; tests make as
// many as they like.
struct DemoTables {
  DemoHeader header;
  PlayerTable players;
  KillMatrix killMatrix;
  MessageLog log;
  std::optional<Scoreboard> scoreboard;  // none when the demo carried no scoreboard
  WeaponSet weapons;                     // what the WeaponIndex of the kill counters means
  HitLocationKills hitLocations;
  // Points that the mod's own messages gave players on the game's scoreboard beyond their
  // frags (a pack's score lines, such as Action Quake 2's streak bonuses), by slot 1..64.
  std::array<std::int32_t, kMaxSlots + 1> scoreBonus{};
  std::string packName;  // file name of the pack that counted the deaths; empty for none
  std::int32_t scanMarker = 0;
};

}  // namespace obitrak
