#pragma once

#include "scan/DemoTables.h"

namespace obitrak {

// The slot whose rank is `place`, or kNoSlot (0) when no slot holds it.
int SlotOfRank(const PlayerTable& players, int place);

// Re-tallies frags, kills and deaths of the ranked players for `weapon` (a WeaponIndex),
// every player for himself. With weapon 0 the players are ranked anew and teams cleared.
void TallyFreeForAll(DemoTables& tables, int weapon);

// The same with teams of identical skins: killing a teammate lowers the killer's frags.
// With weapon 0 the players are ranked anew by their team-play frags.
void TallyTeamPlay(DemoTables& tables, int weapon);

// Numbers the teams 1..T in the current order: a player takes the team of the first better
// placed player with the same skin, or the next new number.
void AssignTeams(PlayerTable& players);

}  // namespace obitrak
