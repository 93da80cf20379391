#include "ui/PlayerColours.h"

#include <cstddef>

namespace obitrak::ui {

void PlayerColourTable::fill() {
  for (std::size_t i = 0; i < kPlayerColourValues.size(); ++i) {
    m_entries[i + 1] = kPlayerColourValues[i];
  }
}

std::uint32_t PlayerColourTable::operator[](int entry) const {
  if (entry < 1 || entry > kEntries) return kBlack;
  return m_entries[static_cast<std::size_t>(entry)];
}

int teamColourEntry(int team) {
  if (team <= 0) return 0;
  if (team <= PlayerColourTable::kEntries) return team;
  constexpr int kWritten = static_cast<int>(kPlayerColourValues.size());
  return (team - PlayerColourTable::kEntries - 1) % kWritten + 1;
}

}  // namespace obitrak::ui
