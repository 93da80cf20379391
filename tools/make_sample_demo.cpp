// Writes the bundled sample demo: a ten-minute team deathmatch between seven players in
// two skin teams, with an idle spectator, a rename, join and leave notices, chat with
// high-bit characters and every kind of obituary the analyser knows.
//
// Usage: make-sample-demo OUTPUT.dm2

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "DemoWriter.h"

namespace {

using obitrak::tools::DemoRandom;
using obitrak::tools::DemoWriter;

constexpr int kBlocks = 6000;  // ten minutes at ten blocks a second
constexpr int kLurkerJoins = 600;
constexpr int kRenameBlock = 3000;
constexpr int kGorgonLeaves = 5400;

struct Client {
  std::string name;
  std::string skin;
  int skill;  // relative chance to be the killer
};

// The game's obituary wording: victim, message, killer, message2.
struct KillForm {
  const char* message;
  const char* message2;
};

constexpr std::array<KillForm, 18> kKillForms{{
    {"was blasted by", ""},
    {"was gunned down by", ""},
    {"was blown away by", "'s super shotgun"},
    {"was machinegunned by", ""},
    {"was cut in half by", "'s chaingun"},
    {"was popped by", "'s grenade"},
    {"was shredded by", "'s shrapnel"},
    {"ate", "'s rocket"},
    {"almost dodged", "'s rocket"},
    {"was melted by", "'s hyperblaster"},
    {"was railed by", ""},
    {"saw the pretty lights from", "'s BFG"},
    {"was disintegrated by", "'s BFG blast"},
    {"couldn't hide from", "'s BFG"},
    {"caught", "'s handgrenade"},
    {"didn't see", "'s handgrenade"},
    {"feels", "'s pain"},
    {"tried to invade", "'s personal space"},
}};

// Deaths without a killer, and deaths by one's own hand.
constexpr std::array<const char*, 17> kSelfKillForms{{
    "does a back flip into the lava.",
    "blew himself up.",
    "should have used a smaller gun.",
    "cratered.",
    "died.",
    "killed himself.",
    "was squished.",
    "melted.",
    "found the pain feels too real.",
    "tried to put the pin back in.",
    "was in the wrong place.",
    "got blasted.",
    "saw the light.",
    "found a way out.",
    "sank like a rock.",
    "suicides.",
    "tripped on his own grenade.",
}};

class SampleDemo {
 public:
  SampleDemo() {
    m_clients = {
        {"Vex", "male/grunt", 5},    {"Mira", "female/athena", 6},
        {"Havoc", "male/grunt", 4},  {"Blink", "female/athena", 3},
        {"Gorgon", "male/grunt", 3}, {"Z\xe5ro", "female/athena", 4},
        {"Lurker", "male/grunt", 0},
    };
  }

  std::string build() {
    firstBlock();
    scheduleEvents();
    for (int block = 2; block <= kBlocks; ++block) {
      auto found = m_events.find(block);
      if (found != m_events.end()) found->second(m_w);
      if (block % 600 == 300) scoreboard();
      m_w.frame(static_cast<std::size_t>(18 + m_random.below(14)),
                static_cast<std::uint32_t>(block));
      m_w.endBlock();
    }
    return m_w.finish();
  }

 private:
  // Block 1: the server data, then the config strings of the level and of every player
  // present, a spawn baseline and the precache command, as the game sends them.
  void firstBlock() {
    m_w.serverData(34, "teamdm", 2, "The Frag Pipe");
    m_w.levelMessage("The Frag Pipe");
    m_w.mapModel("maps/fragpipe.bsp");
    m_w.configString(34, "*1");
    m_w.configString(35, "models/weapons/v_rail/tris.md2");
    m_w.configString(0x220, "sound/world/amb10.wav");
    for (int c = 0; c <= 5; ++c) m_w.player(c, m_clients[c].name, m_clients[c].skin);
    m_w.byte(obitrak::protocol::svc_spawnbaseline).raw(std::string("\x81\x02\x40\x00\x10\x20", 6));
    m_w.byte(obitrak::protocol::svc_stufftext).string("precache\n");
    m_w.endBlock();
  }

  bool active(int client, int block) const {
    if (client == 6) return false;  // the spectator never fights
    if (client == 4 && block >= kGorgonLeaves) return false;
    return true;
  }

  std::string nameAt(int client, int block) const {
    if (client == 3 && block >= kRenameBlock) return "Nyx";
    return m_clients[static_cast<std::size_t>(client)].name;
  }

  int pickPlayer(int block, int except) {
    int total = 0;
    for (int c = 0; c < 7; ++c) {
      if (c != except && active(c, block)) total += m_clients[static_cast<std::size_t>(c)].skill;
    }
    int pick = m_random.below(total);
    for (int c = 0; c < 7; ++c) {
      if (c == except || !active(c, block)) continue;
      pick -= m_clients[static_cast<std::size_t>(c)].skill;
      if (pick < 0) return c;
    }
    return 0;
  }

  void addPrint(int block, int level, std::string text) {
    auto& event = m_events[block];
    auto previous = event;
    event = [previous, level, text](DemoWriter& w) {
      if (previous) previous(w);
      w.print(static_cast<std::uint8_t>(level), text);
    };
  }

  void addKill(int block, int killer, int victim, const KillForm& form) {
    addPrint(block, 1,
             nameAt(victim, block) + " " + form.message + " " + nameAt(killer, block) +
                 form.message2 + "\n");
  }

  void addSelfKill(int block, int victim, const char* form) {
    addPrint(block, 1, nameAt(victim, block) + " " + form + "\n");
  }

  void scheduleEvents() {
    // Every obituary wording at least once, spread over the first minutes.
    int block = 40;
    for (const KillForm& form : kKillForms) {
      int victim = pickPlayer(block, -1);
      addKill(block, pickPlayer(block, victim), victim, form);
      block += 23;
    }
    for (const char* form : kSelfKillForms) {
      addSelfKill(block, pickPlayer(block, -1), form);
      block += 29;
    }

    // Then the match itself: a death every few seconds, now and then two in one packet.
    for (int b = block + 10; b < kBlocks - 20; b += 8 + m_random.below(40)) {
      int deaths = m_random.below(6) == 0 ? 2 : 1;
      for (int d = 0; d < deaths; ++d) {
        int victim = pickPlayer(b, -1);
        if (m_random.below(12) == 0) {
          addSelfKill(b, victim, kSelfKillForms[static_cast<std::size_t>(m_random.below(17))]);
        } else {
          const KillForm& form = kKillForms[static_cast<std::size_t>(m_random.below(18))];
          addKill(b, pickPlayer(b, victim), victim, form);
        }
      }
    }

    // Joins, a rename, a leave, chat and server notices.
    for (int c = 0; c <= 5; ++c) addPrint(2, 2, nameAt(c, 2) + " entered the game\n");
    m_events[kLurkerJoins] = [this, previous = m_events[kLurkerJoins]](DemoWriter& w) {
      w.player(6, m_clients[6].name, m_clients[6].skin);
      if (previous) previous(w);
    };
    addPrint(kLurkerJoins, 2, "Lurker entered the game\n");
    m_events[kRenameBlock] = [previous = m_events[kRenameBlock]](DemoWriter& w) {
      w.player(3, "Nyx", "female/athena");
      if (previous) previous(w);
    };
    addPrint(kRenameBlock, 2, "Blink changed name to Nyx\n");
    addPrint(kGorgonLeaves, 1, "Gorgon left the game\n");
    addPrint(75, 3, "Mira: \xe7\xec \xe8\xe6\n");
    addPrint(1210, 3, "Vex: that rail was \xcc\xd5\xc3\xcb\xd9\n");
    addPrint(2405, 3, "Z\xe5ro: team, hold the \xf2\xe1\xe9\xec\xe7\xf5\xee\n");
    addPrint(4100, 3, "Havoc: anyone seen Lurker?");     // a print without its line feed
    addPrint(4480, 1, "Havoc was railed by Phantom\n");  // a killer the demo never named
    addPrint(5950, 2, "Timelimit hit.\n");
    addPrint(5960, 3, "Mira: \xc7\xc7\n");
  }

  void scoreboard() { m_w.layout("xv 32 yv 8 picn inventory xv 0 yv 24 cstring2 \"Score\""); }

  DemoWriter m_w;
  DemoRandom m_random{0x2545F491u};
  std::vector<Client> m_clients;
  std::map<int, std::function<void(DemoWriter&)>> m_events;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: make-sample-demo OUTPUT.dm2\n");
    return 2;
  }
  std::string demo = SampleDemo().build();
  std::FILE* f = std::fopen(argv[1], "wb");
  if (f == nullptr || std::fwrite(demo.data(), 1, demo.size(), f) != demo.size() ||
      std::fclose(f) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  std::printf("%s: %zu bytes\n", argv[1], demo.size());
  return 0;
}
