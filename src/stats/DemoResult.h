#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scan/DemoTables.h"
#include "stats/FileTime.h"

namespace obitrak {

// One named player of a demo with the counters its reports show, in both modes.
struct DemoPlayerResult {
  int slot = 0;
  std::string name;
  std::string skin;
  int place = 0;  // free-for-all place 1..n; 0 for a player who never fought (idle)
  std::int32_t frags = 0;
  std::int32_t kills = 0;
  std::int32_t deaths = 0;
  std::int32_t selfKills = 0;
  int teamPlace = 0;  // the place and frags of the team-play tally
  std::int32_t teamFrags = 0;
  int team = 0;
  // Kills of other players by where the shot hit, by HitLocation 1..4 (0 unused).
  std::array<std::int32_t, kHitLocations + 1> hitLocationKills{};
  int clientSlot = 0;  // the slot the name held in the game (a rename's earlier name moves)

  bool operator==(const DemoPlayerResult&) const = default;
};

// A non-zero kill counter: how often slot `killer` killed slot `victim` with `weapon`
// (WeaponIndex; 0 counts every weapon, and on the diagonal the self-kills).
struct DemoKillCount {
  int victim = 0;
  int killer = 0;
  int weapon = 0;
  std::uint32_t count = 0;

  bool operator==(const DemoKillCount&) const = default;
};

// A counted death of the message log: when, by whom (the victim himself for a self-kill) and
// of whom, as slots.
struct DemoDeath {
  std::int32_t time = 0;  // seconds
  std::uint8_t killer = 0;
  std::uint8_t victim = 0;

  bool operator==(const DemoDeath&) const = default;
};

// What one analysed demo keeps: enough to total it with others and to list it, without
// its message log. The same value comes from a fresh scan and from the library.
struct DemoResult {
  std::string path;       // as the run names the demo
  std::int64_t size = 0;  // bytes
  FileTime modified;      // the file's modification time
  std::int32_t protocolVersion = 0;
  std::string gameDir;
  int viewPlayer = 0;
  std::string viewFrom;
  std::string mapName;
  std::string levelMessage;
  std::string bspName;
  std::int32_t duration = 0;
  bool serverRecording = false;
  // Whether the game's scoreboard agrees with the counted frags, free-for-all or with teams
  // of identical skins; none when the demo carried no scoreboard.
  std::optional<bool> scoreboardAgrees;
  std::vector<std::string> notices;
  std::vector<DemoPlayerResult> players;  // named slots in slot order
  std::vector<DemoKillCount> kills;       // by victim, killer, weapon
  WeaponSet weapons;                      // what the weapon of the kill counts means
  std::string pack;                       // the pack that counted the deaths; empty for none
  bool hitLocations = false;              // whether that pack tells where shots hit
  std::vector<DemoDeath> deaths;          // the kept log's counted deaths, in log order

  bool operator==(const DemoResult&) const = default;

  // The players of one mode in place order (idle players left out).
  std::vector<const DemoPlayerResult*> ranked(bool teamPlay) const;
};

// The result of the demo scanned into `tables`. The tables are tallied in both modes on
// the way and left as a scan leaves them: free-for-all, all weapons.
DemoResult DemoResultOf(DemoTables& tables, const std::string& path,
                        const std::vector<std::string>& notices);

// Tables as the scan of the demo left them, made again from its result: header facts,
// named players, kill counters and a log of the counted deaths (without their texts),
// tallied and ranked for free-for-all and all weapons. Pages of a demo that the library
// keeps are written from these.
DemoTables DemoTablesOf(const DemoResult& result);

}  // namespace obitrak
