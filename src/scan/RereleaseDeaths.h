#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "scan/DemoTables.h"
#include "scan/Weapons.h"

namespace obitrak {

// The 2023 re-release prints most messages as localised prints: a key or a format and its
// arguments, which the player's game puts into words. A death message's key names the means
// of death ("$g_mod_kill_railgun", "$g_mod_self_rocket_splash", "$g_mod_generic_falling");
// its arguments are the victim and the killer, as names or as placeholders of a client's
// name ("##P3").

// The weapons a re-release demo's kills are counted under: the original twelve, then one for
// each mission pack's weapons and one for the grapple and the deaths the game names none
// for.
const WeaponSet& rereleaseWeapons();

// A localised print as the demo carries it.
struct LocalisedPrint {
  static constexpr int kMaxArguments = 8;
  std::uint8_t flags = 0;  // the print level, and flags above it
  std::string_view base;   // a key ("$g_...") or a format with {} places
  std::array<std::string_view, kMaxArguments> arguments{};
  int argumentCount = 0;
};

// What a localised print says: the text a player would read, and for a death who died by
// whose hand with which weapon of rereleaseWeapons().
struct LocalisedText {
  std::string text;
  bool death = false;  // victim and killer are slots in use; killer == victim for a self-kill
  int victim = kNoSlot;
  int killer = kNoSlot;
  int weapon = 0;  // 0 for a self-kill
};

// Puts `print` into words: a death key in the original game's wording ("Bob was railed by
// Alice"), any other key followed by its arguments, a format with its arguments in place.
// Names are those of `players` as they are now.
LocalisedText localise(const LocalisedPrint& print, const PlayerTable& players);

}  // namespace obitrak
