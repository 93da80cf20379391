#pragma once

#include <string>

namespace obitrak::test {

// A 15-second demo of five players in two skin teams (Ann and Cid male/grunt, Bartholomew
// and Dee female/athena, Idler never fights) with kills by six weapons, a teamkill, two
// self-kills, a join notice and chat. The golden report files are made from it.
std::string smallTeamDemo();

}  // namespace obitrak::test
