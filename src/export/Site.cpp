#include "export/Site.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <thread>

#include "export/SummaryExport.h"

namespace obitrak {

namespace {

constexpr std::size_t kRecentMatches = 25;
constexpr std::size_t kShownSides = 4;
// Matches read ahead of the pages made: enough to keep the page thread busy, few enough
// that their results take little memory.
constexpr std::size_t kPagesAhead = 64;

// Where an entrant of a match is listed: by person, ranked ones first.
SiteMatch::Player& entrant(SiteMatch& m, const std::string& person, int place) {
  auto found = std::find_if(m.players.begin(), m.players.end(),
                            [&](const SiteMatch::Player& p) { return p.person == person; });
  if (found != m.players.end()) return *found;
  return m.players.emplace_back(SiteMatch::Player{person, 0, place});
}

}  // namespace

SiteWriter::SiteWriter(SiteFolder& folder, SiteSettings settings)
    : m_folder(folder),
      m_settings(settings),
      m_builder(settings.teamPlay, settings.aliases),
      m_siteDir(std::filesystem::absolute(folder.path()).lexically_normal().string()),
      m_pages(
          [this](MatchPages& m) {
            writeMatchPage(m);
            writeMatchJson(m);
          },
          kPagesAhead) {}

void SiteWriter::addMatch(DemoResult demo, const std::string& key, std::size_t position) {
  m_builder.add(demo, position);
  const bool teamPlay = m_settings.teamPlay;
  SiteMatch m;
  m.position = position;
  m.page = m_names.nameOf("match", key, std::filesystem::path(key).stem().string());
  m.modified = demo.modified;
  m.mapName = demo.mapName;
  m.mapKey = demo.bspName.empty() ? demo.mapName : demo.bspName;
  m.duration = demo.duration;
  m.result = outcomeOf(demo, teamPlay,
                       [this](const std::string& n) -> const std::string& { return personOf(n); });
  for (const DemoPlayerResult* p : demo.ranked(teamPlay)) {
    entrant(m, personOf(p->name), teamPlay ? p->teamPlace : p->place).frags +=
        teamPlay ? p->teamFrags : p->frags;
  }
  for (const DemoPlayerResult& p : demo.players) entrant(m, personOf(p.name), 0);
  // The page names the match's page links to, asked for in the order the page shows them.
  MatchPages pages{std::move(demo), key, m, mapPage(m.mapKey), {}};
  auto named = [&](const std::string& person) {
    for (const auto& [known, page] : pages.personPages) {
      if (known == person) return;
    }
    pages.personPages.emplace_back(person, m_names.nameOf("player", person));
  };
  for (const ResultSide& side : m.result.sides) {
    for (const std::string& p : side.people) named(p);
  }
  for (const DemoPlayerResult* p : pages.demo.ranked(teamPlay)) named(personOf(p->name));
  m_matches.push_back(std::move(m));
  m_pages.push(std::move(pages), 1);
}

Summary SiteWriter::finish(int unreadable, const std::string& inputs) {
  Summary s = m_builder.finish();
  m_pages.drain();
  s.unreadable = unreadable;
  std::sort(m_matches.begin(), m_matches.end(),
            [](const SiteMatch& a, const SiteMatch& b) { return a.position < b.position; });
  // The summary JSON, the largest file, is made beside the pages.
  std::exception_ptr jsonFailure;
  {
    const std::jthread json([&] {
      try {
        StringSink out;
        WriteJsonSummary(s, m_settings.pack, out);
        m_folder.write(std::string(kSiteSummary), out.take());
      } catch (...) {
        jsonFailure = std::current_exception();
      }
    });
    m_folder.write(std::string(kSiteStyleSheet), siteStyleSheetText());
    m_folder.write(std::string(kSiteScript), siteScriptText());
    writeIndex(s);
    writePeople(s);
    writeMaps(s);
  }
  if (jsonFailure) std::rethrow_exception(jsonFailure);
  m_folder.finish(inputs);
  return s;
}

std::string SiteWriter::personLink(const std::string& person) {
  return siteLink(m_names.nameOf("player", person) + ".html", siteText(person));
}

std::string SiteWriter::mapPage(const std::string& mapKey) {
  return m_names.nameOf("map", mapKey, std::filesystem::path(mapKey).stem().string());
}

std::string SiteWriter::matchTitle(const SiteMatch& m) const {
  return siteText(m.mapName) + ", " + summaryDate(m.modified);
}

std::string siteResultText(const DemoOutcome& result) {
  std::string text;
  for (std::size_t i = 0; i < result.sides.size() && i < kShownSides; ++i) {
    const ResultSide& side = result.sides[i];
    std::string people;
    for (const std::string& p : side.people) people += (people.empty() ? "" : " + ") + p;
    text += (i > 0 ? ", " : "") + siteText(people) + " " + std::to_string(side.frags);
  }
  if (result.sides.size() > kShownSides) text += ", ...";
  return text;
}

void SiteWriter::writeIndex(const Summary& s) {
  std::map<std::string, std::pair<std::size_t, const SiteMatch*>> maps;  // key -> count, last
  for (const SiteMatch& m : m_matches) {
    auto& [count, last] = maps[m.mapKey];
    ++count;
    if (last == nullptr || m.modified > last->modified) last = &m;
  }
  StringSink out;
  sitePageStart(out, "Ladder and matches");
  out.line("<p>" + std::to_string(m_matches.size()) + " matches, " +
           std::to_string(s.players.size()) + " people, " + std::to_string(maps.size()) +
           " maps. Frags: " + (s.teamPlay ? "team play" : "free-for-all") +
           ". Ratings (Glicko-2, a period a day) as of " + dayText(s.lastDay) + ".</p>");

  out.line("<h2>Ladder</h2>");
  std::vector<const PlayerTotals*> ladder;
  for (const PlayerTotals& p : s.players) ladder.push_back(&p);
  std::stable_sort(ladder.begin(), ladder.end(), [](const auto* a, const auto* b) {
    if (a->rating.has_value() != b->rating.has_value()) return a->rating.has_value();
    return a->rating && a->rating->value > b->rating->value;
  });
  siteTableStart(out, {{"#", true},
                       {"Player", false},
                       {"Rating", true},
                       {"Deviation", true},
                       {"Wins", true},
                       {"Losses", true},
                       {"Draws", true},
                       {"Matches", true},
                       {"Frags", true}});
  for (std::size_t i = 0; i < ladder.size(); ++i) {
    const PlayerTotals& p = *ladder[i];
    const double value = p.rating ? p.rating->value : 0;
    const double deviation = p.rating ? p.rating->deviation : 0;
    out.line("<tr>" + (p.rating ? siteNumberCell(static_cast<std::int64_t>(i) + 1) : siteCell("")) +
             siteCell(personLink(p.name)) + siteNumberCell(value, ratingText(p.rating)) +
             siteNumberCell(deviation, deviationText(p.rating)) + siteNumberCell(p.wins) +
             siteNumberCell(p.losses) + siteNumberCell(p.draws) + siteNumberCell(p.demos) +
             siteNumberCell(p.frags) + "</tr>");
  }
  siteTableEnd(out);

  out.line("<h2>Recent matches</h2>");
  std::vector<const SiteMatch*> recent;
  for (const SiteMatch& m : m_matches) recent.push_back(&m);
  std::stable_sort(recent.begin(), recent.end(),
                   [](const auto* a, const auto* b) { return a->modified > b->modified; });
  recent.resize(std::min(recent.size(), kRecentMatches));
  siteTableStart(out, {{"Date (UTC)", false}, {"Map", false}, {"Result", false}});
  for (const SiteMatch* m : recent) {
    out.line("<tr>" + siteCell(siteLink(m->page + ".html", summaryDate(m->modified))) +
             siteCell(siteText(m->mapName)) + siteCell(siteResultText(m->result)) + "</tr>");
  }
  siteTableEnd(out);

  out.line("<h2>Maps</h2>");
  siteTableStart(out,
                 {{"Map", false}, {"Model", false}, {"Matches", true}, {"Last played", false}});
  for (const auto& [key, entry] : maps) {
    out.line("<tr>" + siteCell(siteLink(mapPage(key) + ".html", siteText(entry.second->mapName))) +
             siteCell(siteText(key)) + siteNumberCell(static_cast<std::int64_t>(entry.first)) +
             siteCell(summaryDate(entry.second->modified)) + "</tr>");
  }
  siteTableEnd(out);
  sitePageEnd(out);
  m_folder.write(std::string(kSiteIndex), out.take());
}

void SiteWriter::writeMaps(const Summary&) {
  std::map<std::string, std::vector<const SiteMatch*>> byMap;
  for (const SiteMatch& m : m_matches) byMap[m.mapKey].push_back(&m);
  for (const auto& [key, matches] : byMap) {
    struct Best {
      std::int64_t matches = 0;
      std::int64_t firsts = 0;
      std::int64_t frags = 0;
    };
    std::map<std::string, Best> best;
    for (const SiteMatch* m : matches) {
      for (const SiteMatch::Player& p : m->players) {
        Best& b = best[p.person];
        ++b.matches;
        b.frags += p.frags;
      }
      if (!m->result.sides.empty()) {
        for (const std::string& p : m->result.sides.front().people) ++best[p].firsts;
      }
    }
    std::vector<std::pair<std::string, Best>> ranked(best.begin(), best.end());
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.second.frags > b.second.frags; });
    StringSink out;
    sitePageStart(out, siteText(matches.front()->mapName) + " (" + siteText(key) + ")");
    out.line("<h2>Best players</h2>");
    siteTableStart(out, {{"Player", false}, {"Matches", true}, {"Won", true}, {"Frags", true}});
    for (const auto& [person, b] : ranked) {
      out.line("<tr>" + siteCell(personLink(person)) + siteNumberCell(b.matches) +
               siteNumberCell(b.firsts) + siteNumberCell(b.frags) + "</tr>");
    }
    siteTableEnd(out);
    out.line("<h2>Matches</h2>");
    siteTableStart(out, {{"Date (UTC)", false}, {"Length", true}, {"Result", false}});
    for (const SiteMatch* m : matches) {
      out.line("<tr>" + siteCell(siteLink(m->page + ".html", summaryDate(m->modified))) +
               siteNumberCell(m->duration, summaryDuration(m->duration)) +
               siteCell(siteResultText(m->result)) + "</tr>");
    }
    siteTableEnd(out);
    sitePageEnd(out);
    m_folder.write(mapPage(key) + ".html", out.take());
  }
}

}  // namespace obitrak
