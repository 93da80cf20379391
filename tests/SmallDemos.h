#pragma once

#include <string>

namespace obitrak::test {

// A 15-second demo of five players in two skin teams (Ann and Cid male/grunt, Bartholomew
// and Dee female/athena, Idler never fights) with kills by six weapons, a teamkill, two
// self-kills, a join notice and chat. The golden report files are made from it.
std::string smallTeamDemo();

// A 9-second rematch on another map: Ann and Dee again, Ann now in client 2, a second
// player also named Dee who never fights, a newcomer named "<b>&Co" and a level message
// holding a line feed. `extraKill` adds one more kill of Dee by Ann, so that a changed file
// differs.
std::string smallRematchDemo(bool extraKill = false);

}  // namespace obitrak::test
