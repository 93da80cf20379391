#pragma once

#include <array>
#include <string_view>

namespace obitrak {

// WeaponIndex: 0 all weapons, 1..12 the weapon categories, 13..15 never counted. The item
// index of the weapon filter is the WeaponIndex.
inline constexpr int kWeaponAll = 0;
inline constexpr int kWeaponCategories = 12;

struct WeaponCategory {
  int index;
  std::string_view filterItem;   // weapon filter item and weapons window row label
  std::string_view columnLabel;  // short label of the exports' weapon tables
};

inline constexpr std::array<WeaponCategory, kWeaponCategories + 1> kWeaponCategoryTable{{
    {0, "All weapons", ""},
    {1, "1 - Blaster", "BL"},
    {2, "2 - Shotgun", "SG"},
    {3, "3 - Super Shotgun", "SSG"},
    {4, "4 - Machinegun", "MG"},
    {5, "5 - Chaingun", "CG"},
    {6, "6 - Grenade Launcher", "GL"},
    {7, "7 - Rocket Launcher", "RL"},
    {8, "8 - Hyperblaster", "HBL"},
    {9, "9 - Railgun", "RG"},
    {10, "0 - BFG", "BFG"},
    {11, "G - Hand Grenades", "HG"},
    {12, "TeleFrags", "TFG"},
}};

// Phrases that name the weapon of a kill, tested in this order; the first that occurs
// anywhere in the text decides. " grenade" keeps its blank so that it does not match
// inside "handgrenade".
struct WeaponPhrase {
  std::string_view phrase;
  int weapon;
};

inline constexpr std::array<WeaponPhrase, 14> kWeaponPhrases{{
    {"was blasted", 1},
    {" gunned down", 2},
    {"super shotgun", 3},
    {"machinegunned", 4},
    {"chaingun", 5},
    {" grenade", 6},
    {" shrapnel", 6},
    {"rocket", 7},
    {"hyperblaster", 8},
    {"railed", 9},
    {"BFG", 10},
    {"handgrenade", 11},
    {"pain", 11},
    {"invade", 12},
}};

// Conditions that make an obituary without a killer a self-kill of its victim: the text
// contains `phrase`, and also `alsoContains` when given, and not `mustNotContain` when
// given.
struct SelfKillPhrase {
  std::string_view phrase;
  std::string_view alsoContains;
  std::string_view mustNotContain;
};

inline constexpr std::array<SelfKillPhrase, 17> kSelfKillPhrases{{
    {"into the lava", "", ""},
    {"blew", "up", ""},
    {"should have used a smaller gun", "", ""},
    {"cratered", "", ""},
    {"died", "", ""},
    {"killed", "self", ""},
    {"was squished", "", ""},
    {"melted", "", "hyperblaster"},
    {"pain feels", "", ""},
    {"put the pin", "", ""},
    {"wrong place", "", ""},
    {"got blasted", "", ""},
    {"saw the light", "", ""},
    {"way out", "", ""},
    {"like a rock", "", ""},
    {"suicides", "", ""},
    {"own grenade", "", ""},
}};

// Join and leave notices, never counted.
inline constexpr std::array<std::string_view, 2> kJoinLeavePhrases{{
    "entered the game",
    "left the game",
}};

}  // namespace obitrak
