// A page per person: names, rating and its history, record, totals and weapons, nemesis
// and favourite victim, head-to-head and every match.

#include <unordered_map>

#include "export/Site.h"
#include "export/SummaryExport.h"

namespace obitrak {

namespace {

std::string fact(std::string_view term, const std::string& html) {
  return "<dt>" + std::string(term) + "</dt><dd>" + html + "</dd>";
}

std::string ordinalPlace(int place, std::size_t of) {
  return place > 0 ? std::to_string(place) + " of " + std::to_string(of) : std::string("-");
}

}  // namespace

void SiteWriter::writePeople(const Summary& s) {
  // Each person's head-to-head rows and matches, looked up once.
  std::vector<std::vector<const HeadToHead*>> met(s.players.size());
  for (const HeadToHead& h : s.headToHead) {
    met[h.first].push_back(&h);
    met[h.second].push_back(&h);
  }
  std::unordered_map<std::string, std::vector<const SiteMatch*>> played;
  for (const SiteMatch& m : m_matches) {
    for (const SiteMatch::Player& p : m.players) played[p.person].push_back(&m);
  }
  std::unordered_map<std::string, std::size_t> ladderPlace;
  {
    std::vector<const PlayerTotals*> rated;
    for (const PlayerTotals& p : s.players) {
      if (p.rating) rated.push_back(&p);
    }
    std::stable_sort(rated.begin(), rated.end(), [](const auto* a, const auto* b) {
      return a->rating->value > b->rating->value;
    });
    for (std::size_t i = 0; i < rated.size(); ++i) ladderPlace[rated[i]->name] = i + 1;
  }

  for (std::size_t place = 0; place < s.players.size(); ++place) {
    const PlayerTotals& p = s.players[place];
    StringSink out;
    sitePageStart(out, siteText(p.name));
    if (!p.aliases.empty()) {
      std::string names;
      for (const std::string& a : p.aliases) names += (names.empty() ? "" : ", ") + siteText(a);
      out.line("<p>Also played as " + names + ".</p>");
    }
    out.line("<dl class=\"facts\">");
    if (p.rating) {
      out.line(fact("Rating", ratingText(p.rating) + " &plusmn; " + deviationText(p.rating) +
                                  " (volatility " + jsonNumber(p.rating->volatility, 4) + ")"));
      out.line(fact("Ladder", std::to_string(ladderPlace[p.name]) + " of " +
                                  std::to_string(ladderPlace.size())));
    } else {
      out.line(fact("Rating", "none yet: no result against anyone"));
    }
    out.line(fact("Record", std::to_string(p.wins) + " won, " + std::to_string(p.losses) +
                                " lost, " + std::to_string(p.draws) + " drawn"));
    out.line(fact("Matches", std::to_string(p.demos)));
    out.line(fact("Frags", std::to_string(p.frags) + " (" + std::to_string(p.kills) + " kills, " +
                               std::to_string(p.deaths) + " deaths, " +
                               std::to_string(p.selfKills) + " self-kills)"));
    out.line(fact("Nemesis", p.nemesis.empty() ? "-" : personLink(p.nemesis)));
    out.line(
        fact("Favourite victim", p.favouriteVictim.empty() ? "-" : personLink(p.favouriteVictim)));
    out.line("</dl>");
    if (!p.ratingHistory.empty()) {
      out.line("<h2>Rating over time</h2>");
      out.line(siteRatingChart(p.ratingHistory));
    }

    out.line("<h2>Weapons</h2>");
    siteTableStart(out, {{"Weapon", false}, {"Kills", true}});
    for (std::size_t w = 0; w < s.weapons.size(); ++w) {
      const std::int64_t kills = w < p.weaponKills.size() ? p.weaponKills[w] : 0;
      out.line("<tr>" + siteCell(siteText(s.weapons[w].name)) + siteNumberCell(kills) + "</tr>");
    }
    siteTableEnd(out);

    out.line("<h2>Head-to-head</h2>");
    siteTableStart(out, {{"Opponent", false},
                         {"Wins", true},
                         {"Losses", true},
                         {"Draws", true},
                         {"Kills", true},
                         {"Deaths", true}});
    for (const HeadToHead* h : met[place]) {
      const bool first = h->first == place;
      out.line("<tr>" + siteCell(personLink(s.players[first ? h->second : h->first].name)) +
               siteNumberCell(first ? h->firstWins : h->secondWins) +
               siteNumberCell(first ? h->secondWins : h->firstWins) + siteNumberCell(h->draws) +
               siteNumberCell(first ? h->firstKills : h->secondKills) +
               siteNumberCell(first ? h->secondKills : h->firstKills) + "</tr>");
    }
    siteTableEnd(out);

    out.line("<h2>Matches</h2>");
    siteTableStart(out, {{"Date (UTC)", false},
                         {"Map", false},
                         {"Place", false},
                         {"Frags", true},
                         {"Result", false}});
    for (const SiteMatch* m : played[p.name]) {
      const SiteMatch::Player* me = nullptr;
      std::size_t ranked = 0;
      for (const SiteMatch::Player& e : m->players) {
        if (e.place > 0) ++ranked;
        if (e.person == p.name) me = &e;
      }
      out.line("<tr>" + siteCell(siteLink(m->page + ".html", summaryDate(m->modified))) +
               siteCell(siteText(m->mapName)) + siteCell(ordinalPlace(me->place, ranked)) +
               siteNumberCell(me->frags) + siteCell(siteResultText(m->result)) + "</tr>");
    }
    siteTableEnd(out);
    sitePageEnd(out);
    m_folder.write(m_names.nameOf("player", p.name) + ".html", out.take());
  }
}

}  // namespace obitrak
