#include "SmallDemos.h"

#include "DemoWriter.h"

#include <vector>

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

std::string smallRematchDemo(bool extraKill) {
  tools::DemoWriter w;
  w.serverData(34, "baseq2", 0, "Rematch")
      .configString(0, "Second\nround")
      .configString(33, "maps/rematch.bsp")
      .player(0, "Dee", "female/athena")
      .player(1, "<b>&Co", "male/grunt")
      .player(2, "Ann", "male/grunt")
      .player(3, "Dee", "male/grunt")
      .endBlock();
  std::vector<std::string> prints{"Dee was railed by Ann\n", "<b>&Co ate Ann's rocket\n",
                                  "Ann was blasted by <b>&Co\n", "Ann was railed by Dee\n"};
  if (extraKill) prints.push_back("Dee was railed by Ann\n");
  for (const std::string& text : prints) w.print(1, text).frame(16).endBlock();
  w.print(1, "Dee died.\n").endBlock();
  w.frameBlocks(90 - static_cast<int>(w.blockCount()));
  return w.finish();
}

}  // namespace obitrak::test
