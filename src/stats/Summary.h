#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "scan/Weapons.h"
#include "stats/Aliases.h"
#include "stats/DemoResult.h"
#include "stats/FileTime.h"
#include "stats/Glicko2.h"
#include "stats/Results.h"

namespace obitrak {

// One person over many demos (a name of his own, or the names an aliases file gives him,
// under the name it shows): the sums of what his per-demo reports show.
struct PlayerTotals {
  std::string name;
  int demos = 0;  // demos in which the name held a slot
  std::int64_t frags = 0;
  std::int64_t kills = 0;
  std::int64_t deaths = 0;
  std::int64_t selfKills = 0;
  std::vector<std::int64_t> weaponKills;  // by column of the summary's weapons (Summary::weapons)
  std::array<std::int64_t, kHitLocations + 1> hitLocationKills{};  // by HitLocation 1..4
  std::vector<std::string> aliases;  // the other names he played under, in byte order
  // Games won, lost and drawn: a result counts once for every opponent it sets him against.
  std::int64_t wins = 0;
  std::int64_t losses = 0;
  std::int64_t draws = 0;
  std::optional<Rating> rating;            // as of the last day; none without a result
  std::vector<RatingPoint> ratingHistory;  // after each day he had a result (days: utcDay)
  std::string nemesis;                     // who killed him most; empty when nobody did
  std::string favouriteVictim;             // whom he killed most; empty when nobody
};

// Two people who met, by their places in Summary::players: `first` is the better placed.
// (Places, not names: a season holds hundreds of thousands of pairs.)
struct HeadToHead {
  std::size_t first = 0;
  std::size_t second = 0;
  std::int64_t firstWins = 0;
  std::int64_t secondWins = 0;
  std::int64_t draws = 0;
  std::int64_t firstKills = 0;  // kills of `second` by `first`
  std::int64_t secondKills = 0;
};

// Names that may be one person, never merged without the user's word: names one client
// slot passed through in a demo (renames), or names equal but for case, the game's coloured
// characters or a bracketed clan tag.
enum class SuggestionReason { Rename, Case, Colour, ClanTag };
struct AliasSuggestion {
  std::vector<std::string> names;  // the people's shown names
  SuggestionReason reason = SuggestionReason::Rename;
  int demos = 0;  // renames: the demos in which they were met
};

// How often one person killed another over all the demos, by their places in
// Summary::players.
struct KillsBetween {
  std::size_t killer = 0;
  std::size_t victim = 0;
  std::int64_t kills = 0;
};

// One demo as the summary lists it.
struct SummaryDemo {
  std::string path;
  FileTime modified;
  std::string mapName;
  std::string levelMessage;
  std::int32_t duration = 0;
  std::string pack;  // the pack that counted the demo; empty for the built-in phrases only
  struct Ranked {
    std::string name;
    std::int32_t frags = 0;
    std::int32_t kills = 0;
    std::int32_t deaths = 0;
  };
  std::vector<Ranked> ranked;  // place order of the mode
  // The person of each ranked name, in the same order; empty when each name is a person
  // of its own (no aliases).
  std::vector<std::string> people;
  DemoOutcome result;
  // The player in first place, when anyone is ranked.
  const Ranked* winner() const { return ranked.empty() ? nullptr : &ranked.front(); }
  // The person of ranked name `i`.
  const std::string& personAt(std::size_t i) const {
    return i < people.size() ? people[i] : ranked[i].name;
  }
};

// The totals of every player over a set of demos.
struct Summary {
  bool teamPlay = false;
  int unreadable = 0;                  // demos named but left out because they failed
  std::vector<PlayerTotals> players;   // most frags first, then most kills, then by name
  std::vector<KillsBetween> kills;     // by killer as the players are ordered, most first
  std::vector<SummaryDemo> demos;      // in the order given
  std::vector<HeadToHead> headToHead;  // by first, then second, as the players are ordered
  std::vector<AliasSuggestion> aliasSuggestions;
  std::int64_t lastDay = 0;  // the latest day of a demo, up to which ratings stand
  // The weapon columns: the demos' weapons, one column per label. The original twelve's
  // labels come first in their order, then the others in the order the demos (as given)
  // and their weapon sets name them. Without demos, the original twelve.
  std::vector<Weapon> weapons;
  bool hitLocations = false;  // whether a pack of some demo tells where shots hit
  bool packs = false;         // whether a pack counted some demo
};

// Totals demos one at a time, in any order, so that a caller need not hold them all: the
// demo rows follow `position`, and everything else comes out the same whatever the order.
class SummaryBuilder {
 public:
  // Names are matched to people through `aliases` when given, which must outlive the
  // builder; without, each name is a person.
  explicit SummaryBuilder(bool teamPlay, const Aliases* aliases = nullptr)
      : m_teamPlay(teamPlay), m_aliases(aliases) {}
  // Room for this many demos, when the caller knows how many will come.
  void reserve(std::size_t demos);
  void add(const DemoResult& demo, std::size_t position);
  Summary finish();

 private:
  // A weapon column as the demos name it, and where it first appeared.
  struct Column {
    Weapon weapon;
    std::size_t position = 0;  // of the first demo that names it
    int index = 0;             // its WeaponIndex in that demo's set
  };

  // The index in m_players of the person shown as `name`, who is added when new.
  std::size_t indexOf(const std::string& name);
  void columnsOf(const DemoResult& demo, std::size_t position);  // into m_columnOf
  std::vector<std::size_t> columnOrder() const;
  void addKill(const DemoKillCount& k, const std::vector<std::size_t>& bySlot,
               const std::vector<std::size_t>& columns);
  SummaryDemo rowOf(const DemoResult& demo) const;
  const std::string& personOf(const std::string& name) const;
  void noteNames(const DemoResult& demo, const std::vector<std::size_t>& bySlot);
  void addResult(const SummaryDemo& row, std::int64_t day, std::size_t position);
  void numberByPlace(const std::vector<std::size_t>& placeOf);
  void finishPeople(Summary& s) const;
  void addHeadToHead(Summary& s) const;
  void addKillsBetween(Summary& s) const;
  void addUpKillCounters();
  void rate(Summary& s) const;
  std::vector<AliasSuggestion> suggestions(const Summary& s) const;

  bool m_teamPlay;
  const Aliases* m_aliases;
  std::deque<PlayerTotals> m_players;  // grows without moving what add() points at
  std::unordered_map<std::string, std::size_t> m_index;
  std::vector<SummaryDemo> m_demos;
  std::vector<std::size_t> m_positions;  // of each of m_demos
  // The demo being added: the column of each WeaponIndex, the person of each slot, and its
  // people, each once.
  std::vector<std::size_t> m_columnOf;
  std::vector<std::size_t> m_bySlot;
  std::vector<std::size_t> m_present;
  std::vector<std::pair<int, const std::string*>> m_slots;  // client slot, name
  // For the results, records and suggestions.
  struct Game {
    std::int64_t day;
    std::size_t position;
    std::size_t first;  // indices into m_players
    std::size_t second;
    double score;
  };
  std::vector<Game> m_games;
  static constexpr std::size_t kNobody = SIZE_MAX;
  // Kills between people by killer and victim (indices into m_players, killer above), one
  // entry per kill counter, added up at the end (addUpKillCounters) and then given to the
  // players' maps: a string map per kill counter would cost many times more.
  std::vector<std::pair<std::uint64_t, std::int64_t>> m_killCounters;
  std::unordered_map<std::string, std::size_t> m_names;          // every name met -> its person
  std::map<std::pair<std::string, std::string>, int> m_renames;  // name pair -> demos
  std::optional<std::int64_t> m_lastDay;
  std::vector<Column> m_columns;  // in the order first met, which depends on the order added
  bool m_hitLocations = false;
  bool m_packs = false;
};

// Totals the demos in the given mode. Players are matched by exact name, or to people by
// `aliases`; every number is the sum of the same number in the per-demo reports of that mode.
Summary Summarize(const std::vector<DemoResult>& demos, bool teamPlay,
                  const Aliases* aliases = nullptr);

// The date of a modification time as "YYYY-MM-DD HH:MM" in UTC.
std::string summaryDate(const FileTime& modified);

// A duration in seconds as "M:SS".
std::string summaryDuration(std::int32_t seconds);

}  // namespace obitrak
