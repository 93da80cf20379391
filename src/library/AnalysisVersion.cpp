#include "library/AnalysisVersion.h"

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "scan/DemoScan.h"
#include "scan/PhrasePack.h"
#include "scan/Phrases.h"

#ifndef OBITRAK_VERSION
#error "OBITRAK_VERSION must name the program's version"
#endif

namespace obitrak {

namespace {

// FNV-1a over every piece, each followed by a 0 byte so that pieces cannot run together.
class Digest {
 public:
  void add(std::string_view piece) {
    for (char c : piece) mix(static_cast<unsigned char>(c));
    mix(0);
  }
  void add(int value) { add(std::string_view(std::to_string(value))); }
  std::uint64_t value() const { return m_hash; }

 private:
  void mix(unsigned char byte) {
    m_hash ^= byte;
    m_hash *= 0x100000001B3ULL;
  }
  std::uint64_t m_hash = 0xCBF29CE484222325ULL;
};

}  // namespace

std::string AnalysisVersion(const PhrasePack* pack) {
  Digest d;
  d.add(kReadersRevision);
  for (const WeaponPhrase& p : kWeaponPhrases) {
    d.add(p.phrase);
    d.add(p.weapon);
  }
  for (const SelfKillPhrase& p : kSelfKillPhrases) {
    d.add(p.phrase);
    d.add(p.alsoContains);
    d.add(p.mustNotContain);
  }
  for (std::string_view p : kJoinLeavePhrases) d.add(p);
  // Results kept of files taken for empty demos, before those failed as no demos, are redone.
  d.add(kNotADemo);
  if (pack != nullptr) {
    // The name too: the results name the pack that counted them.
    d.add(pack->name());
    if (pack->ownWeapons()) {
      for (const Weapon& w : pack->ownWeapons()->weapons()) {
        d.add("weapon");
        d.add(w.label);
        d.add(w.name);
      }
    }
    for (const PackLine& line : pack->lines()) {
      d.add(line.kind == PackLineKind::Kill ? "kill" : "self");
      d.add(line.weapon);
      d.add(static_cast<int>(line.location));
      for (const std::string& phrase : line.phrases) d.add(phrase);
    }
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(d.value()));
  return std::string(OBITRAK_VERSION) + "/" + hex;
}

}  // namespace obitrak
