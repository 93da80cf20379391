#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "scan/DemoScan.h"
#include "scan/DemoTables.h"
#include "scan/PackChoice.h"

namespace obitrak {

// A death that a reader resolved itself: the slots of the victim and of the killer (the
// victim's own for a self-kill) and the WeaponIndex of a kill of another player.
struct ResolvedDeath {
  int victim = kNoSlot;
  int killer = kNoSlot;
  int weapon = 0;
};

// The kills of the obituaries that come after the message log is full. They are gathered
// in small batches, each analysed against the players known at that point with the pack
// that counts the demo, and their counts kept here until they join the kill counters of the
// kept log.
class UnkeptKills {
 public:
  void add(std::uint8_t level, std::string_view text, const PlayerTable& players,
           const PhrasePack* pack);
  void flush(const PlayerTable& players, const PhrasePack* pack);
  // A death resolved by its reader, counted at once; when the identity of slot `from` moves
  // to slot `to`, its counts go along (moveResolved).
  void addResolved(const ResolvedDeath& death);
  void moveResolved(int from, int to);
  // Adds the gathered counts to those of `tables`, saturating.
  void addTo(DemoTables& tables) const;

 private:
  MessageLog m_batch;
  KillMatrix m_counts;
  HitLocationKills m_hitLocations;
  std::array<std::int64_t, kMaxSlots + 1> m_scoreBonus{};
  KillMatrix m_resolved;
  bool m_anyResolved = false;
};

// The "name\skin" of a player config string, without what a game sends after the skin (the
// re-release's dogtag: "name\skin\dogtag").
inline std::string_view nameAndSkin(std::string_view text) {
  const std::size_t nameEnd = text.find('\\');
  return nameEnd == std::string_view::npos ? text : text.substr(0, text.find('\\', nameEnd + 1));
}

// What every reader of a demo format hands to the tables: notices, print messages, player
// config strings and layouts, each taken the same way whatever the file's format.
class TableWriter {
 public:
  TableWriter(DemoTables& tables, ScanReport& report, const PackChoice& choice)
      : m_t(tables), m_report(report), m_choice(choice) {}

  DemoTables& tables() { return m_t; }
  ScanReport& report() { return m_report; }

  void notice(std::string_view text);
  // A recording of a protocol or of a version (0 for none) that Obitrak cannot read: the
  // notice that names it, and the report marked unsupported unless `partly` read.
  void unsupported(std::int32_t protocol, int version = 0, bool partly = false);

  // A print message at `time`. Log texts keep only 7-bit characters: 128 is taken from
  // every higher code. Past the log's limits only obituaries are looked at, for their kills.
  void addLogRecord(std::uint8_t level, std::string_view text, std::int32_t time);
  // A print that is a death its reader resolved: kept as it stands, and counted past the
  // log's limits. Its slots name the same players at the end of the read however they are
  // renamed; one whose player's identity is lost to a full table counts nothing.
  void addResolvedDeath(std::uint8_t level, std::string_view text, std::int32_t time,
                        const ResolvedDeath& death);

  // A player config string as it arrives during the game. A different name for an occupied
  // slot moves the slot's earlier identity to the first free slot, so every name keeps its
  // own record and score. An empty text changes nothing.
  void playerConfigString(int slot, std::string_view text);

  // Writes the name (the text before its first backslash) and the skin of `slot`.
  void setIdentity(int slot, std::string_view name, std::string_view text);

  // A layout the server sent at `time`. A deathmatch or CTF scoreboard whose every entry is
  // well formed becomes the tables' scoreboard, named through the player table as it is
  // now; any other layout is ignored.
  void layout(std::string_view text, std::int32_t time);

  // Ends the read: the log count is set and the kills past the log are counted.
  void endRead();
  // Adds the kills past the log to the counters of the analysed log.
  void addUnkeptKills() { m_unkept.addTo(m_t); }

  // The pack that counts the demo: chosen by the game directory that the server data gave.
  const PhrasePack* pack() const { return m_choice.packFor(m_t.header.gameDir); }

 private:
  // The text as the log keeps it, in m_cleaned; whether the log has room for it.
  bool cleanText(std::string_view text);
  void moveResolved(int from, int to);
  void dropLostResolved();

  DemoTables& m_t;
  ScanReport& m_report;
  const PackChoice& m_choice;
  UnkeptKills m_unkept;
  std::size_t m_resolvedKept = 0;
  // By slot: the records 1..n that named the identity a full table took from it.
  std::array<std::size_t, kMaxSlots + 1> m_lostUpTo{};
  bool m_identityLost = false;
  bool m_tableFullReported = false;
  bool m_logFullReported = false;
  std::string m_cleaned;  // reused for every message
};

}  // namespace obitrak
