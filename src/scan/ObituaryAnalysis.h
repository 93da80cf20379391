#pragma once

#include <string_view>

#include "scan/DemoTables.h"
#include "scan/PackChoice.h"

namespace obitrak {

// The WeaponIndex (1..12) named by the first weapon phrase in `text`, or 0 when none.
int weaponOfKill(std::string_view text);

// Whether an obituary without a killer counts as a self-kill of its victim.
bool isSelfKill(std::string_view text);

// Zeroes the KillMatrix and turns every level-1 print of the MessageLog into a counted
// kill or self-kill: victim and killer are the players whose names the text names, the
// weapon comes from its phrase. Sets each record's `killer`, `victim`, `weapon` and
// `hitLocation`, and the tables' weapons, hit location counters and pack name. Expects
// `playerCount` to hold the highest slot in use. With a `pack`, its kill lines name the
// weapon (and where the shot hit) of a kill text that no built-in weapon phrase names, and
// its self lines a text without a killer that no built-in self-kill condition matches; the
// built-in phrases come first. A pack that names weapons of its own names every kill's
// weapon: the counters then mean its weapons, not the original twelve.
void ObituaryAnalysis(DemoTables& tables, const PhrasePack* pack = nullptr);

// Analyses the loaded tables again, as the scan left them, with the pack that `choice` gives
// for their game directory: the players' counters and places are reset, then
// ObituaryAnalysis and TallyAndRank run. The result is the one a new scan of the demo with
// `choice` would give, without reading it.
void RerunObituaryAnalysis(DemoTables& tables, const PackChoice& choice = {});

}  // namespace obitrak
