#pragma once

#include "scan/DemoTables.h"

namespace obitrak {

// After the analysis: all-weapons frags, kills and deaths of slots 1..playerCount, idle and
// empty slots set apart, the counters set and the players ranked.
void TallyAndRank(DemoTables& tables);

// Hands out the places 1..playerCount among the slots with rank 0, best frags first;
// between equal frags the higher slot wins.
void RankPlayers(PlayerTable& players);

}  // namespace obitrak
