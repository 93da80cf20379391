#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scan/DemoTables.h"

namespace obitrak {

// One name of the game's scoreboard beside what Obitrak counted for it.
struct ScoreboardPlayer {
  std::string name;
  std::int64_t score = 0;         // the entries of this name summed
  std::int64_t countedFrags = 0;  // free-for-all, all weapons, every slot of this name
  std::int64_t bonus = 0;         // points the mod's messages gave this name beyond frags
  // The frags counted with teams of identical skins: killing a teammate costs a frag, as
  // team games' scoreboards count it.
  std::int64_t countedTeamFrags = 0;
};

// The game's scoreboard against the counted frags.
struct ScoreboardComparison {
  std::vector<ScoreboardPlayer> players;  // in the order the names first appear on the board
  int differing = 0;                      // names whose score is not their counted frags and bonus
  int differingAsTeams = 0;               // the same with the frags counted with teams
  // Some name counted fewer frags (and bonus) than its score, and the teams of identical
  // skins do not explain it.
  bool countedLower = false;
  bool bonuses = false;  // some name has a bonus
  bool agrees() const { return differing == 0; }
  bool agreesAsTeams() const { return differingAsTeams == 0; }
};

// Said once where a name counted fewer frags than the scoreboard gives it: the likely
// cause is death messages that no phrase matched.
inline constexpr std::string_view kNoticeScoreboardDiffers =
    "Counted frags differ from the scoreboard: see the log's uncounted deaths";

// Compares the demo's scoreboard with the frags counted from its death messages. Bots and
// reconnecting players share a name over several client numbers, and the analysis counts
// by name, so the entries of one name are summed before they are compared. The counted
// frags are those of the free-for-all rules whatever the last tally was; the points that the
// mod's own messages gave (tables.scoreBonus) are added to them. Without a scoreboard the
// comparison is empty and agrees. A team game's board counts a teammate's killing against
// the killer: the comparison also says whether the board agrees with the frags counted with
// teams of identical skins.
ScoreboardComparison CompareScoreboard(const DemoTables& tables);

// "agrees", "agrees with teams of identical skins", "1 player differs" or "N players differ".
std::string scoreboardVerdict(const ScoreboardComparison& comparison);

// One line a name: "name: score", followed by " (counted N)", or " (counted N + B bonus)",
// where the counted frags and bonus differ.
std::vector<std::string> scoreboardLines(const ScoreboardComparison& comparison);

}  // namespace obitrak
