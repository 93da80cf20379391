#include <string>
#include <vector>

#include "export/JsonExport.h"
#include "export/SummaryExport.h"
#include "scan/PhrasePack.h"

namespace obitrak {

std::string summaryTimestamp(const FileTime& modified) {
  return utcTime(modified, "%Y-%m-%dT%H:%M:%SZ");
}

namespace {

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
    players();
    kills();
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
          ", \"deaths\": " + std::to_string(p.deaths) +
          ", \"selfKills\": " + std::to_string(p.selfKills) + ", \"weaponKills\": {" + weapons +
          "}" + hitLocations(p) + "}");
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
      items.push_back("{\"killer\": " + jsonString(k.killer) + ", \"victim\": " +
                      jsonString(k.victim) + ", \"kills\": " + std::to_string(k.kills) + "}");
    }
    list("kills", items);
  }

  // The pack that counted a demo, where a pack counted some demo of the summary.
  std::string packOf(const SummaryDemo& d) const {
    if (!m_s.packs) return {};
    return ", \"phrasePack\": " + (d.pack.empty() ? std::string("null") : jsonString(d.pack));
  }

  void demos() {
    std::vector<std::string> items;
    for (const SummaryDemo& d : m_s.demos) {
      std::string ranked;
      for (const SummaryDemo::Ranked& r : d.ranked) {
        ranked += (ranked.empty() ? "" : ", ") + std::string("{\"name\": ") + jsonString(r.name) +
                  ", \"frags\": " + std::to_string(r.frags) +
                  ", \"kills\": " + std::to_string(r.kills) +
                  ", \"deaths\": " + std::to_string(r.deaths) + "}";
      }
      const SummaryDemo::Ranked* w = d.winner();
      items.push_back("{\"path\": " + jsonString(d.path) +
                      ", \"modified\": " + jsonString(summaryTimestamp(d.modified)) +
                      ", \"mapName\": " + jsonString(d.mapName) + ", \"levelMessage\": " +
                      jsonString(d.levelMessage) + ", \"duration\": " + std::to_string(d.duration) +
                      packOf(d) + ", \"winner\": " + (w != nullptr ? jsonString(w->name) : "null") +
                      ", \"players\": [" + ranked + "]}");
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
