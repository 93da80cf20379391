#include "scan/Weapons.h"

#include <stdexcept>
#include <utility>

#include "scan/Phrases.h"

namespace obitrak {

namespace {

std::vector<Weapon> originalWeapons() {
  std::vector<Weapon> weapons;
  for (const WeaponCategory& c : kWeaponCategoryTable) {
    if (c.index != kWeaponAll)
      weapons.push_back({std::string(c.columnLabel), std::string(c.filterItem)});
  }
  return weapons;
}

}  // namespace

WeaponSet::WeaponSet() : m_weapons(originalWeapons()) {}

WeaponSet::WeaponSet(std::vector<Weapon> weapons) : m_weapons(std::move(weapons)) {
  if (m_weapons.empty() || m_weapons.size() > static_cast<std::size_t>(kMaxWeapons))
    throw std::invalid_argument("a weapon set holds 1 to 15 weapons");
}

const Weapon& WeaponSet::operator[](int index) const {
  if (index < 1 || index > count()) throw std::out_of_range("weapon index out of range");
  return m_weapons[static_cast<std::size_t>(index - 1)];
}

HitLocation hitLocationNamed(std::string_view word) {
  for (int l = 1; l <= kHitLocations; ++l) {
    if (word == kHitLocationNames[static_cast<std::size_t>(l)]) return static_cast<HitLocation>(l);
  }
  return HitLocation::None;
}

bool WeaponSet::isOriginal() const {
  static const WeaponSet original;
  return *this == original;
}

}  // namespace obitrak
