#pragma once

#include <string_view>

#include "scan/DemoTables.h"

namespace obitrak {

class PhrasePack;

// The WeaponIndex (1..12) named by the first weapon phrase in `text`, or 0 when none.
int weaponOfKill(std::string_view text);

// Whether an obituary without a killer counts as a self-kill of its victim.
bool isSelfKill(std::string_view text);

// Zeroes the KillMatrix and turns every level-1 print of the MessageLog into a counted
// kill or self-kill: victim and killer are the players whose names the text names, the
// weapon comes from its phrase. Sets each record's `killer` and `victim`. Expects
// `playerCount` to hold the highest slot in use. With a `pack`, its kill lines name the weapon of a
// kill text that no built-in weapon phrase names, and its self lines a text without a killer that
// no built-in self-kill condition matches; the built-in phrases always come first.
void ObituaryAnalysis(DemoTables& tables, const PhrasePack* pack = nullptr);

// Analyses the loaded tables again, as the scan left them, with another pack or none: the
// players' counters and places are reset, then ObituaryAnalysis and TallyAndRank run. The
// result is the one a new scan of the demo with `pack` would give, without reading it.
void RerunObituaryAnalysis(DemoTables& tables, const PhrasePack* pack = nullptr);

}  // namespace obitrak
