// Writes large demos for measuring the analyser (never committed: make them anew).
//
//   make-large-demos duel SOURCE.dm2 OUT.dm2 [MB]   a real demo's first ten blocks, then the
//                                                    rest again and again up to MB (200)
//   make-large-demos obituaries OUT.dm2 [MB]         a 16-player match of about 3 500
//                                                    obituaries per MB (200 MB)
//   make-large-demos action OUT.dm2 [MB]             a 12-player Action Quake 2 match in the
//                                                    words of the shared clan matches, about
//                                                    3 300 obituaries per MB (200 MB)
//   make-large-demos folder OUTDIR [COUNT]           COUNT (200) demos of 1 to 2 MB
//   make-large-demos empty-prints OUT.dm2 [MB]       blocks full of empty print messages, the
//                                                    most messages a byte can carry (256 MB)
//   make-large-demos season OUTDIR [COUNT]           COUNT (20 000) short matches of a pool
//                                                    of 400 players, 30 a day, in folders
//   make-large-demos long-match OUT.dm2              a 4-hour match of 16 players and about
//                                                    35 000 frags, with names, skins, a level
//                                                    name and messages that use the game's own
//                                                    characters, long texts and line feeds;
//                                                    it ends in an oversized block
//   make-large-demos recording SOURCE.mvd2 OUT.mvd2 [MB]
//                                                    a real server recording's server data,
//                                                    then its frames again and again up to
//                                                    MB (200)

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "DemoWriter.h"

namespace {

using obitrak::tools::DemoRandom;
using obitrak::tools::DemoWriter;

constexpr std::uint64_t kMegabyte = 1 << 20;

bool writeFile(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  bool ok = f != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (f != nullptr) ok = std::fclose(f) == 0 && ok;
  if (!ok) std::perror(path.c_str());
  return ok;
}

std::string readFile(const std::string& path) {
  std::string bytes;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    std::perror(path.c_str());
    return bytes;
  }
  char buf[1 << 16];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
  std::fclose(f);
  return bytes;
}

// The whole blocks of a demo, each with its length field.
std::vector<std::string> blocksOf(const std::string& demo) {
  std::vector<std::string> blocks;
  std::size_t pos = 0;
  while (pos + 4 <= demo.size()) {
    std::int32_t length;
    std::memcpy(&length, demo.data() + pos, 4);
    if (length < 0 || length > 1400 || pos + 4 + static_cast<std::size_t>(length) > demo.size())
      break;
    blocks.push_back(demo.substr(pos, 4 + static_cast<std::size_t>(length)));
    pos += 4 + static_cast<std::size_t>(length);
  }
  return blocks;
}

// The whole messages of a server recording after its magic, each with its length field.
std::vector<std::string> messagesOf(const std::string& recording) {
  std::vector<std::string> messages;
  std::size_t pos = 4;
  while (recording.compare(0, 4, "MVD2") == 0 && pos + 2 <= recording.size()) {
    const auto* u = reinterpret_cast<const unsigned char*>(recording.data() + pos);
    const std::size_t length = u[0] | (u[1] << 8);
    if (length == 0 || pos + 2 + length > recording.size()) break;
    messages.push_back(recording.substr(pos, 2 + length));
    pos += 2 + length;
  }
  return messages;
}

std::string recording(const std::string& source, std::uint64_t megabytes) {
  std::vector<std::string> messages = messagesOf(readFile(source));
  if (messages.size() <= 1) return {};
  std::string out = "MVD2" + messages[0];
  out.reserve(megabytes * kMegabyte + 65536);
  while (out.size() < megabytes * kMegabyte) {
    for (std::size_t i = 1; i < messages.size() && out.size() < megabytes * kMegabyte; ++i)
      out += messages[i];
  }
  return out + std::string(2, '\0');
}

std::string duel(const std::string& source, std::uint64_t megabytes) {
  std::vector<std::string> blocks = blocksOf(readFile(source));
  if (blocks.size() <= 10) return {};
  std::string out;
  out.reserve(megabytes * kMegabyte + 2048);
  for (std::size_t i = 0; i < 10; ++i) out += blocks[i];
  while (out.size() < megabytes * kMegabyte) {
    for (std::size_t i = 10; i < blocks.size() && out.size() < megabytes * kMegabyte; ++i)
      out += blocks[i];
  }
  std::int32_t end = -1;
  out.append(reinterpret_cast<const char*>(&end), 4);
  return out;
}

// Ends the block being written; every 8 MB the blocks so far join `out`, so that a large
// demo is made in pieces rather than held twice.
void endBlockFlushing(DemoWriter& blocks, std::string& out, std::size_t& pending) {
  pending += blocks.currentBlockSize() + 4;
  blocks.endBlock();
  if (pending > 8 * kMegabyte) {
    out += blocks.finish(false);
    blocks = DemoWriter();
    pending = 0;
  }
}

// A match of `players` players in two skin teams: about one obituary a block, with frame
// data of the size a real server sends beside it.
std::string match(std::uint64_t bytes, int players, std::uint32_t seed) {
  static const char* const kKills[][2] = {
      {"was blasted by", ""},
      {"was gunned down by", ""},
      {"was blown away by", "'s super shotgun"},
      {"was machinegunned by", ""},
      {"was cut in half by", "'s chaingun"},
      {"was popped by", "'s grenade"},
      {"ate", "'s rocket"},
      {"was melted by", "'s hyperblaster"},
      {"was railed by", ""},
      {"saw the pretty lights from", "'s BFG"},
      {"caught", "'s handgrenade"},
      {"tried to invade", "'s personal space"},
  };
  static const char* const kSelf[] = {"cratered.", "died.", "blew himself up.", "melted."};
  DemoRandom random(seed * 2654435761u + 0x9E3779B9u);
  std::vector<std::string> names;
  DemoWriter w;
  w.serverData(34, "baseq2", 0, "Large Arena")
      .configString(0, "Large Arena")
      .configString(33, "maps/large.bsp");
  for (int c = 0; c < players; ++c) {
    names.push_back("Player_" + std::to_string(c) + (c % 3 == 0 ? "^x" : ""));
    w.player(c, names.back(), c % 2 == 0 ? "male/grunt" : "female/athena");
  }
  w.endBlock();
  std::string out = w.finish(false);
  DemoWriter blocks;
  std::size_t pending = 0;
  while (out.size() + pending < bytes) {
    int victim = random.below(players);
    if (random.below(16) == 0) {
      blocks.print(1,
                   names[static_cast<std::size_t>(victim)] + " " + kSelf[random.below(4)] + "\n");
    } else {
      int killer = (victim + 1 + random.below(players - 1)) % players;
      const char* const* kill = kKills[random.below(12)];
      blocks.print(1, names[static_cast<std::size_t>(victim)] + " " + kill[0] + " " +
                          names[static_cast<std::size_t>(killer)] + kill[1] + "\n");
    }
    blocks.frame(static_cast<std::size_t>(190 + random.below(100)), random.next());
    endBlockFlushing(blocks, out, pending);
  }
  out += blocks.finish(true);
  return out;
}

// An Action Quake 2 deathmatch of 12 players (game directory "action"): about one death
// message a block in the mod's wordings, weighted as in the shared clan matches, with its
// hit locations, falls and streak bonuses, beside frame data of a real server's size.
std::string actionMatch(std::uint64_t bytes) {
  static const char* const kKills[][2] = {
      {" loses a vital chest organ thanks to ", "'s Mark 23 pistol"},
      {" was John Woo'd by ", ""},
      {" was trepanned by ", "'s akimbo Mark 23 pistols"},
      {" has a hole in his head from ", "'s Mark 23 pistol"},
      {" feels some chest pain via ", "'s MP5/10 Submachinegun"},
      {" accepts ", "'s M3 Super 90 Assault Shotgun in hole-y matrimony"},
      {" was picked off by ", ""},
      {"'s brains are on the wall thanks to ", "'s 10mm MP5/10 round"},
      {" was shot in the legs by ", "'s akimbo Mark 23 pistols"},
      {" is full of buckshot from ", "'s M3 Super 90 Assault Shotgun"},
      {" feels some heart burn thanks to ", "'s M4 Assault Rifle"},
      {" is legless because of ", "'s .45 caliber pistol round"},
      {" had a makeover by ", "'s M4 Assault Rifle"},
      {"'s ribs don't help against ", "'s flying knife"},
      {" caught a sniper bullet between the eyes from ", ""},
      {" didn't see ", "'s handgrenade"},
  };
  static const char* const kOthers[] = {
      " plummets to his death\n", " was flattened\n",
      " has 4 kills in a row and receives 2 frags for the kill!\n"};
  DemoRandom random(23);
  std::vector<std::string> names;
  DemoWriter w;
  w.serverData(34, "action", 0, "Urban Terror")
      .configString(0, "Urban Terror")
      .configString(33, "maps/urban2.bsp");
  for (int c = 0; c < 12; ++c) {
    names.push_back((c % 2 == 0 ? "[DML]Player" : "[GMP]Gamer") + std::to_string(10 + c));
    w.player(c, names.back(), c % 2 == 0 ? "male/ctf_r" : "male/ctf_b");
  }
  w.endBlock();
  std::string out = w.finish(false);
  DemoWriter blocks;
  std::size_t pending = 0;
  while (out.size() + pending < bytes) {
    const int v = random.below(12);
    const std::string& victim = names[static_cast<std::size_t>(v)];
    if (random.below(20) == 0) {
      blocks.print(1, victim + kOthers[random.below(3)]);
    } else {
      const std::string& killer = names[static_cast<std::size_t>((v + 1 + random.below(11)) % 12)];
      const char* const* kill = kKills[std::min(random.below(16), random.below(16))];
      blocks.print(1, victim + kill[0] + killer + kill[1] + "\n");
    }
    blocks.frame(static_cast<std::size_t>(190 + random.below(100)), random.next());
    endBlockFlushing(blocks, out, pending);
  }
  out += blocks.finish(true);
  return out;
}

// A demo whose blocks hold nothing but empty print messages (3 bytes each).
std::string emptyPrints(std::uint64_t bytes) {
  std::string out = DemoWriter().serverData(34, "baseq2", 0, "Empty").endBlock().finish(false);
  DemoWriter w;
  while (w.currentBlockSize() + 3 <= 1400) w.print(2, "");
  const std::string block = w.endBlock().finish(false);
  out.reserve(bytes + block.size() + 4);
  while (out.size() < bytes) out += block;
  std::int32_t end = -1;
  out.append(reinterpret_cast<const char*>(&end), 4);
  return out;
}

// Four hours of a 16-player match, ten blocks a second, an obituary every four blocks or so;
// the better players (lower client numbers) kill more often. Chat and server messages use
// the game's brackets, gold digits and coloured letters.
std::string longMatch() {
  static const char* const kNames[16] = {"Adrenaline Hunter XX",
                                         "\x10W\x11 Nightshade",
                                         "Reaper",
                                         "Maxine",
                                         "Vortex",
                                         "Kestrel \x12\x13",
                                         "Havoc",
                                         "Mira",
                                         "Blink",
                                         "Gorgon",
                                         "Nyx",
                                         "Lurker",
                                         "Vex",
                                         "Drifter",
                                         "Quill",
                                         "\x1d\x1e\x1f Dash"};
  static const char* const kSkins[4] = {"cyborg/disguise_2", "female/venus_blue", "male/grunt",
                                        "female/athena"};
  DemoRandom random(2026);
  DemoWriter w;
  w.serverData(34, "baseq2", 0, "The Edge\nof the World")
      .configString(0, "The Edge\nof the World")
      .configString(33, "maps/edge.bsp");
  for (int c = 0; c < 16; ++c) w.player(c, kNames[c], kSkins[c % 4]);
  w.endBlock();
  std::string out = w.finish(false);
  constexpr int kBlocks = 4 * 3600 * 10;
  DemoWriter blocks;
  for (int block = 2; block <= kBlocks; ++block) {
    if (random.below(100) < 24) {
      const int killer = std::min(random.below(16), random.below(16));
      const int victim = random.below(20) == 0 ? killer : random.below(16);
      const std::string text =
          victim == killer
              ? std::string(kNames[victim]) + " blew himself up.\n"
              : std::string(kNames[victim]) + " was railed by " + kNames[killer] + "\n";
      blocks.print(1, text);
    }
    if (block % 3000 == 3) {
      blocks.print(2,
                   "\x10"
                   "anticheat\x11 all \x13\x16 players checked\nnext check in "
                   "\x17 minutes\n");
      blocks.print(3, "\xcd\xe9\xf2\xe1: gg \xe1\xec\xec\n");
    }
    blocks.frame(40, random.next()).endBlock();
  }
  out += blocks.finish(false);
  std::int32_t oversized = 5000;
  out.append(reinterpret_cast<const char*>(&oversized), 4);
  return out;
}

// A season of short matches: duels and free-for-alls of 2 to 8 players of a pool of 400,
// 40 obituaries each, a hundred to a folder, each dated a day later than the thirtieth
// before it, so that ratings have many days.
bool season(const std::string& folder, int count) {
  constexpr int kPool = 400;
  constexpr std::int64_t kStart = 1'704'067'200;  // 2024-01-01
  DemoRandom random(424242);
  for (int i = 0; i < count; ++i) {
    const std::string sub = folder + "/week" + std::to_string(i / 100);
    if (i % 100 == 0) std::filesystem::create_directories(sub);
    DemoWriter w;
    w.serverData(34, "baseq2", 0, "q2dm" + std::to_string(1 + random.below(8)));
    const int players = random.below(3) == 0 ? 2 + random.below(7) : 2;
    std::vector<std::string> names;
    for (int p = 0; p < players; ++p) {
      names.push_back("Player" + std::to_string(random.below(kPool)));
      w.player(p, names.back(), "male/grunt");
    }
    w.endBlock();
    for (int k = 0; k < 40; ++k) {
      const std::string& victim = names[static_cast<std::size_t>(random.below(players))];
      const std::string& killer = names[static_cast<std::size_t>(random.below(players))];
      w.print(1, victim + " was railed by " + killer + "\n").frame(16).endBlock();
    }
    const std::string path = sub + "/match" + std::to_string(i) + ".dm2";
    if (!writeFile(path, w.finish())) return false;
    const timespec when{static_cast<time_t>(kStart + std::int64_t{i} * 86400 / 30), 0};
    const timespec times[2] = {when, when};
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) return false;
  }
  return true;
}

int usage() {
  std::fprintf(stderr,
               "Usage: make-large-demos duel SOURCE.dm2 OUT.dm2 [MB]\n"
               "       make-large-demos obituaries OUT.dm2 [MB]\n"
               "       make-large-demos action OUT.dm2 [MB]\n"
               "       make-large-demos folder OUTDIR [COUNT]\n"
               "       make-large-demos empty-prints OUT.dm2 [MB]\n"
               "       make-large-demos long-match OUT.dm2\n"
               "       make-large-demos season OUTDIR [COUNT]\n"
               "       make-large-demos recording SOURCE.mvd2 OUT.mvd2 [MB]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() >= 3 && args[0] == "duel") {
    std::uint64_t mb = args.size() > 3 ? std::stoull(args[3]) : 200;
    std::string demo = duel(args[1], mb);
    return !demo.empty() && writeFile(args[2], demo) ? 0 : 1;
  }
  if (args.size() >= 3 && args[0] == "recording") {
    std::uint64_t mb = args.size() > 3 ? std::stoull(args[3]) : 200;
    std::string out = recording(args[1], mb);
    return !out.empty() && writeFile(args[2], out) ? 0 : 1;
  }
  if (args.size() >= 2 && args[0] == "obituaries") {
    std::uint64_t mb = args.size() > 2 ? std::stoull(args[2]) : 200;
    return writeFile(args[1], match(mb * kMegabyte, 16, 1)) ? 0 : 1;
  }
  if (args.size() >= 2 && args[0] == "action") {
    std::uint64_t mb = args.size() > 2 ? std::stoull(args[2]) : 200;
    return writeFile(args[1], actionMatch(mb * kMegabyte)) ? 0 : 1;
  }
  if (args.size() >= 2 && args[0] == "folder") {
    int count = args.size() > 2 ? std::stoi(args[2]) : 200;
    std::filesystem::create_directories(args[1]);
    for (int i = 0; i < count; ++i) {
      std::uint64_t bytes =
          kMegabyte + (static_cast<std::uint64_t>(i) * 7919 % 1000) * kMegabyte / 1000;
      char name[32];
      std::snprintf(name, sizeof name, "/match%03d.dm2", i);
      if (!writeFile(args[1] + name, match(bytes, 4 + i % 13, static_cast<std::uint32_t>(i) + 2)))
        return 1;
    }
    return 0;
  }
  if (args.size() >= 2 && args[0] == "empty-prints") {
    std::uint64_t mb = args.size() > 2 ? std::stoull(args[2]) : 256;
    return writeFile(args[1], emptyPrints(mb * kMegabyte)) ? 0 : 1;
  }
  if (args.size() >= 2 && args[0] == "long-match") return writeFile(args[1], longMatch()) ? 0 : 1;
  if (args.size() >= 2 && args[0] == "season") {
    return season(args[1], args.size() > 2 ? std::stoi(args[2]) : 20000) ? 0 : 1;
  }
  return usage();
}
