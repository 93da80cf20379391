#pragma once

#include <array>
#include <cstdint>

namespace obitrak::ui {

// A colour as the program keeps it: 0x00BBGGRR, red in the lowest byte.
constexpr std::uint32_t colourRef(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return std::uint32_t{red} | (std::uint32_t{green} << 8) | (std::uint32_t{blue} << 16);
}

inline constexpr std::uint32_t kBlack = colourRef(0, 0, 0);
inline constexpr std::uint32_t kWhite = colourRef(255, 255, 255);
inline constexpr std::uint32_t kDarkGreen = colourRef(0, 128, 0);

// The colours written into entries 1..14 of the player colour table on every activation of
// the main window. Team numbers colour the frag grid's names, places the time graph's curves.
inline constexpr std::array<std::uint32_t, 14> kPlayerColourValues{{
    colourRef(255, 0, 0),      // red
    colourRef(0, 128, 0),      // green
    colourRef(0, 0, 255),      // blue
    colourRef(255, 255, 0),    // yellow
    colourRef(0, 255, 255),    // aqua
    colourRef(128, 0, 128),    // purple
    colourRef(128, 0, 0),      // maroon
    colourRef(128, 128, 0),    // olive
    colourRef(0, 128, 128),    // teal
    colourRef(0, 0, 0),        // black
    colourRef(255, 0, 255),    // fuchsia
    colourRef(0, 0, 128),      // navy
    colourRef(255, 255, 255),  // white
    colourRef(0, 255, 0),      // lime
}};

// Twenty colours, entries 1..20. Entries 15..20 are never written and stay black.
class PlayerColourTable {
 public:
  static constexpr int kEntries = 20;

  // Writes entries 1..14.
  void fill();
  // Entry 1..20; black outside that range.
  std::uint32_t operator[](int entry) const;

 private:
  std::array<std::uint32_t, kEntries + 1> m_entries{};
};

// The table entry that colours the name of a player of team `team` in the frag grid, or 0
// when the name stays in the default black (no team). Teams beyond the table's 20 entries
// cycle through the written entries 1..14, so that every team keeps a visible colour.
int teamColourEntry(int team);

}  // namespace obitrak::ui
