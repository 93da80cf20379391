#include "ModDemos.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace obitrak::test {

const std::string kModPackText =
    "# A mod\n"
    "games modx ModY\n"
    "weapon PSTL \"Pistol of the long name\"\n"
    "weapon KNF \"Knife\"\n"
    "kill PSTL head \"has a hole in\" \"'s pistol\"\n"
    "kill PSTL \"was shot by\"\n"
    "kill 2 legs \"was stabbed in the legs by\"\n"
    "score -2 \"ph34rs\"\n"
    "self \"plummets\"\n";

PhrasePack modPack() {
  PhrasePackLoad load = ParsePhrasePack(kModPackText, "mod.pack");
  EXPECT_EQ(load.error, "");
  return std::move(*load.pack);
}

DemoTables twoPlayers(const std::string& text) {
  DemoTables t;
  t.players[2].name = "Bob";
  t.players[5].name = "Alice";
  t.players.playerCount = t.players.slotCount = 5;
  t.log.add(1, text, 0);
  t.log.logCount = 1;
  return t;
}

std::string modDemo(const std::string& gameDir) {
  DemoWriter w = demoWithPlayers({{0, "Ann", "male/grunt"}, {1, "Bob", "female/athena"}}, "q2dm1",
                                 34, gameDir);
  for (const char* text :
       {"Bob has a hole in his head from Ann's pistol\n", "Bob was shot by Ann\n",
        "Bob was stabbed in the legs by Ann\n", "Ann ph34rs Bob\n"}) {
    w.print(1, text).endBlock();
  }
  w.layout("client 0 0 0 1 5 1 client 0 0 1 0 5 1").endBlock();
  return w.finish();
}

}  // namespace obitrak::test
