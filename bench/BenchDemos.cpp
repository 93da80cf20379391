#include "BenchDemos.h"

#include <cstdint>

#include "DemoWriter.h"

namespace obitrak::bench {

namespace {

const char* const kKills[][2] = {
    {"was railed by", ""},           {"ate", "'s rocket"},
    {"was popped by", "'s grenade"}, {"was machinegunned by", ""},
    {"caught", "'s handgrenade"},    {"was cut in half by", "'s chaingun"},
    {"was blasted by", ""},          {"was melted by", "'s hyperblaster"},
};

std::string playerName(int slot) {
  return "Player_" + std::to_string(slot) + (slot % 4 == 0 ? "^" : "");
}

}  // namespace

std::string matchDemo(int players, int obituaries, std::size_t frameBytes) {
  tools::DemoWriter w;
  w.serverData(34, "", 0, "Bench").configString(33, "maps/bench.bsp");
  for (int c = 0; c < players; ++c) {
    if (w.currentBlockSize() > 1300) w.endBlock();  // the first blocks carry the players
    w.player(c, playerName(c + 1), c % 2 ? "male/grunt" : "female/athena");
  }
  w.endBlock();
  std::uint32_t x = 12345;
  for (int i = 0; i < obituaries; ++i) {
    x = x * 1103515245u + 12345u;
    int victim = 1 + static_cast<int>((x >> 8) % static_cast<unsigned>(players));
    int killer = 1 + static_cast<int>((x >> 16) % static_cast<unsigned>(players));
    const char* const* kill = kKills[(x >> 24) % 8];
    std::string text = victim == killer ? playerName(victim) + " died.\n"
                                        : playerName(victim) + " " + kill[0] + " " +
                                              playerName(killer) + kill[1] + "\n";
    w.print(1, text).frame(frameBytes, x).endBlock();
  }
  return w.finish();
}

}  // namespace obitrak::bench
