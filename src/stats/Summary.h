#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "scan/Weapons.h"
#include "stats/DemoResult.h"
#include "stats/FileTime.h"

namespace obitrak {

// One player name over many demos: the sums of what his per-demo reports show.
struct PlayerTotals {
  std::string name;
  int demos = 0;  // demos in which the name held a slot
  std::int64_t frags = 0;
  std::int64_t kills = 0;
  std::int64_t deaths = 0;
  std::int64_t selfKills = 0;
  std::vector<std::int64_t> weaponKills;  // by column of the summary's weapons (Summary::weapons)
  std::array<std::int64_t, kHitLocations + 1> hitLocationKills{};  // by HitLocation 1..4
  std::map<std::string, std::int64_t> victims;                     // kills of each opponent
  std::map<std::string, std::int64_t> killers;                     // deaths by each opponent
};

// How often one name killed another over all the demos.
struct KillsBetween {
  std::string killer;
  std::string victim;
  std::int64_t kills = 0;
};

// One demo as the summary lists it.
struct SummaryDemo {
  std::string path;
  FileTime modified;
  std::string mapName;
  std::string levelMessage;
  std::int32_t duration = 0;
  std::string pack;  // the pack that counted the demo; empty for the built-in phrases only
  struct Ranked {
    std::string name;
    std::int32_t frags = 0;
    std::int32_t kills = 0;
    std::int32_t deaths = 0;
  };
  std::vector<Ranked> ranked;  // place order of the mode
  // The player in first place, when anyone is ranked.
  const Ranked* winner() const { return ranked.empty() ? nullptr : &ranked.front(); }
};

// The totals of every player over a set of demos.
struct Summary {
  bool teamPlay = false;
  int unreadable = 0;                 // demos named but left out because they failed
  std::vector<PlayerTotals> players;  // most frags first, then most kills, then by name
  std::vector<KillsBetween> kills;    // by killer, then victim, as the players are ordered
  std::vector<SummaryDemo> demos;     // in the order given
  // The weapon columns: the demos' weapons, one column per label. The original twelve's
  // labels come first in their order, then the others in the order the demos (as given)
  // and their weapon sets name them. Without demos, the original twelve.
  std::vector<Weapon> weapons;
  bool hitLocations = false;  // whether a pack of some demo tells where shots hit
  bool packs = false;         // whether a pack counted some demo
};

// Totals demos one at a time, in any order, so that a caller need not hold them all: the
// demo rows follow `position`, and everything else comes out the same whatever the order.
class SummaryBuilder {
 public:
  explicit SummaryBuilder(bool teamPlay) : m_teamPlay(teamPlay) {}
  void add(const DemoResult& demo, std::size_t position);
  Summary finish();

 private:
  // A weapon column as the demos name it, and where it first appeared.
  struct Column {
    Weapon weapon;
    std::size_t position = 0;  // of the first demo that names it
    int index = 0;             // its WeaponIndex in that demo's set
  };

  PlayerTotals& totalsOf(const std::string& name);
  std::vector<std::size_t> columnsOf(const DemoResult& demo, std::size_t position);
  static void addKill(const DemoKillCount& k, const std::vector<PlayerTotals*>& bySlot,
                      const std::vector<std::size_t>& columns);
  SummaryDemo rowOf(const DemoResult& demo) const;
  std::vector<std::size_t> columnOrder() const;

  bool m_teamPlay;
  std::deque<PlayerTotals> m_players;  // grows without moving what add() points at
  std::unordered_map<std::string, std::size_t> m_index;
  std::vector<std::pair<std::size_t, SummaryDemo>> m_demos;
  std::vector<Column> m_columns;  // in the order first met, which depends on the order added
  bool m_hitLocations = false;
  bool m_packs = false;
};

// Totals the demos in the given mode. Players are matched by exact name; every number is
// the sum of the same number in the per-demo reports of that mode.
Summary Summarize(const std::vector<DemoResult>& demos, bool teamPlay);

// The date of a modification time as "YYYY-MM-DD HH:MM" in UTC.
std::string summaryDate(const FileTime& modified);

// A duration in seconds as "M:SS".
std::string summaryDuration(std::int32_t seconds);

}  // namespace obitrak
