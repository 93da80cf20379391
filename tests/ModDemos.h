#pragma once

#include <string>

#include "scan/DemoTables.h"
#include "scan/PhrasePack.h"

namespace obitrak::test {

// A mod's pack with two weapons of its own, a kill line of each location kind, a score line
// and a self line, for the game directories "modx" and "ModY".
extern const std::string kModPackText;
PhrasePack modPack();

// Tables of Bob in slot 2 and Alice in slot 5 with one level-1 print, not yet analysed.
DemoTables twoPlayers(const std::string& text);

// A demo of game directory `gameDir`: Ann (client 0) kills Bob (client 1) three times in the
// words of kModPackText (a headshot, a plain shot, a stab in the legs), Ann "ph34rs" Bob
// (-2 points for Ann), and the last block carries a scoreboard of both.
std::string modDemo(const std::string& gameDir);

}  // namespace obitrak::test
