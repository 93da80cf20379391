#pragma once

#include <string_view>

#include "scan/DemoTables.h"

namespace obitrak {

// The WeaponIndex (1..12) named by the first weapon phrase in `text`, or 0 when none.
int weaponOfKill(std::string_view text);

// Whether an obituary without a killer counts as a self-kill of its victim.
bool isSelfKill(std::string_view text);

// Zeroes the KillMatrix and turns every level-1 print of the MessageLog into a counted
// kill or self-kill: victim and killer are the players whose names the text names, the
// weapon comes from its phrase. Sets each record's `killer` and `victim`. Expects
// `playerCount` to hold the highest slot in use.
void ObituaryAnalysis(DemoTables& tables);

}  // namespace obitrak
