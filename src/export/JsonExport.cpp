#include "export/JsonExport.h"

#include <cstdio>

#include "export/ExportNames.h"
#include "stats/RankedPlayers.h"
#include "stats/Scoreboard.h"
#include "stats/VersionLabels.h"

namespace obitrak {

std::string jsonString(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + 2);
  out += '"';
  for (char ch : bytes) {
    auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04X", c);
          out += escape;
        } else if (c < 0x80) {
          out += static_cast<char>(c);
        } else {
          out += static_cast<char>(0xC0 | (c >> 6));
          out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
  }
  out += '"';
  return out;
}

void writeJsonField(ByteSink& out, std::string_view key, std::string_view value, int indent,
                    bool last) {
  out.write(std::string(static_cast<std::size_t>(indent), ' '));
  out.write(jsonString(key));
  out.write(": ");
  out.write(value);
  out.write(last ? "\n" : ",\n");
}

void writeJsonList(ByteSink& out, std::string_view key, const std::vector<std::string>& items,
                   bool last, int indent) {
  const std::string outer(static_cast<std::size_t>(indent), ' ');
  out.write(outer + jsonString(key) + ": [");
  for (std::size_t i = 0; i < items.size(); ++i) {
    out.write(i == 0 ? "\n  " + outer : ",\n  " + outer);
    out.write(items[i]);
  }
  out.write(items.empty() ? "]" : "\n" + outer + "]");
  out.write(last ? "\n" : ",\n");
}

std::string jsonHitLocations(const std::array<std::int64_t, kHitLocations + 1>& kills) {
  std::string out = "{";
  for (std::size_t l = 1; l < kills.size(); ++l) {
    out +=
        (l == 1 ? "" : ", ") + jsonString(kHitLocationNames[l]) + ": " + std::to_string(kills[l]);
  }
  return out + "}";
}

namespace {

// Writes one JSON object per line of the nested lists, keys in a fixed order, so that the
// report is both diffable and quick to write.
class JsonReport {
 public:
  JsonReport(const DemoTables& tables, const std::string& demoPath, bool teamPlay,
             const std::vector<std::string>& notices, ByteSink& out)
      : m_t(tables), m_demoPath(demoPath), m_teamPlay(teamPlay), m_notices(notices), m_out(out) {}

  void write() {
    const DemoHeader& h = m_t.header;
    m_out.write("{\n");
    field("format", jsonString("obitrak-report"));
    field("version", std::to_string(kJsonReportVersion));
    field("demo", jsonString(m_demoPath));
    field("demoName", jsonString(demoName(m_demoPath)));
    field("teamPlay", m_teamPlay ? "true" : "false");
    field("phrasePack", m_t.packName.empty() ? "null" : jsonString(m_t.packName));
    m_out.write("  \"header\": {\n");
    field("protocolVersion", std::to_string(h.protocolVersion), 4);
    field("gameVersion", jsonString(VersionLabels(h.protocolVersion, "unknown")), 4);
    field("gameDir", jsonString(h.gameDir), 4);
    field("viewPlayer", std::to_string(h.viewPlayer), 4);
    field("viewFrom", jsonString(viewFromName(m_t)), 4);
    field("mapName", jsonString(h.mapName), 4);
    field("levelMessage", jsonString(h.levelMessage), 4);
    field("bspName", jsonString(h.bspName), 4);
    field("duration", std::to_string(h.duration), 4, true);
    m_out.write("  },\n");
    notices();
    players();
    kills();
    weaponTotals();
    scoreboard();
    log();
    m_out.write("}\n");
  }

 private:
  void field(std::string_view key, const std::string& value, int indent = 2, bool last = false) {
    writeJsonField(m_out, key, value, indent, last);
  }

  void list(std::string_view key, const std::vector<std::string>& items, bool last = false,
            int indent = 2) {
    writeJsonList(m_out, key, items, last, indent);
  }

  void notices() {
    std::vector<std::string> items;
    for (const std::string& n : m_notices) items.push_back(jsonString(n));
    list("notices", items);
  }

  void players() {
    std::vector<std::string> items;
    const PlayerTable& pt = m_t.players;
    for (int s = 1; s <= pt.slotCount; ++s) {
      const PlayerRecord& p = pt[s];
      std::string status = p.rank == kRankIdle ? "idle" : p.rank == kRankEmpty ? "empty" : "ranked";
      std::string place = status == "ranked" ? std::to_string(p.rank) : "null";
      items.push_back("{\"slot\": " + std::to_string(s) + ", \"name\": " + jsonString(p.name) +
                      ", \"skin\": " + jsonString(p.skin) + ", \"status\": \"" + status +
                      "\", \"place\": " + place + ", \"frags\": " + std::to_string(p.frags) +
                      ", \"kills\": " + std::to_string(p.kills) +
                      ", \"deaths\": " + std::to_string(p.deaths) +
                      ", \"team\": " + std::to_string(p.team) + hitLocations(s) + "}");
    }
    list("players", items);
  }

  void kills() {
    std::vector<std::string> items;
    const int slots = m_t.players.slotCount;
    for (int v = 1; v <= slots; ++v) {
      for (int k = 1; k <= slots; ++k) {
        for (int w = 0; w < kWeaponIndices; ++w) {
          std::uint32_t count = m_t.killMatrix(v, k, w);
          if (count == 0) continue;
          items.push_back(
              "{\"victim\": " + std::to_string(v) + ", \"killer\": " + std::to_string(k) +
              ", \"weapon\": " + std::to_string(w) + ", \"count\": " + std::to_string(count) + "}");
        }
      }
    }
    list("kills", items);
  }

  // The member of a player's kills by hit location, where the demo's pack tells them.
  std::string hitLocations(int slot) const {
    if (!m_t.hitLocations.told) return {};
    std::array<std::int64_t, kHitLocations + 1> kills{};
    for (int l = 1; l <= kHitLocations; ++l)
      kills[static_cast<std::size_t>(l)] =
          m_t.hitLocations.ofKiller(slot, static_cast<HitLocation>(l));
    return ", \"hitLocations\": " + jsonHitLocations(kills);
  }

  void weaponTotals() {
    const RankedPlayers ranked(m_t);
    std::vector<std::string> items;
    for (int w = 1; w <= m_t.weapons.count(); ++w) {
      const Weapon& weapon = m_t.weapons[w];
      items.push_back("{\"weapon\": " + std::to_string(w) + ", \"label\": " +
                      jsonString(weapon.label) + ", \"name\": " + jsonString(weapon.name) +
                      ", \"kills\": " + std::to_string(ranked.weaponTotal(w)) + "}");
    }
    list("weaponTotals", items);
  }

  // The game's own scoreboard beside the counted frags, or null.
  void scoreboard() {
    if (!m_t.scoreboard) {
      m_out.write("  \"scoreboard\": null,\n");
      return;
    }
    const ScoreboardComparison comparison = CompareScoreboard(m_t);
    m_out.write("  \"scoreboard\": {\n");
    field("time", std::to_string(m_t.scoreboard->time), 4);
    std::vector<std::string> items;
    for (const ScoreboardEntry& e : m_t.scoreboard->entries) {
      items.push_back("{\"clientNumber\": " + std::to_string(e.clientNumber) + ", \"name\": " +
                      jsonString(e.name) + ", \"score\": " + std::to_string(e.score) +
                      ", \"ping\": " + std::to_string(e.ping) +
                      (e.minutes ? ", \"minutes\": " + std::to_string(*e.minutes) : "") + "}");
    }
    list("entries", items, false, 4);
    items.clear();
    for (const ScoreboardPlayer& p : comparison.players) {
      items.push_back("{\"name\": " + jsonString(p.name) +
                      ", \"score\": " + std::to_string(p.score) +
                      ", \"countedFrags\": " + std::to_string(p.countedFrags) +
                      (comparison.bonuses ? ", \"bonus\": " + std::to_string(p.bonus) : "") + "}");
    }
    list("players", items, false, 4);
    field("agrees", comparison.agrees() ? "true" : "false", 4);
    field("agreesAsTeams", comparison.agreesAsTeams() ? "true" : "false", 4, true);
    m_out.write("  },\n");
  }

  void log() {
    m_out.write("  \"log\": [");
    for (std::uint32_t r = 1; r <= m_t.log.logCount; ++r) {
      const LogRecord& rec = m_t.log[r];
      m_out.write(r == 1 ? "\n    " : ",\n    ");
      m_out.write(
          "{\"level\": " + std::to_string(rec.level) + ", \"time\": " + std::to_string(rec.time) +
          ", \"text\": " + jsonString(rec.text) + ", \"killer\": " + std::to_string(rec.killer) +
          ", \"victim\": " + std::to_string(rec.victim) + "}");
    }
    m_out.write(m_t.log.logCount == 0 ? "]\n" : "\n  ]\n");
  }

  const DemoTables& m_t;
  const std::string& m_demoPath;
  bool m_teamPlay;
  const std::vector<std::string>& m_notices;
  ByteSink& m_out;
};

}  // namespace

void WriteJsonReport(const DemoTables& tables, const std::string& demoPath, bool teamPlay,
                     const std::vector<std::string>& notices, ByteSink& out) {
  JsonReport(tables, demoPath, teamPlay, notices, out).write();
}

}  // namespace obitrak
