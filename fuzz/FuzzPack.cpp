// Fuzz target: any bytes as a death-message pack. Reading must give either a pack or an
// error naming the file; a pack must hold only what the format allows, read back the same
// when written out again, and count in the analysis every obituary that one of its lines
// was written for.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "scan/ObituaryAnalysis.h"
#include "scan/PhrasePack.h"
#include "scan/Phrases.h"

namespace {

using namespace obitrak;

// Lines of a pack that the analysis check writes obituaries for; enough to meet every kind.
constexpr std::size_t kCheckedLines = 200;

void check(bool condition) {
  if (!condition) __builtin_trap();
}

int weaponCount(const PhrasePack& pack) {
  return pack.ownWeapons() ? pack.ownWeapons()->count() : kWeaponCategories;
}

void checkLines(const PhrasePack& pack) {
  int lastLine = 0;
  for (const PackLine& line : pack.lines()) {
    check(line.lineNumber > lastLine && line.lineNumber <= kPackMaxLines);
    lastLine = line.lineNumber;
    check(line.kind == PackLineKind::Kill ? line.weapon >= 1 && line.weapon <= weaponCount(pack)
                                          : line.weapon == 0);
    check(line.kind == PackLineKind::Kill || line.location == HitLocation::None);
    check(line.kind == PackLineKind::Score
              ? line.points != 0 && line.points >= -kPackMaxPoints && line.points <= kPackMaxPoints
              : line.points == 0);
    check(!line.phrases.empty());
    for (const std::string& phrase : line.phrases) {
      check(!phrase.empty());
      for (char c : phrase) check(c >= 0x20 && c <= 0x7E);
    }
  }
}

std::string quoted(const std::string& phrase) {
  std::string out = " \"";
  for (char c : phrase) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + '"';
}

// The pack written out again as a pack file.
std::string written(const PhrasePack& pack) {
  std::string out;
  for (const std::string& game : pack.games()) out += "games " + game + "\n";
  if (pack.ownWeapons()) {
    for (const Weapon& w : pack.ownWeapons()->weapons())
      out += "weapon " + w.label + quoted(w.name) + "\n";
  }
  for (const PackLine& line : pack.lines()) {
    if (line.kind == PackLineKind::Kill) {
      out += "kill " + std::to_string(line.weapon);
      if (line.location != HitLocation::None)
        out += " " + std::string(kHitLocationNames[static_cast<std::size_t>(line.location)]);
    } else {
      out += line.kind == PackLineKind::Self ? "self" : "score " + std::to_string(line.points);
    }
    for (const std::string& phrase : line.phrases) out += quoted(phrase);
    out += '\n';
  }
  return out;
}

// The obituary a line was written for: the victim's name, the phrases, and for a kill the
// killer's name. The names are control characters, which no phrase holds.
std::string obituaryFor(const PackLine& line) {
  std::string text = "\x01";
  for (const std::string& phrase : line.phrases) text += " " + phrase;
  if (line.kind == PackLineKind::Kill) text += " \x02";
  return text;
}

bool isNotice(std::string_view text) {
  for (std::string_view phrase : kJoinLeavePhrases) {
    if (text.find(phrase) != std::string_view::npos) return true;
  }
  return false;
}

void checkAnalysis(const PhrasePack& pack, std::string_view bytes) {
  DemoTables t;
  t.players[1].name = "\x01";
  t.players[2].name = "\x02";
  t.players.playerCount = 2;
  std::size_t count = std::min(pack.lines().size(), kCheckedLines);
  for (std::size_t i = 0; i < count; ++i) t.log.add(1, obituaryFor(pack.lines()[i]), 0);
  // The input itself as an obituary, cleaned as the scan cleans texts.
  std::string text = "\x01 " + std::string(bytes.substr(0, 1400));
  for (char& c : text) c = static_cast<char>(static_cast<unsigned char>(c) & 0x7F);
  t.log.add(1, text, 0);
  t.log.logCount = static_cast<std::uint32_t>(t.log.size());
  ObituaryAnalysis(t, &pack);
  for (std::uint32_t r = 1; r <= count; ++r) {
    const PackLine& line = pack.lines()[r - 1];
    const LogRecord& rec = t.log[r];
    if (line.kind == PackLineKind::Kill) {
      check(rec.killer == 2 && rec.victim == 1);
    } else if (line.kind == PackLineKind::Self) {
      check(isNotice(rec.text) ? rec.killer == 0 : rec.killer == 1 && rec.victim == 1);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  PhrasePackLoad load = ParsePhrasePack(bytes, "fuzz.pack");
  check(load.pack.has_value() == load.error.empty());
  if (!load.pack) {
    check(load.error.starts_with("fuzz.pack:"));
    return 0;
  }
  const PhrasePack& pack = *load.pack;
  check(pack.name() == "fuzz.pack");
  checkLines(pack);
  const std::string again = written(pack);
  if (again.size() <= kPackMaxBytes) {
    PhrasePackLoad reread = ParsePhrasePack(again, "fuzz.pack");
    check(reread.pack.has_value());
    check(reread.pack->lines().size() == pack.lines().size());
    check(reread.pack->ownWeapons() == pack.ownWeapons());
    check(reread.pack->games() == pack.games());
    for (std::size_t i = 0; i < pack.lines().size(); ++i) {
      check(reread.pack->lines()[i].weapon == pack.lines()[i].weapon);
      check(reread.pack->lines()[i].location == pack.lines()[i].location);
      check(reread.pack->lines()[i].points == pack.lines()[i].points);
      check(reread.pack->lines()[i].phrases == pack.lines()[i].phrases);
    }
  }
  checkAnalysis(pack, bytes);
  return 0;
}
