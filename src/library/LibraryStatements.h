#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "library/LibraryStore.h"

namespace obitrak {

// The columns of a demo's row, in the order that insertion binds and reading finds them.
// The packed kill counters (kill_counts) and deaths follow them where a whole result is
// written or read; a list of demos leaves them out.
inline constexpr std::string_view kDemoColumns =
    "path, size, modified, analysis, error, protocol, game_dir, view_player, view_from, map,"
    " level_message, bsp, duration, player_count, names, winner, winner_frags,"
    " server_recording, scoreboard_agrees, modified_ns, device, inode, changed, changed_ns,"
    " pack, weapons, hit_locations";

// The columns of a player's row, in the order that insertion binds them.
inline constexpr std::string_view kPlayerColumns =
    "demo, slot, name, skin, place, frags, kills, deaths, self_kills, team_place, team_frags,"
    " team, head_kills, chest_kills, stomach_kills, legs_kills";

// What tells a stored demo's file apart, and how its result came to be (a StoredState).
inline constexpr std::string_view kStateColumns =
    "size, modified, modified_ns, device, inode, changed, changed_ns, analysis,"
    " error IS NOT NULL, game_dir";

// The range of keys below a folder: "F/" up to "F0", '0' being the byte after '/'.
inline std::pair<std::string, std::string> keyRangeUnder(const std::string& folder) {
  std::string low = folder;
  if (low.empty() || low.back() != '/') low += '/';
  std::string high = low;
  high.back() = '0';
  return {low, high};
}

// More notices than a scan ever gives a demo.
inline constexpr int kMaxStoredNotices = 64;

// The kill counters of a demo packed into one value, 7 bytes each: victim, killer and
// weapon, then the count as 32 bits, least significant byte first. Reading a packed value
// of a wrong length, or of a counter that is zero, out of order or out of the slots and
// weapons, throws LibraryDamage.
std::string packKillCounts(const std::vector<DemoKillCount>& kills);
std::vector<DemoKillCount> unpackKillCounts(std::string_view packed, const std::string& library);

// A weapon set as the weapons column keeps it: empty for the original twelve, else one line
// "LABEL<tab>NAME" per weapon. Reading a value that is not such throws LibraryDamage.
std::string packWeapons(const WeaponSet& weapons);
WeaponSet unpackWeapons(std::string_view packed, const std::string& library);
// The counted deaths of a demo packed into one value, 6 bytes each: the time as 32 bits,
// least significant byte first, then killer and victim.
std::string packDeaths(const std::vector<DemoDeath>& deaths);
std::vector<DemoDeath> unpackDeaths(std::string_view packed, const std::string& library);

// The statements a store runs again and again, prepared once.
struct LibraryStore::Statements {
  explicit Statements(SqliteDb& db)
      : findId(db, "SELECT id FROM demos WHERE path = ?"),
        insertDemo(
            db, "INSERT INTO demos(" + std::string(kDemoColumns) +
                    ", kill_counts, deaths) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,"
                    "?,?,?,?,?)"),
        insertPlayer(db, "INSERT INTO players(" + std::string(kPlayerColumns) +
                             ", client_slot) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
        insertNotice(db, "INSERT INTO notices VALUES(?,?,?)"),
        deleteDemo(db, "DELETE FROM demos WHERE id = ?"),
        deletePlayers(db, "DELETE FROM players WHERE demo = ?"),
        deleteNotices(db, "DELETE FROM notices WHERE demo = ?"),
        state(db, "SELECT " + std::string(kStateColumns) + " FROM demos WHERE path = ?"),
        demo(db, "SELECT id, " + std::string(kDemoColumns) +
                     ", kill_counts, deaths FROM demos WHERE path = ? AND error IS NULL"),
        players(db,
                "SELECT slot, name, skin, place, frags, kills, deaths, self_kills, team_place,"
                " team_frags, team, head_kills, chest_kills, stomach_kills, legs_kills,"
                " client_slot FROM players WHERE demo = ? ORDER BY slot LIMIT " +
                    std::to_string(kMaxSlots + 1)),
        notices(db, "SELECT text FROM notices WHERE demo = ? ORDER BY seq LIMIT " +
                        std::to_string(kMaxStoredNotices + 1)) {}

  SqliteStatement findId, insertDemo, insertPlayer, insertNotice;
  SqliteStatement deleteDemo, deletePlayers, deleteNotices;
  SqliteStatement state, demo, players, notices;
};

}  // namespace obitrak
