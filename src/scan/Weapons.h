#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace obitrak {

// The most weapons a demo's kills are counted under: WeaponIndex 1..15, what the kill
// counters hold beside index 0 (all weapons together).
inline constexpr int kMaxWeapons = 15;

struct Weapon {
  std::string label;  // short label of the reports' weapon tables: "RG", "MK23"
  std::string name;   // the weapon filter's item and the weapons window's row: "9 - Railgun"
  bool operator==(const Weapon&) const = default;
};

// The weapons of one demo, by WeaponIndex 1..count(): the original game's twelve, or those
// of a death-message pack or a recording format that names its own.
class WeaponSet {
 public:
  // The original game's twelve.
  WeaponSet();
  // 1..kMaxWeapons weapons; any other number throws std::invalid_argument.
  explicit WeaponSet(std::vector<Weapon> weapons);

  int count() const { return static_cast<int>(m_weapons.size()); }
  // Weapon `index` 1..count(); any other throws std::out_of_range.
  const Weapon& operator[](int index) const;
  // Whether these are the original twelve, with their labels and names.
  bool isOriginal() const;
  const std::vector<Weapon>& weapons() const { return m_weapons; }

  bool operator==(const WeaponSet&) const = default;

 private:
  std::vector<Weapon> m_weapons;
};

// Where a kill's shot hit, when the death message says so (as Action Quake 2's do).
enum class HitLocation : std::uint8_t { None = 0, Head, Chest, Stomach, Legs };
inline constexpr int kHitLocations = 4;  // Head..Legs

// The words reports and packs use for the locations, by HitLocation 1..4.
inline constexpr std::array<std::string_view, kHitLocations + 1> kHitLocationNames{{
    "",
    "head",
    "chest",
    "stomach",
    "legs",
}};

// The location a word of kHitLocationNames names, or None.
HitLocation hitLocationNamed(std::string_view word);

}  // namespace obitrak
