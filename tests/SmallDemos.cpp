#include "SmallDemos.h"

#include "DemoWriter.h"

namespace obitrak::test {

std::string smallTeamDemo() {
  tools::DemoWriter w;
  w.serverData(34, "baseq2", 1, "Small Arena")
      .configString(0, "Welcome to Small Arena")
      .configString(33, "maps/small.bsp")
      .player(0, "Ann", "male/grunt")
      .player(1, "Bartholomew_Long", "female/athena")
      .player(2, "Cid", "male/grunt")
      .player(3, "Dee", "female/athena")
      .player(4, "Idler", "male/grunt")
      .endBlock();
  const struct {
    int block;
    int level;
    const char* text;
  } prints[] = {
      {2, 2, "Ann entered the game\n"},
      {15, 1, "Bartholomew_Long was railed by Ann\n"},
      {30, 1, "Cid ate Dee's rocket\n"},
      {45, 1, "Dee was blasted by Ann\n"},
      {60, 1, "Ann was gunned down by Cid\n"},
      {75, 1, "Dee cratered.\n"},
      {90, 1, "Dee died.\n"},
      {105, 1, "Cid was popped by Bartholomew_Long's grenade\n"},
      {120, 1, "Bartholomew_Long caught Cid's handgrenade\n"},
      {135, 3, "Ann: gg \xe7\xe7\n"},
  };
  int block = 2;
  for (const auto& p : prints) {
    for (; block < p.block; ++block) w.frame(16, static_cast<std::uint32_t>(block)).endBlock();
    w.print(static_cast<std::uint8_t>(p.level), p.text).frame(16).endBlock();
    ++block;
  }
  for (; block < 150; ++block) w.frame(16, static_cast<std::uint32_t>(block)).endBlock();
  return w.finish();  // 149 blocks and the end marker: 15 seconds
}

}  // namespace obitrak::test
