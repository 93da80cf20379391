#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "library/LibraryStore.h"

namespace obitrak {

// The columns of a demo's row, in the order that insertion binds and reading finds them.
inline constexpr std::string_view kDemoColumns =
    "path, size, modified, analysis, error, protocol, game_dir, view_player, view_from, map,"
    " level_message, bsp, duration, player_count, names, winner, winner_frags,"
    " server_recording, scoreboard_agrees";

// The range of keys below a folder: "F/" up to "F0", '0' being the byte after '/'.
inline std::pair<std::string, std::string> keyRangeUnder(const std::string& folder) {
  std::string low = folder;
  if (low.empty() || low.back() != '/') low += '/';
  std::string high = low;
  high.back() = '0';
  return {low, high};
}

// The statements a store runs again and again, prepared once.
struct LibraryStore::Statements {
  explicit Statements(SqliteDb& db)
      : findId(db, "SELECT id FROM demos WHERE path = ?"),
        insertDemo(db, "INSERT INTO demos(" + std::string(kDemoColumns) +
                           ") VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
        insertPlayer(db, "INSERT INTO players VALUES(?,?,?,?,?,?,?,?,?,?,?,?)"),
        insertKill(db, "INSERT INTO kills VALUES(?,?,?,?,?)"),
        insertNotice(db, "INSERT INTO notices VALUES(?,?,?)"),
        deleteDemo(db, "DELETE FROM demos WHERE id = ?"),
        deletePlayers(db, "DELETE FROM players WHERE demo = ?"),
        deleteKills(db, "DELETE FROM kills WHERE demo = ?"),
        deleteNotices(db, "DELETE FROM notices WHERE demo = ?"),
        state(db, "SELECT size, modified, analysis, error IS NOT NULL FROM demos WHERE path = ?"),
        demo(db, "SELECT id, " + std::string(kDemoColumns) +
                     " FROM demos WHERE path = ? AND error IS NULL"),
        players(db, "SELECT * FROM players WHERE demo = ? ORDER BY slot"),
        kills(db,
              "SELECT victim, killer, weapon, count FROM kills WHERE demo = ?"
              " ORDER BY victim, killer, weapon"),
        notices(db, "SELECT text FROM notices WHERE demo = ? ORDER BY seq") {}

  SqliteStatement findId, insertDemo, insertPlayer, insertKill, insertNotice;
  SqliteStatement deleteDemo, deletePlayers, deleteKills, deleteNotices;
  SqliteStatement state, demo, players, kills, notices;
};

}  // namespace obitrak
