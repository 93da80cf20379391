// Writes demos of the newer engines' formats, made to their published layouts (never
// committed: make them anew).
//
//   make-format-demos rerelease OUT.dm2 [MB]   a 16-player match of the 2023 re-release
//                                               (protocol 2023, 40 ticks a second): config
//                                               strings in a blast, localised death messages
//                                               of every weapon, chat and renames (200 MB)
//   make-format-demos extended OUT.dm2 [MB]    the same match in Q2PRO's extended protocol
//                                               (3436): frames of a few kilobytes ten times a
//                                               second, death messages in the original words
//   make-format-demos seeds CORPUS              the fuzz targets' seeds: the blocks after the
//                                               first of short demos of both, whole and cut
//                                               off, and recordings of minor version 3038

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "DemoWriter.h"
#include "RecordingWriter.h"

namespace {

using obitrak::tools::DemoRandom;
using obitrak::tools::DemoWriter;
using obitrak::tools::RecordingWriter;
namespace protocol = obitrak::protocol;

constexpr std::uint64_t kMegabyte = 1 << 20;

bool writeFile(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  bool ok = f != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (f != nullptr) ok = std::fclose(f) == 0 && ok;
  if (!ok) std::perror(path.c_str());
  return ok;
}

// Death keys of the re-release and the words the original game prints for them.
struct Death {
  const char* key;
  const char* message;
  const char* after;
};
constexpr Death kDeaths[] = {
    {"$g_mod_kill_blaster", "was blasted by", ""},
    {"$g_mod_kill_shotgun", "was gunned down by", ""},
    {"$g_mod_kill_sshotgun", "was blown away by", "'s super shotgun"},
    {"$g_mod_kill_machinegun", "was machinegunned by", ""},
    {"$g_mod_kill_chaingun", "was cut in half by", "'s chaingun"},
    {"$g_mod_kill_grenade", "was popped by", "'s grenade"},
    {"$g_mod_kill_rocket", "ate", "'s rocket"},
    {"$g_mod_kill_hyperblaster", "was melted by", "'s hyperblaster"},
    {"$g_mod_kill_railgun", "was railed by", ""},
    {"$g_mod_kill_bfg_laser", "saw the pretty lights from", "'s BFG"},
    {"$g_mod_kill_handgrenade", "caught", "'s handgrenade"},
    {"$g_mod_kill_telefrag", "tried to invade", "'s personal space"},
    {"$g_mod_kill_ripper", "ripped to shreds by", "'s ripper gun"},
    {"$g_mod_kill_etf_rifle", "was perforated by", ""},
    {"$g_mod_kill_grapple", "was caught by", "'s grapple"},
};
constexpr int kDeathKinds = sizeof kDeaths / sizeof kDeaths[0];

// A match of 16 players: a frame every block, a death about every `deathEvery` blocks, now
// and then chat and a rename. The re-release sends its deaths as keys with the players'
// placeholders, the extended protocol as the original game's words.
class Match {
 public:
  Match(bool rerelease, std::uint32_t seed)
      : m_rerelease(rerelease),
        m_layout(rerelease ? protocol::kRereleaseLayout : protocol::kExtendedLayout),
        m_random(seed) {
    // Two digits each: no name begins another, as the death messages' words need.
    for (int c = 0; c < kPlayers; ++c) {
      m_names.push_back(std::string(c < 10 ? "Player_0" : "Player_") + std::to_string(c));
    }
  }

  std::string make(std::uint64_t bytes, int frameSize, int deathEvery) {
    std::string out = start();
    DemoWriter w(m_layout);
    std::uint64_t pending = 0;
    for (std::uint64_t block = 1; out.size() + pending < bytes; ++block) {
      if (m_random.below(deathEvery) == 0) death(w);
      if (block % 600 == 0) chat(w);
      if (block % 50000 == 0) rename(w);
      const int size = frameSize / 2 + m_random.below(frameSize);
      w.frame(static_cast<std::size_t>(size), m_random.next());
      pending += w.currentBlockSize() + 4;
      w.endBlock();
      if (pending > 8 * kMegabyte) {
        out += w.finish(false);
        w = DemoWriter(m_layout);
        pending = 0;
      }
    }
    return out + w.finish(true);
  }

  // Block 1: the server data, the level's and the players' config strings, a frame.
  std::string start() {
    DemoWriter w(m_layout);
    if (m_rerelease) {
      w.rereleaseServerData(protocol::kProtocolRerelease, "baseq2", {0}, "The Edge", 40);
      std::vector<std::pair<std::uint16_t, std::string>> strings{
          {m_layout.levelMessage, "The Edge"}, {m_layout.mapModel, "maps/q2dm1.bsp"}};
      for (int c = 0; c < kPlayers; ++c) {
        strings.emplace_back(static_cast<std::uint16_t>(m_layout.playerSkins + c),
                             m_names[static_cast<std::size_t>(c)] + "\\male/grunt\\default");
      }
      w.configBlast(strings);
    } else {
      w.serverData(protocol::kProtocolExtendedLast, "baseq2", 0, "The Edge");
      w.levelMessage("The Edge").mapModel("maps/q2dm1.bsp");
      for (int c = 0; c < kPlayers; ++c)
        w.player(c, m_names[static_cast<std::size_t>(c)], "male/grunt");
    }
    return w.frame(1000).endBlock().finish(false);
  }

 private:
  static constexpr int kPlayers = 16;

  void death(DemoWriter& w) {
    const int victim = m_random.below(kPlayers);
    const int killer = (victim + 1 + m_random.below(kPlayers - 1)) % kPlayers;
    if (m_random.below(12) == 0) {
      if (m_rerelease) {
        w.locPrint(protocol::kPrintMedium, "$g_mod_self_rocket_splash", {placeholder(victim)});
      } else {
        w.print(protocol::kPrintMedium, name(victim) + " blew himself up.\n");
      }
      return;
    }
    const Death& d = kDeaths[m_random.below(m_rerelease ? kDeathKinds : 12)];
    if (m_rerelease) {
      w.locPrint(protocol::kPrintMedium | protocol::kPrintBroadcast, d.key,
                 {placeholder(victim), placeholder(killer)});
    } else {
      w.print(protocol::kPrintMedium,
              name(victim) + " " + d.message + " " + name(killer) + d.after + "\n");
    }
  }

  void chat(DemoWriter& w) {
    const int who = m_random.below(kPlayers);
    if (m_rerelease) {
      w.locPrint(protocol::kPrintChat, "{}: {}\n", {placeholder(who), "gg"});
    } else {
      w.print(protocol::kPrintChat, name(who) + ": gg\n");
    }
  }

  void rename(DemoWriter& w) {
    const int who = m_random.below(kPlayers);
    m_names[static_cast<std::size_t>(who)] += "'";
    w.player(who, name(who), "male/grunt");
  }

  std::string name(int client) const { return m_names[static_cast<std::size_t>(client)]; }
  static std::string placeholder(int client) { return "##P" + std::to_string(client); }

  bool m_rerelease;
  const protocol::ConfigStringLayout& m_layout;
  DemoRandom m_random;
  std::vector<std::string> m_names;
};

// The demo after its first block, as the fuzz targets take their inputs.
std::string afterFirstBlock(const std::string& demo) {
  const auto* u = reinterpret_cast<const unsigned char*>(demo.data());
  const std::size_t length = u[0] | (u[1] << 8) | (u[2] << 16) | (std::size_t{u[3]} << 24);
  return demo.substr(std::min(demo.size(), 4 + length));
}

bool seeds(const std::string& corpus) {
  namespace fs = std::filesystem;
  bool ok = true;
  for (const bool rerelease : {true, false}) {
    const std::string folder = corpus + (rerelease ? "/rerelease" : "/extended");
    fs::create_directories(folder);
    const std::string demo = afterFirstBlock(Match(rerelease, 7).make(24 * 1024, 300, 3));
    ok = writeFile(folder + "/seed-match", demo) && ok;
    ok = writeFile(folder + "/seed-cut", demo.substr(0, demo.size() / 2)) && ok;
  }
  RecordingWriter r;
  r.serverData("baseq2", 3, "The Edge", "maps/q2dm1.bsp", {protocol::kRecordingRereleaseMinor, 0})
      .initialPlayer(0, "Ann", "female/athena")
      .initialPlayer(1, "Bob", "male/grunt")
      .endServerData()
      .endMessage();
  r.print(1, "Bob was railed by Ann\n").unicastPrint(1, 1, "Ann was railed by Bob\n").frame(3);
  r.endMessage().player(1, "Robert", "male/grunt").multicast(40).sound().frame(4).endMessage();
  const std::string recording = r.finish();
  fs::create_directories(corpus + "/recording");
  ok = writeFile(corpus + "/recording/seed-rerelease", recording.substr(4)) && ok;
  ok = writeFile(corpus + "/recording/seed-rerelease-cut",
                 recording.substr(4, recording.size() / 2)) &&
       ok;
  return ok;
}

int usage() {
  std::fprintf(stderr,
               "Usage: make-format-demos rerelease OUT.dm2 [MB]\n"
               "       make-format-demos extended OUT.dm2 [MB]\n"
               "       make-format-demos seeds CORPUS\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() >= 2 && (args[0] == "rerelease" || args[0] == "extended")) {
    const std::uint64_t mb = args.size() > 2 ? std::stoull(args[2]) : 200;
    const bool rerelease = args[0] == "rerelease";
    // The re-release sends small frames forty times a second, Q2PRO's extended protocol
    // large ones ten times: about four deaths a second either way.
    const std::string demo = rerelease ? Match(true, 1).make(mb * kMegabyte, 240, 10)
                                       : Match(false, 1).make(mb * kMegabyte, 2400, 3);
    return writeFile(args[1], demo) ? 0 : 1;
  }
  if (args.size() == 2 && args[0] == "seeds") return seeds(args[1]) ? 0 : 1;
  return usage();
}
