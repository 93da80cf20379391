#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scan/DemoTables.h"

namespace obitrak {

// The ranked players and the facts that the reports and the windows share.

// What a server's multi-view recording shows where a demo names its recording player.
inline constexpr std::string_view kServerRecordingViewFrom = "server recording";

// The recording player's name; empty when the client number has no slot, and
// kServerRecordingViewFrom for a server recording, which is nobody's view.
std::string viewFromName(const DemoTables& tables);

// "M min S" of the demo's duration.
std::string minutesAndSeconds(const DemoTables& tables);

// "M min S sec" of a duration in whole seconds, taken as unsigned; minutes are not limited
// to 59 and neither number has leading zeros (754 seconds read "12 min 34 sec").
std::string minutesAndSecondsText(std::int32_t duration);

// Recomputes frags, kills, deaths, teams and ranks for all weapons in the chosen mode: the
// tally that the text, HTML and JSON reports are written from, which their callers run once
// before writing (the reports only read the tables). How many tallies ran matters in team
// play: AssignTeams numbers the teams in the current rank order and each team-play tally
// ranks the players anew by team-play frags, so a second tally may number the teams
// differently from the first. The desktop application checks "TeamPlay" (one tally) before
// an export runs this one, and obitrak-report does the same, so that both write the same.
void recomputeAllWeapons(DemoTables& tables, bool teamPlay);

// The ranked players in place order, looked up once. A place that no slot holds reads as
// an empty record with no kills.
class RankedPlayers {
 public:
  explicit RankedPlayers(const DemoTables& tables);

  int count() const { return static_cast<int>(m_slots.size()); }
  const PlayerRecord& at(int place) const;
  // The slot of the player at `place`, or kNoSlot.
  int slotAt(int place) const { return m_slots.at(static_cast<std::size_t>(place - 1)); }

  // Kills of the player at place `victim` by the player at place `killer` with `weapon`.
  std::uint32_t kills(int victim, int killer, int weapon) const;
  // Kills the player at `place` made with `weapon` over all ranked victims.
  std::int64_t weaponKills(int place, int weapon) const;
  // Kills made with `weapon` among all ranked players.
  std::int64_t weaponTotal(int weapon) const;

  // The highest team number among the ranked players (0 when none).
  int highestTeam() const;
  // "Team t (skin)" with the skin of the team's best-placed player; empty brackets when
  // no ranked player is in team t.
  std::string teamTitle(int team) const;
  // The sum of the frags of the ranked players of team t.
  std::int64_t teamFrags(int team) const;

 private:
  const DemoTables& m_tables;
  std::vector<int> m_slots;  // slot of place p at index p - 1, kNoSlot when none
};

}  // namespace obitrak
