#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "SmallDemos.h"
#include "TestSupport.h"
#include "export/JsonExport.h"
#include "export/TextExport.h"
#include "export/TextFormat.h"
#include "stats/RankedPlayers.h"
#include "stats/Tally.h"

namespace obitrak::test {
namespace {

using namespace std::string_literals;
using nlohmann::json;

// The bytes of a JSON string whose code points all lie below 256.
std::string bytesOf(const std::string& utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      auto next = static_cast<unsigned char>(utf8[++i]);
      out += static_cast<char>(((c & 0x1F) << 6) | (next & 0x3F));
    }
  }
  return out;
}

TEST(JsonExport, StringsKeepEveryByte) {
  struct Case {
    std::string bytes;
    std::string literal;
  };
  for (const Case& c : {Case{"plain", "\"plain\""}, Case{"a\"b\\c", "\"a\\\"b\\\\c\""},
                        Case{"\n\r\t\b\f", "\"\\n\\r\\t\\b\\f\""},
                        Case{"\x00\x01\x1f\x7f"s, "\"\\u0000\\u0001\\u001F\x7f\""},
                        Case{"\xe5\x80\xff", "\"\xc3\xa5\xc2\x80\xc3\xbf\""}}) {
    EXPECT_EQ(jsonString(c.bytes), c.literal);
    json parsed = json::parse(jsonString(c.bytes));
    EXPECT_EQ(bytesOf(parsed.get<std::string>()), c.bytes);
  }
}

json jsonOf(DemoTables& t, const std::string& demoPath, bool teamPlay,
            const std::vector<std::string>& notices = {}) {
  StringSink sink;
  recomputeAllWeapons(t, teamPlay);
  WriteJsonReport(t, demoPath, teamPlay, notices, sink);
  return json::parse(sink.data());
}

TEST(JsonExport, ReportOfTheSmallDemo) {
  DemoTables t = scanned(smallTeamDemo());
  json j = jsonOf(t, "d/small.dm2", false, {"BAD BLOCK. READING STOPPED."});
  EXPECT_EQ(j["format"], "obitrak-report");
  EXPECT_EQ(j["version"], 1);
  EXPECT_EQ(j["demoName"], "small.dm2");
  EXPECT_EQ(j["header"]["gameVersion"], "3.18/3.19/3.20");
  EXPECT_EQ(j["header"]["viewFrom"], "Bartholomew_Long");
  EXPECT_EQ(j["header"]["duration"], 15);
  EXPECT_EQ(j["notices"], json::array({"BAD BLOCK. READING STOPPED."}));
  ASSERT_EQ(j["players"].size(), 5u);
  EXPECT_EQ(j["players"][2], json::parse(R"({"slot": 3, "name": "Cid", "skin": "male/grunt",
      "status": "ranked", "place": 1, "frags": 2, "kills": 2, "deaths": 2, "team": 0})"));
  EXPECT_EQ(j["players"][4]["status"], "idle");
  EXPECT_TRUE(j["players"][4]["place"].is_null());
  EXPECT_EQ(j["kills"].size(), 13u) << "six kills in two cells each, two suicides in one";
  EXPECT_EQ(j["kills"][0], json::parse(R"({"victim": 1, "killer": 3, "weapon": 0, "count": 1})"));
  EXPECT_EQ(j["weaponTotals"][8], json::parse(R"({"weapon": 9, "label": "RG", "name": "9 - Railgun",
      "kills": 1})"));
  ASSERT_EQ(j["log"].size(), 10u);
  EXPECT_EQ(j["log"][1], json::parse(R"({"level": 1, "time": 1,
      "text": "Bartholomew_Long was railed by Ann", "killer": 1, "victim": 2})"));
  EXPECT_EQ(j["log"][9]["text"], "Ann: gg gg");

  TallyTeamPlay(t, 0);
  json tp = jsonOf(t, "d/small.dm2", true);
  EXPECT_EQ(tp["teamPlay"], true);
  EXPECT_EQ(tp["players"][2]["team"], 1);
  EXPECT_EQ(tp["players"][2]["frags"], 0);
}

// The scoreboard field: null without a board; the board, its names summed and compared,
// with "minutes" only where the entry gives them; the same in team play.
TEST(JsonExport, ScoreboardField) {
  DemoTables none = scanned(smallTeamDemo());
  EXPECT_TRUE(jsonOf(none, "d/small.dm2", false)["scoreboard"].is_null());

  DemoWriter w = demoWithPlayers({{0, "Ann", "female/athena"}, {1, "Bob", "male/grunt"}});
  w.print(1, "Bob was railed by Ann\n").endBlock();
  w.frameBlocks(20).layout("client 0 0 0 1 12 3 ctf 0 0 1 4 30 client 0 0 1 2 30 3").endBlock();
  DemoTables t = scanned(w.finish());
  for (bool teamPlay : {false, true}) {
    const json board = jsonOf(t, "d/board.dm2", teamPlay)["scoreboard"];
    EXPECT_EQ(board["time"], 2);
    EXPECT_EQ(board["entries"],
              json::parse(R"([{"clientNumber": 0, "name": "Ann", "score": 1, "ping": 12,
                               "minutes": 3},
                              {"clientNumber": 1, "name": "Bob", "score": 4, "ping": 30},
                              {"clientNumber": 1, "name": "Bob", "score": 2, "ping": 30,
                               "minutes": 3}])"));
    EXPECT_EQ(board["players"], json::parse(R"([{"name": "Ann", "score": 1, "countedFrags": 1},
                                               {"name": "Bob", "score": 6, "countedFrags": 0}])"));
    EXPECT_EQ(board["agrees"], false);
  }
}

// Every demo's JSON parses and agrees with its text report, in both modes.
TEST(JsonExport, AgreesWithTheTextReportOnEveryDemo) {
  std::vector<std::filesystem::path> demos = realDemos();
  demos.push_back(sampleDemo());
  for (const auto& demo : demos) {
    for (bool teamPlay : {false, true}) {
      SCOPED_TRACE(demo.filename().string() + (teamPlay ? " team play" : ""));
      DemoTables forText;
      DemoScan(forText, demo.string());
      DemoTables forJson = forText;
      if (teamPlay) {
        TallyTeamPlay(forText, 0);
        TallyTeamPlay(forJson, 0);
      }
      StringSink text;
      recomputeAllWeapons(forText, teamPlay);
      WriteTextDescription(forText, demo.string(), teamPlay, text);
      json j = jsonOf(forJson, demo.string(), teamPlay);
      int ranked = 0;
      for (const json& p : j["players"]) {
        if (p["status"] != "ranked") continue;
        ++ranked;
        std::string line = padded(bytesOf(p["name"]), 20) + " : " + rightAligned(p["frags"], 3) +
                           " (" + rightAligned(p["kills"], 3) + " / " +
                           rightAligned(p["deaths"], 3) + " )\r\n";
        EXPECT_NE(text.data().find(line), std::string::npos) << line;
      }
      EXPECT_EQ(ranked, forText.players.playerCount);
    }
  }
}

}  // namespace
}  // namespace obitrak::test
