#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scan/DemoTables.h"

namespace obitrak {

// What the team scores window lists: one line per team, the lines of its members beneath.
struct TeamLine {
  std::string text;                  // "Team 1 - 25 frags (male/grunt)"
  std::vector<std::string> members;  // in place order
};

// A team's members show their name padded with spaces to this width, so that the " - " of
// every member lines up in a fixed-pitch font.
inline constexpr std::size_t kTeamMemberNameWidth = 20;

// "Ann                  - 12 frags": the name padded on the right to 20 characters.
std::string teamMemberLine(std::string_view name, std::int64_t frags);

// The teams 1..T of the ranked players as the last tally numbered them, in team order, each
// with its frag sum and the skin of its last member in place order. Empty when no ranked
// player has a team (the last tally was not a team-play one).
std::vector<TeamLine> teamTree(const DemoTables& tables);

}  // namespace obitrak
