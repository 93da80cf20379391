#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace obitrak {

// One player's entry of a scoreboard layout, before it is named.
struct LayoutEntry {
  int clientNumber = 0;
  std::int32_t score = 0;
  std::int32_t ping = 0;
  std::optional<std::int32_t> minutes;
};

// The layout keywords of a scoreboard entry and how many numbers follow each:
// `client X Y CLIENTNUM SCORE PING TIME` (deathmatch), `ctf X Y CLIENTNUM SCORE PING` (CTF).
inline constexpr std::string_view kDeathmatchEntryKeyword = "client";
inline constexpr std::string_view kCtfEntryKeyword = "ctf";
// Client numbers a server can give.
inline constexpr int kMaxClientNumber = 255;

// The entries of the scoreboard that `layout` draws, in layout order. Tokens are separated
// by white space, and a quoted text is one token, as the game reads them. The answer is
// empty when the layout has no entry or when any entry is malformed (a number missing, not
// a whole decimal number, outside 32 bits, or a client number outside 0..255): such a
// layout is not a scoreboard that can be trusted. The work is one pass over the layout.
std::vector<LayoutEntry> scoreboardEntries(std::string_view layout);

}  // namespace obitrak
