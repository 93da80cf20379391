#include <cstdio>
#include <string>
#include <vector>

#include "export/JsonExport.h"
#include "export/SummaryExport.h"
#include "scan/PhrasePack.h"

namespace obitrak {

std::string summaryTimestamp(const FileTime& modified) {
  return utcTime(modified, "%Y-%m-%dT%H:%M:%SZ");
}

std::string jsonNumber(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string jsonRating(const std::optional<Rating>& rating) {
  if (!rating) return "null";
  return "{\"value\": " + jsonNumber(rating->value, 2) +
         ", \"deviation\": " + jsonNumber(rating->deviation, 2) +
         ", \"volatility\": " + jsonNumber(rating->volatility, 6) + "}";
}

std::string jsonStrings(const std::vector<std::string>& texts) {
  std::string out = "[";
  for (const std::string& t : texts) out += (out.size() > 1 ? ", " : "") + jsonString(t);
  return out + "]";
}

std::string jsonResult(const DemoOutcome& result) {
  if (result.kind == ResultKind::None) return "null";
  std::string sides;
  for (const ResultSide& side : result.sides) {
    sides += (sides.empty() ? "" : ", ") + std::string("{\"people\": ") + jsonStrings(side.people) +
             ", \"frags\": " + std::to_string(side.frags) +
             ", \"place\": " + std::to_string(side.place) + "}";
  }
  return "{\"kind\": " + jsonString(resultKindName(result.kind)) + ", \"sides\": [" + sides + "]}";
}

namespace {

std::string nameOrNull(const std::string& name) {
  return name.empty() ? "null" : jsonString(name);
}

std::string_view reasonName(SuggestionReason reason) {
  switch (reason) {
    case SuggestionReason::Rename:
      return "rename";
    case SuggestionReason::Case:
      return "case";
    case SuggestionReason::Colour:
      return "colour";
    case SuggestionReason::ClanTag:
      break;
  }
  return "clan tag";
}

// One object per line inside each list, keys in a fixed order, as the JSON report does.
class JsonSummary {
 public:
  JsonSummary(const Summary& s, const PhrasePack* pack, ByteSink& out)
      : m_s(s), m_pack(pack), m_out(out) {}

  void write() {
    m_out.write("{\n");
    field("format", jsonString("obitrak-summary"));
    field("version", std::to_string(kJsonSummaryVersion));
    field("teamPlay", m_s.teamPlay ? "true" : "false");
    field("phrasePack", m_pack != nullptr ? jsonString(m_pack->name()) : "null");
    field("demoCount", std::to_string(m_s.demos.size()));
    field("unreadableCount", std::to_string(m_s.unreadable));
    field("ratingsAsOf", m_s.demos.empty() ? "null" : jsonString(dayText(m_s.lastDay)));
    players();
    kills();
    headToHead();
    suggestions();
    demos();
    m_out.write("}\n");
  }

 private:
  void field(std::string_view key, const std::string& value) { writeJsonField(m_out, key, value); }

  void list(std::string_view key, const std::vector<std::string>& items, bool last = false) {
    writeJsonList(m_out, key, items, last);
  }

  void players() {
    std::vector<std::string> items;
    for (const PlayerTotals& p : m_s.players) {
      std::string weapons;
      for (std::size_t w = 0; w < m_s.weapons.size(); ++w) {
        weapons += (w == 0 ? "" : ", ") + jsonString(m_s.weapons[w].label) + ": " +
                   std::to_string(w < p.weaponKills.size() ? p.weaponKills[w] : 0);
      }
      items.push_back(
          "{\"name\": " + jsonString(p.name) + ", \"demos\": " + std::to_string(p.demos) +
          ", \"frags\": " + std::to_string(p.frags) + ", \"kills\": " + std::to_string(p.kills) +
          ", \"deaths\": " + std::to_string(p.deaths) + ", \"selfKills\": " +
          std::to_string(p.selfKills) + ", \"weaponKills\": {" + weapons + "}" + hitLocations(p) +
          ", \"aliases\": " + jsonStrings(p.aliases) + ", \"wins\": " + std::to_string(p.wins) +
          ", \"losses\": " + std::to_string(p.losses) + ", \"draws\": " + std::to_string(p.draws) +
          ", \"rating\": " + jsonRating(p.rating) + ", \"nemesis\": " + nameOrNull(p.nemesis) +
          ", \"favouriteVictim\": " + nameOrNull(p.favouriteVictim) + "}");
    }
    list("players", items);
  }

  // A player's kills by hit location, where a pack of some demo tells them.
  std::string hitLocations(const PlayerTotals& p) const {
    if (!m_s.hitLocations) return {};
    return ", \"hitLocations\": " + jsonHitLocations(p.hitLocationKills);
  }

  void kills() {
    std::vector<std::string> items;
    for (const KillsBetween& k : m_s.kills) {
      items.push_back("{\"killer\": " + jsonString(m_s.players[k.killer].name) +
                      ", \"victim\": " + jsonString(m_s.players[k.victim].name) +
                      ", \"kills\": " + std::to_string(k.kills) + "}");
    }
    list("kills", items);
  }

  // The pack that counted a demo, where a pack counted some demo of the summary.
  std::string packOf(const SummaryDemo& d) const {
    if (!m_s.packs) return {};
    return ", \"phrasePack\": " + (d.pack.empty() ? std::string("null") : jsonString(d.pack));
  }

  void headToHead() {
    std::vector<std::string> items;
    for (const HeadToHead& h : m_s.headToHead) {
      items.push_back("{\"first\": " + jsonString(m_s.players[h.first].name) +
                      ", \"second\": " + jsonString(m_s.players[h.second].name) +
                      ", \"firstWins\": " + std::to_string(h.firstWins) + ", \"secondWins\": " +
                      std::to_string(h.secondWins) + ", \"draws\": " + std::to_string(h.draws) +
                      ", \"firstKills\": " + std::to_string(h.firstKills) +
                      ", \"secondKills\": " + std::to_string(h.secondKills) + "}");
    }
    list("headToHead", items);
  }

  void suggestions() {
    std::vector<std::string> items;
    for (const AliasSuggestion& a : m_s.aliasSuggestions) {
      items.push_back("{\"names\": " + jsonStrings(a.names) +
                      ", \"reason\": " + jsonString(reasonName(a.reason)) +
                      ", \"demos\": " + std::to_string(a.demos) + "}");
    }
    list("aliasSuggestions", items);
  }

  void demos() {
    std::vector<std::string> items;
    for (const SummaryDemo& d : m_s.demos) {
      std::string ranked;
      for (std::size_t i = 0; i < d.ranked.size(); ++i) {
        const SummaryDemo::Ranked& r = d.ranked[i];
        ranked += (ranked.empty() ? "" : ", ") + std::string("{\"name\": ") + jsonString(r.name) +
                  ", \"frags\": " + std::to_string(r.frags) +
                  ", \"kills\": " + std::to_string(r.kills) +
                  ", \"deaths\": " + std::to_string(r.deaths) +
                  ", \"person\": " + jsonString(d.personAt(i)) + "}";
      }
      const SummaryDemo::Ranked* w = d.winner();
      items.push_back("{\"path\": " + jsonString(d.path) +
                      ", \"modified\": " + jsonString(summaryTimestamp(d.modified)) +
                      ", \"mapName\": " + jsonString(d.mapName) + ", \"levelMessage\": " +
                      jsonString(d.levelMessage) + ", \"duration\": " + std::to_string(d.duration) +
                      packOf(d) + ", \"winner\": " + (w != nullptr ? jsonString(w->name) : "null") +
                      ", \"players\": [" + ranked +
                      "], \"date\": " + jsonString(dayText(utcDay(d.modified))) +
                      ", \"result\": " + jsonResult(d.result) + "}");
    }
    list("demos", items, true);
  }

  const Summary& m_s;
  const PhrasePack* m_pack;
  ByteSink& m_out;
};

}  // namespace

void WriteJsonSummary(const Summary& summary, const PhrasePack* pack, ByteSink& out) {
  JsonSummary(summary, pack, out).write();
}

}  // namespace obitrak
