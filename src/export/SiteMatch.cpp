// The page and the JSON file of one match.

#include <filesystem>

#include "export/HtmlExport.h"
#include "export/JsonExport.h"
#include "export/Site.h"
#include "export/SummaryExport.h"
#include "scan/GameCharacters.h"
#include "stats/RankedPlayers.h"
#include "stats/VersionLabels.h"

namespace obitrak {

namespace {

// The tables of the demo with names as the pages show them, tallied in the mode shown:
// the HTML report's tables then write plain, readable names.
DemoTables shownTables(const DemoResult& demo, bool teamPlay) {
  DemoTables t = DemoTablesOf(demo);
  for (PlayerRecord& p : t.players.records) {
    std::string plain;
    for (char c : p.name.view()) {
      const char shown = gameCharacter(static_cast<unsigned char>(c));
      plain += shown == '\n' ? ' ' : shown;
    }
    p.name = plain;
  }
  recomputeAllWeapons(t, teamPlay);
  return t;
}

std::string scoreboardText(const std::optional<bool>& agrees) {
  if (!agrees) return "none in the demo";
  return *agrees ? "agrees with the counted frags" : "differs from the counted frags";
}

std::string fact(std::string_view term, const std::string& html) {
  return "<dt>" + std::string(term) + "</dt><dd>" + html + "</dd>";
}

}  // namespace

void SiteWriter::writeMatchPage(const MatchPages& m) const {
  const DemoResult& demo = m.demo;
  const SiteMatch& match = m.match;
  const bool teamPlay = m_settings.teamPlay;
  auto personLink = [&](const std::string& person) {
    for (const auto& [known, page] : m.personPages) {
      if (known == person) return siteLink(page + ".html", siteText(person));
    }
    return siteText(person);  // every person of the page is named beforehand
  };
  StringSink out;
  sitePageStart(out, matchTitle(match));
  const std::string relative =
      std::filesystem::path(m.key).lexically_relative(m_siteDir).generic_string();
  out.line("<dl class=\"facts\">");
  out.line(fact("Date (UTC)", summaryDate(demo.modified)));
  out.line(fact("Map", siteLink(m.mapPage + ".html", siteText(demo.mapName))));
  out.line(fact("Level message", siteText(demo.levelMessage)));
  out.line(fact("Map model", siteText(demo.bspName)));
  out.line(fact("Game dir", siteText(demo.gameDir)));
  out.line(fact("Version", siteText(VersionLabels(demo.protocolVersion, "unknown"))));
  out.line(fact("Recorded by", siteText(demo.viewFrom)));
  out.line(fact("Length", siteText(summaryDuration(demo.duration))));
  out.line(fact("Frags", teamPlay ? "team play" : "free-for-all"));
  out.line(fact("Scoreboard", scoreboardText(demo.scoreboardAgrees)));
  out.line(fact("Demo file", siteLink(urlEncoded(relative), siteText(demo.path))));
  out.line(fact("For scripts", siteLink(match.page + ".json", match.page + ".json")));
  out.line("</dl>");

  out.line("<h2>Result</h2>");
  if (match.result.kind == ResultKind::None) {
    out.line("<p>No result: fewer than two sides fought.</p>");
  } else {
    siteTableStart(out, {{"Place", true}, {"Players", false}, {"Frags", true}});
    for (const ResultSide& side : match.result.sides) {
      std::string people;
      for (const std::string& p : side.people)
        people += (people.empty() ? "" : ", ") + personLink(p);
      out.line("<tr>" + siteNumberCell(side.place) + siteCell(people) + siteNumberCell(side.frags) +
               "</tr>");
    }
    siteTableEnd(out);
  }

  out.line("<h2>Players</h2>");
  siteTableStart(out, {{"Player", false},
                       {"Name", false},
                       {"Skin", false},
                       {"Frags", true},
                       {"Kills", true},
                       {"Deaths", true},
                       {"Self-kills", true}});
  for (const DemoPlayerResult* p : demo.ranked(teamPlay)) {
    const std::string& person = personOf(p->name);
    out.line("<tr>" + siteCell(personLink(person)) + siteCell(siteText(p->name)) +
             siteCell(siteText(p->skin)) + siteNumberCell(teamPlay ? p->teamFrags : p->frags) +
             siteNumberCell(p->kills) + siteNumberCell(p->deaths) + siteNumberCell(p->selfKills) +
             "</tr>");
  }
  siteTableEnd(out);

  const DemoTables tables = shownTables(demo, teamPlay);
  const RankedPlayers ranked(tables);
  const HtmlHexColors hex(m_settings.colors);
  // The HTML report's tables, on the report's own background and text colours.
  out.line("<h2>Frag matrix and weapons</h2>");
  out.line("<div class=\"scroll\" style=\"background: #" + hex.background + "; color: #" +
           hex.font + "; padding: 0.3em;\">");
  WriteHtmlFragMatrix(ranked, hex, out);
  WriteHtmlWeaponTable(ranked, tables.weapons, hex, out);
  out.line("</div>");
  out.line("<h2>Frags over time</h2>");
  out.line(siteFragsChart(tables, teamPlay));
  sitePageEnd(out);
  m_folder.write(match.page + ".html", out.take());
}

// Every fact the library keeps of the match, for scripts.
void SiteWriter::writeMatchJson(const MatchPages& m) const {
  const DemoResult& demo = m.demo;
  const SiteMatch& match = m.match;
  const bool teamPlay = m_settings.teamPlay;
  StringSink out;
  out.write("{\n");
  auto field = [&](std::string_view name, const std::string& value) {
    writeJsonField(out, name, value);
  };
  field("format", jsonString("obitrak-match"));
  field("version", std::to_string(kJsonMatchVersion));
  field("teamPlay", teamPlay ? "true" : "false");
  field("path", jsonString(demo.path));
  field("modified", jsonString(summaryTimestamp(demo.modified)));
  field("date", jsonString(dayText(utcDay(demo.modified))));
  field("mapName", jsonString(demo.mapName));
  field("levelMessage", jsonString(demo.levelMessage));
  field("bspName", jsonString(demo.bspName));
  field("gameDir", jsonString(demo.gameDir));
  field("protocolVersion", std::to_string(demo.protocolVersion));
  field("duration", std::to_string(demo.duration));
  field("serverRecording", demo.serverRecording ? "true" : "false");
  field("scoreboardAgrees",
        demo.scoreboardAgrees ? (*demo.scoreboardAgrees ? "true" : "false") : "null");
  field("notices", jsonStrings(demo.notices));
  field("result", jsonResult(match.result));
  std::vector<std::string> players;
  for (const DemoPlayerResult& p : demo.players) {
    const int place = teamPlay ? p.teamPlace : p.place;
    players.push_back(
        "{\"slot\": " + std::to_string(p.slot) + ", \"name\": " + jsonString(p.name) +
        ", \"person\": " + jsonString(personOf(p.name)) + ", \"skin\": " + jsonString(p.skin) +
        ", \"place\": " + (place > 0 ? std::to_string(place) : "null") +
        ", \"frags\": " + std::to_string(teamPlay ? p.teamFrags : p.frags) +
        ", \"kills\": " + std::to_string(p.kills) + ", \"deaths\": " + std::to_string(p.deaths) +
        ", \"selfKills\": " + std::to_string(p.selfKills) +
        ", \"team\": " + std::to_string(teamPlay ? p.team : 0) + "}");
  }
  writeJsonList(out, "players", players);
  std::vector<std::string> weapons;
  for (const SiteWeapon& w : siteWeapons(demo.weapons)) {
    weapons.push_back("{\"weapon\": " + std::to_string(w.index) + ", \"label\": " +
                      jsonString(w.label) + ", \"name\": " + jsonString(w.name) + "}");
  }
  writeJsonList(out, "weapons", weapons);
  std::vector<std::string> kills;
  for (const DemoKillCount& k : demo.kills) {
    kills.push_back("{\"victim\": " + std::to_string(k.victim) + ", \"killer\": " +
                    std::to_string(k.killer) + ", \"weapon\": " + std::to_string(k.weapon) +
                    ", \"count\": " + std::to_string(k.count) + "}");
  }
  writeJsonList(out, "kills", kills, true);
  out.write("}\n");
  m_folder.write(match.page + ".json", out.take());
}

}  // namespace obitrak
