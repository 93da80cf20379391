#include "scan/RereleaseDeaths.h"

#include <algorithm>
#include <vector>

namespace obitrak {

namespace {

// The weapons of rereleaseWeapons() beyond the original twelve.
constexpr std::uint8_t kReckoning = 13;
constexpr std::uint8_t kGroundZero = 14;
constexpr std::uint8_t kOther = 15;

// Death keys by what follows their prefix, with the original game's and mission packs'
// wording: "<victim> <message> <killer><after>", or "<victim> <message>." without a killer.
struct DeathKey {
  std::string_view name;
  std::uint8_t weapon;  // of rereleaseWeapons(); 0 for a death without a killer
  std::string_view message;
  std::string_view after;
};

constexpr std::string_view kKillPrefix = "$g_mod_kill_";
constexpr std::string_view kSelfPrefix = "$g_mod_self_";
constexpr std::string_view kGenericPrefix = "$g_mod_generic_";

constexpr DeathKey kGenericKill{"generic", kOther, "was killed by", ""};

constexpr std::array<DeathKey, 36> kKillKeys{{
    {"blaster", 1, "was blasted by", ""},
    {"shotgun", 2, "was gunned down by", ""},
    {"sshotgun", 3, "was blown away by", "'s super shotgun"},
    {"machinegun", 4, "was machinegunned by", ""},
    {"chaingun", 5, "was cut in half by", "'s chaingun"},
    {"grenade", 6, "was popped by", "'s grenade"},
    {"grenade_splash", 6, "was shredded by", "'s shrapnel"},
    {"rocket", 7, "ate", "'s rocket"},
    {"rocket_splash", 7, "almost dodged", "'s rocket"},
    {"hyperblaster", 8, "was melted by", "'s hyperblaster"},
    {"railgun", 9, "was railed by", ""},
    {"bfg_laser", 10, "saw the pretty lights from", "'s BFG"},
    {"bfg_blast", 10, "was disintegrated by", "'s BFG blast"},
    {"bfg_effect", 10, "couldn't hide from", "'s BFG"},
    {"handgrenade", 11, "caught", "'s handgrenade"},
    {"handgrenade_splash", 11, "didn't see", "'s handgrenade"},
    {"held_grenade", 11, "feels", "'s pain"},
    {"telefrag", 12, "tried to invade", "'s personal space"},
    {"ripper", kReckoning, "ripped to shreds by", "'s ripper gun"},
    {"phalanx", kReckoning, "was evaporated by", ""},
    {"trap", kReckoning, "caught in trap by", ""},
    {"chainfist", kGroundZero, "was shredded by", "'s ripsaw"},
    {"disintegrator", kGroundZero, "lost his grip courtesy of", "'s disintegrator"},
    {"etf_rifle", kGroundZero, "was perforated by", ""},
    {"heatbeam", kGroundZero, "was scorched by", "'s plasma beam"},
    {"tesla", kGroundZero, "was enlightened by", "'s tesla mine"},
    {"prox", kGroundZero, "got too close to", "'s proximity mine"},
    {"nuke", kGroundZero, "was nuked by", "'s antimatter bomb"},
    {"vengeance_sphere", kGroundZero, "was purged by", "'s vengeance sphere"},
    {"defender_sphere", kGroundZero, "had a blast with", "'s defender sphere"},
    {"hunter_sphere", kGroundZero, "was killed like a dog by", "'s hunter sphere"},
    {"tracker", kGroundZero, "was annihilated by", "'s disruptor"},
    {"dopple_explode", kGroundZero, "was blown up by", "'s doppleganger"},
    {"dopple_vengeance", kGroundZero, "was purged by", "'s doppleganger"},
    {"dopple_hunter", kGroundZero, "was hunted down by", "'s doppleganger"},
    {"grapple", kOther, "was caught by", "'s grapple"},
}};

constexpr DeathKey kSelfDefault{"default", 0, "killed himself", ""};

constexpr std::array<DeathKey, 6> kSelfKeys{{
    {"held_grenade", 0, "tried to put the pin back in", ""},
    {"grenade_splash", 0, "tripped on his own grenade", ""},
    {"rocket_splash", 0, "blew himself up", ""},
    {"bfg_blast", 0, "should have used a smaller gun", ""},
    {"trap", 0, "sucked into his own trap", ""},
    {"dopple_explode", 0, "got caught in his own trap", ""},
}};

constexpr DeathKey kGenericDeath{"", 0, "died", ""};

constexpr std::array<DeathKey, 12> kGenericKeys{{
    {"suicide", 0, "suicides", ""},
    {"falling", 0, "cratered", ""},
    {"crush", 0, "was squished", ""},
    {"water", 0, "sank like a rock", ""},
    {"slime", 0, "melted", ""},
    {"lava", 0, "does a back flip into the lava", ""},
    {"explosive", 0, "blew up", ""},
    {"exit", 0, "found a way out", ""},
    {"laser", 0, "saw the light", ""},
    {"blaster", 0, "got blasted", ""},
    {"hurt", 0, "was in the wrong place", ""},
    {"gekk", 0, "that's gotta hurt", ""},
}};

// The longest text a print is put into: a format may repeat a long argument.
constexpr std::size_t kMaxText = 4096;

template <std::size_t N>
const DeathKey& keyNamed(const std::array<DeathKey, N>& keys, std::string_view name,
                         const DeathKey& otherwise) {
  for (const DeathKey& k : keys) {
    if (k.name == name) return k;
  }
  return otherwise;
}

// The slot an argument names: "##P<n>" client n, or a name as the player table holds it
// (the lowest slot of that name). 0 for none.
int slotOf(std::string_view argument, const PlayerTable& players) {
  if (argument.size() > 3 && argument.size() <= 6 && argument.substr(0, 3) == "##P") {
    int client = 0;
    for (char c : argument.substr(3)) {
      if (c < '0' || c > '9') return kNoSlot;
      client = client * 10 + (c - '0');
    }
    const bool named = client < kMaxSlots && !players[client + 1].name.empty();
    return named ? client + 1 : kNoSlot;
  }
  const std::string_view name = argument.substr(0, decltype(PlayerRecord::name)::capacity());
  for (int s = 1; s <= players.playerCount; ++s) {
    if (!name.empty() && players[s].name == name) return s;
  }
  return kNoSlot;
}

// An argument as the player reads it: a placeholder becomes the name it stands for.
std::string_view wordsOf(std::string_view argument, const PlayerTable& players) {
  const int slot = argument.substr(0, 3) == "##P" ? slotOf(argument, players) : kNoSlot;
  return slot != kNoSlot ? players[slot].name.view() : argument;
}

// A format's text with its arguments in the places "{}" (the next one) and "{n}" (the n-th)
// mark, what follows ':' in a place ignored; "{{" and "}}" are braces.
std::string formatted(std::string_view format, const std::vector<std::string_view>& arguments) {
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size() && out.size() < kMaxText; ++i) {
    const char c = format[i];
    if ((c == '{' || c == '}') && i + 1 < format.size() && format[i + 1] == c) {
      out += c;
      ++i;
      continue;
    }
    const std::size_t close = c == '{' ? format.find('}', i) : std::string_view::npos;
    if (close == std::string_view::npos) {
      out += c;
      continue;
    }
    const std::string_view place = format.substr(i + 1, close - i - 1);
    const std::string_view number = place.substr(0, place.find(':'));
    std::size_t index = number.empty() ? next++ : 0;
    for (char d : number) {
      const bool digit = d >= '0' && d <= '9' && index < arguments.size();
      index = digit ? index * 10 + static_cast<std::size_t>(d - '0') : arguments.size();
    }
    if (index < arguments.size()) out += arguments[index];
    i = close;
  }
  if (out.size() > kMaxText) out.resize(kMaxText);
  return out;
}

LocalisedText death(const DeathKey& key, bool withKiller,
                    const std::vector<std::string_view>& words, const LocalisedPrint& print,
                    const PlayerTable& players) {
  LocalisedText t;
  const std::string_view victim = words.empty() ? std::string_view() : words[0];
  const std::string_view killer = words.size() > 1 ? words[1] : std::string_view();
  t.text = std::string(victim) + " " + std::string(key.message);
  t.text += withKiller ? " " + std::string(killer) + std::string(key.after) : std::string(".");
  t.victim = print.argumentCount > 0 ? slotOf(print.arguments[0], players) : kNoSlot;
  t.killer = !withKiller               ? t.victim
             : print.argumentCount > 1 ? slotOf(print.arguments[1], players)
                                       : kNoSlot;
  t.weapon = withKiller ? key.weapon : 0;
  t.death = t.victim != kNoSlot && t.killer != kNoSlot;
  return t;
}

}  // namespace

const WeaponSet& rereleaseWeapons() {
  static const WeaponSet weapons = [] {
    std::vector<Weapon> w = WeaponSet().weapons();
    w.push_back({"RCK", "R - The Reckoning's weapons"});
    w.push_back({"GZ", "Z - Ground Zero's weapons"});
    w.push_back({"OTH", "Grapple and other deaths"});
    return WeaponSet(std::move(w));
  }();
  return weapons;
}

LocalisedText localise(const LocalisedPrint& print, const PlayerTable& players) {
  std::vector<std::string_view> words;
  for (int i = 0; i < print.argumentCount; ++i) {
    words.push_back(wordsOf(print.arguments[static_cast<std::size_t>(i)], players));
  }
  const std::string_view base = print.base;
  if (base.substr(0, kKillPrefix.size()) == kKillPrefix) {
    return death(keyNamed(kKillKeys, base.substr(kKillPrefix.size()), kGenericKill), true, words,
                 print, players);
  }
  if (base.substr(0, kSelfPrefix.size()) == kSelfPrefix) {
    return death(keyNamed(kSelfKeys, base.substr(kSelfPrefix.size()), kSelfDefault), false, words,
                 print, players);
  }
  if (base.substr(0, kGenericPrefix.size()) == kGenericPrefix) {
    return death(keyNamed(kGenericKeys, base.substr(kGenericPrefix.size()), kGenericDeath), false,
                 words, print, players);
  }
  LocalisedText t;
  if (!base.empty() && base[0] == '$') {
    t.text = std::string(base);
    for (std::string_view w : words) t.text += " " + std::string(w);
  } else {
    t.text = formatted(base, words);
  }
  return t;
}

}  // namespace obitrak
