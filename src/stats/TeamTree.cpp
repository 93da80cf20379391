#include "stats/TeamTree.h"

#include "stats/RankedPlayers.h"

namespace obitrak {

std::string teamMemberLine(std::string_view name, std::int64_t frags) {
  std::string line(name);
  if (line.size() < kTeamMemberNameWidth) line.resize(kTeamMemberNameWidth, ' ');
  return line + " - " + std::to_string(frags) + " frags";
}

// Each team walks all places: at most 64 players, so T x N stays tiny.
std::vector<TeamLine> teamTree(const DemoTables& tables) {
  const RankedPlayers ranked(tables);
  std::vector<TeamLine> teams;
  const int highest = ranked.highestTeam();
  teams.reserve(static_cast<std::size_t>(highest));
  for (int team = 1; team <= highest; ++team) {
    TeamLine line;
    std::int64_t sum = 0;
    std::string_view skin;
    for (int place = 1; place <= ranked.count(); ++place) {
      const PlayerRecord& player = ranked.at(place);
      if (player.team != team) continue;
      line.members.push_back(teamMemberLine(player.name.view(), player.frags));
      sum += player.frags;
      skin = player.skin.view();
    }
    line.text = "Team " + std::to_string(team) + " - " + std::to_string(sum) + " frags (" +
                std::string(skin) + ")";
    teams.push_back(std::move(line));
  }
  return teams;
}

}  // namespace obitrak
