#include "scan/ObituaryAnalysis.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "scan/PhraseMatcher.h"
#include "scan/PhrasePack.h"
#include "scan/Phrases.h"
#include "scan/Ranking.h"

namespace obitrak {

namespace {

// Names are compared in the same 7-bit form as the log texts.
std::string reducedName(std::string_view name) {
  std::string out(name);
  for (char& c : out) c = static_cast<char>(static_cast<unsigned char>(c) & 0x7F);
  return out;
}

// Every phrase the classification looks for, found in one pass over a text: the result is
// a bit mask of the phrases present, from which the weapon phrases, the self-kill
// conditions and the join and leave notices are read in their order.
class ObituaryPhrases {
 public:
  ObituaryPhrases() : m_matcher(collect()) {}

  std::uint64_t present(std::string_view text) const {
    std::uint64_t mask = 0;
    m_matcher.scan(text,
                   [&mask](std::uint32_t id, std::size_t) { mask |= std::uint64_t{1} << id; });
    return mask;
  }

  int weapon(std::uint64_t mask) const {
    for (std::size_t i = 0; i < kWeaponPhrases.size(); ++i) {
      if (mask & m_weaponBits[i]) return kWeaponPhrases[i].weapon;
    }
    return 0;
  }

  bool selfKill(std::uint64_t mask) const {
    for (const SelfKillBits& s : m_selfKillBits) {
      if ((mask & s.phrase) && (mask & s.also) == s.also && !(mask & s.mustNot)) return true;
    }
    return false;
  }

  bool joinOrLeave(std::uint64_t mask) const { return (mask & m_joinLeaveBits) != 0; }

 private:
  struct SelfKillBits {
    std::uint64_t phrase = 0;
    std::uint64_t also = 0;     // 0 when there is no second phrase
    std::uint64_t mustNot = 0;  // 0 when nothing is excluded
  };

  // The bit of `phrase`, giving it one when it is new; 0 for no phrase.
  std::uint64_t bit(std::string_view phrase) {
    if (phrase.empty()) return 0;
    for (std::size_t i = 0; i < m_phrases.size(); ++i) {
      if (m_phrases[i] == phrase) return std::uint64_t{1} << i;
    }
    if (m_phrases.size() == 64) throw std::logic_error("more than 64 obituary phrases");
    m_phrases.push_back(phrase);
    return std::uint64_t{1} << (m_phrases.size() - 1);
  }

  std::vector<std::string_view> collect() {
    for (std::size_t i = 0; i < kWeaponPhrases.size(); ++i)
      m_weaponBits[i] = bit(kWeaponPhrases[i].phrase);
    for (std::size_t i = 0; i < kSelfKillPhrases.size(); ++i) {
      const SelfKillPhrase& s = kSelfKillPhrases[i];
      m_selfKillBits[i] = {bit(s.phrase), bit(s.alsoContains), bit(s.mustNotContain)};
    }
    for (std::string_view phrase : kJoinLeavePhrases) m_joinLeaveBits |= bit(phrase);
    return m_phrases;
  }

  std::vector<std::string_view> m_phrases;  // before m_matcher: collect() fills it first
  std::array<std::uint64_t, kWeaponPhrases.size()> m_weaponBits{};
  std::array<SelfKillBits, kSelfKillPhrases.size()> m_selfKillBits{};
  std::uint64_t m_joinLeaveBits = 0;
  PhraseMatcher m_matcher;
};

// Finds in a text the first slot whose name begins it (the victim) and the first slot
// whose name first occurs later in it (the killer), in one pass over the text. Slots with
// the same name share one phrase of the matcher, which answers for the lowest of them.
class NameFinder {
 public:
  explicit NameFinder(const PlayerTable& players) {
    std::vector<std::string_view> phrases;
    for (int s = 1; s <= players.playerCount; ++s) {
      std::string name = reducedName(players[s].name);
      if (name.empty()) continue;
      auto known = std::find(m_names.begin(), m_names.end(), name);
      if (known != m_names.end()) continue;  // a lower slot has this name
      m_names.push_back(std::move(name));
      m_lowestSlot.push_back(s);
    }
    for (const std::string& n : m_names) phrases.push_back(n);
    m_matcher = std::make_unique<PhraseMatcher>(phrases);
    m_seen.assign(m_names.size(), 0);
  }

  // The victim and the killer slot of `text`, 0 for none.
  std::pair<int, int> victimAndKiller(std::string_view text) {
    const std::uint64_t generation = ++m_generation;
    int victim = kNoSlot;
    int killer = kNoSlot;
    m_matcher->scan(text, [&](std::uint32_t id, std::size_t start) {
      if (m_seen[id] == generation) return;  // only a name's first occurrence counts
      m_seen[id] = generation;
      int slot = m_lowestSlot[id];
      int& role = start == 0 ? victim : killer;
      if (role == kNoSlot || slot < role) role = slot;
    });
    return {victim, killer};
  }

 private:
  std::vector<std::string> m_names;
  std::vector<int> m_lowestSlot;  // phrase id -> the lowest slot with that name
  std::unique_ptr<PhraseMatcher> m_matcher;
  std::vector<std::uint64_t> m_seen;  // phrase id -> the text in which it was last found
  std::uint64_t m_generation = 0;
};

// What the analysis makes of one level-1 text: no death (victim 0), a self-kill (killer the
// victim's own slot) or a kill with its weapon.
struct Outcome {
  int victim = kNoSlot;
  int killer = kNoSlot;
  int weapon = 0;
  HitLocation location = HitLocation::None;
  int scorer = kNoSlot;  // the player a pack's score line gives `points`, when no death
  int points = 0;
};

// Classifies texts. The same messages come again and again in a match (two names and a
// weapon's phrase), and a text's outcome depends on the text alone, so each distinct text
// is matched once; the answers kept are bounded, past that texts are matched every time.
class Classifier {
 public:
  // A pack with weapons of its own names every kill's weapon itself: the built-in weapon
  // phrases count under the original twelve, which its WeaponIndex does not mean.
  Classifier(const PlayerTable& players, const PhrasePack* pack)
      : m_names(players), m_pack(pack), m_builtInWeapons(pack == nullptr || !pack->ownWeapons()) {}

  Outcome outcome(std::string_view text) {
    if (auto known = m_known.find(text); known != m_known.end()) return known->second;
    const Outcome o = classify(text);
    if (m_known.size() < kMaxKnownTexts) m_known.emplace(text, o);
    return o;
  }

 private:
  static constexpr std::size_t kMaxKnownTexts = std::size_t{1} << 16;

  // The victim's name begins the text; the killer's name first occurs later in it.
  Outcome classify(std::string_view text) {
    auto [victim, killer] = m_names.victimAndKiller(text);
    if (victim == kNoSlot) return {};
    const std::uint64_t present = m_phrases.present(text);
    if (killer != kNoSlot) {
      PackKill kill{m_builtInWeapons ? m_phrases.weapon(present) : 0, HitLocation::None};
      if (kill.weapon == 0 && m_pack != nullptr) kill = m_pack->kill(text);
      if (kill.weapon != 0) return {victim, killer, kill.weapon, kill.location};
      return scoreOf(victim, text);
    }
    if (m_phrases.joinOrLeave(present)) return {};
    if (m_phrases.selfKill(present) || (m_pack != nullptr && m_pack->selfKill(text))) {
      return {victim, victim, 0};
    }
    return scoreOf(victim, text);
  }

  // A message that is no death may give the player it begins with points of the mod's own.
  Outcome scoreOf(int slot, std::string_view text) const {
    Outcome o;
    o.points = m_pack != nullptr ? m_pack->scorePoints(text) : 0;
    if (o.points != 0) o.scorer = slot;
    return o;
  }

  NameFinder m_names;
  const ObituaryPhrases m_phrases;
  const PhrasePack* m_pack;
  bool m_builtInWeapons;
  std::unordered_map<std::string_view, Outcome> m_known;  // views into the log's texts
};

}  // namespace

int weaponOfKill(std::string_view text) {
  ObituaryPhrases phrases;
  return phrases.weapon(phrases.present(text));
}

bool isSelfKill(std::string_view text) {
  ObituaryPhrases phrases;
  return phrases.selfKill(phrases.present(text));
}

namespace {

// Whether a record that a reader resolved names slots in use and a weapon of the demo; one
// that does not (a message that is no death among them) counts nothing.
bool resolvedHolds(const LogRecord& r, const DemoTables& tables) {
  const int slots = tables.players.playerCount;
  if (r.victim < 1 || r.victim > slots || r.killer < 1 || r.killer > slots) return false;
  return r.killer == r.victim || (r.weapon >= 1 && r.weapon <= tables.weapons.count());
}

void count(DemoTables& tables, const LogRecord& r) {
  ++tables.killMatrix(r.victim, r.killer, 0);
  if (r.killer == r.victim) return;
  ++tables.killMatrix(r.victim, r.killer, r.weapon);
  if (r.hitLocation != HitLocation::None)
    tables.hitLocations.add(r.killer, r.weapon, r.hitLocation);
}

// Forgets what an earlier analysis noted in the records it classified; returns whether a
// reader resolved any of them.
bool clearRecords(MessageLog& log) {
  bool resolved = false;
  for (LogRecord& r : log) {
    resolved = resolved || r.resolved;
    if (r.resolved) continue;
    r.killer = 0;
    r.victim = 0;
    r.weapon = 0;
    r.hitLocation = HitLocation::None;
  }
  return resolved;
}

}  // namespace

void ObituaryAnalysis(DemoTables& tables, const PhrasePack* pack) {
  tables.killMatrix.clear();
  tables.hitLocations.clear();
  tables.scoreBonus.fill(0);
  // A reader that resolved deaths itself named the weapons they are counted under; a pack's
  // own weapons then do not replace them, and its kill lines, which name those, are not used.
  const bool readerWeapons = clearRecords(tables.log);
  if (pack != nullptr && pack->ownWeapons() && readerWeapons) pack = nullptr;
  if (pack != nullptr && pack->ownWeapons()) {
    tables.weapons = *pack->ownWeapons();
  } else if (!readerWeapons) {
    tables.weapons = WeaponSet();
  }
  tables.packName = pack != nullptr ? pack->name() : std::string();
  tables.hitLocations.told = pack != nullptr && pack->namesLocations();
  if (tables.players.playerCount == 0) return;
  Classifier classifier(tables.players, pack);
  for (std::uint32_t i = 1; i <= tables.log.logCount; ++i) {
    LogRecord& r = tables.log[i];
    if (r.resolved) {
      if (resolvedHolds(r, tables)) {
        tables.hitLocations.told = tables.hitLocations.told || r.hitLocation != HitLocation::None;
        count(tables, r);
      } else {
        r.killer = r.victim = kNoSlot;
        r.weapon = 0;
      }
      continue;
    }
    if (r.level != 1) continue;
    const Outcome o = classifier.outcome(r.text);
    if (o.scorer != kNoSlot) {
      std::int32_t& bonus = tables.scoreBonus[static_cast<std::size_t>(o.scorer)];
      bonus = clampToInt32(std::int64_t{bonus} + o.points);
    }
    if (o.victim == kNoSlot) continue;
    r.killer = o.killer;
    r.victim = o.victim;
    if (o.killer != o.victim) {
      r.weapon = static_cast<std::uint8_t>(o.weapon);
      r.hitLocation = o.location;
    }
    count(tables, r);
  }
}

void RerunObituaryAnalysis(DemoTables& tables, const PackChoice& choice) {
  // Back to the end of the read: every slot in use unranked, without counters or team.
  PlayerTable& players = tables.players;
  for (int s = 1; s <= players.slotCount; ++s) {
    PlayerRecord& p = players[s];
    p.frags = 0;
    p.deaths = 0;
    p.kills = 0;
    p.rank = 0;
    p.team = 0;
  }
  players.playerCount = players.slotCount;
  ObituaryAnalysis(tables, choice.packFor(tables.header.gameDir));
  TallyAndRank(tables);
}

}  // namespace obitrak
