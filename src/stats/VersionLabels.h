#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace obitrak {

struct VersionLabel {
  std::int32_t protocol;
  std::string_view label;
};

// Game versions by protocol number; 37 is the format of servers' multi-view recordings,
// 2022 and 2023 the re-release's, 3434 to 3436 those of Q2PRO's extended protocol. 29 and
// every number not listed take the caller's fallback ("Unknown" in the window, "unknown" in
// the exports).
inline constexpr std::array<VersionLabel, 15> kVersionLabels{{
    {25, "3.00"},
    {26, "3.05/3.06"},
    {27, "3.07/3.08"},
    {28, "3.09"},
    {30, "3.10"},
    {31, "3.12/3.13/3.14"},
    {32, "3.15"},
    {33, "3.17"},
    {34, "3.18/3.19/3.20"},
    {37, "MVD2"},
    {2022, "Re-release (2022)"},
    {2023, "Re-release (2023)"},
    {3434, "Q2PRO extended (3434)"},
    {3435, "Q2PRO extended (3435)"},
    {3436, "Q2PRO extended (3436)"},
}};

constexpr std::string_view VersionLabels(std::int32_t protocol, std::string_view fallback) {
  for (const VersionLabel& v : kVersionLabels) {
    if (v.protocol == protocol) return v.label;
  }
  return fallback;
}

}  // namespace obitrak
