#include <gtest/gtest.h>

#include <string>

#include "SmallDemos.h"
#include "TestSupport.h"
#include "export/HtmlExport.h"
#include "stats/RankedPlayers.h"
#include "stats/Tally.h"

namespace obitrak::test {
namespace {

std::string htmlOf(DemoTables& t, const std::string& demoPath, bool teamPlay,
                   const HtmlColorSet& colors = HtmlColorSet::defaults()) {
  StringSink sink;
  recomputeAllWeapons(t, teamPlay);
  WriteHtmlDescription(t, demoPath, teamPlay, colors, sink);
  return sink.data();
}

HtmlColorSet customColors() {
  HtmlColorSet c;
  c[HtmlColorSet::Background] = 0x00102030;
  c[HtmlColorSet::Font] = 0x00A0B0C0;
  c[HtmlColorSet::ActiveCell] = 0x000000FF;
  c[HtmlColorSet::PassiveCell] = 0x0000FF00;
  c[HtmlColorSet::Link] = 0x00FF0000;
  c[HtmlColorSet::VLink] = 0x00123456;
  return c;
}

TEST(HtmlExport, GoldenFreeForAll) {
  DemoTables t = scanned(smallTeamDemo());
  expectGolden("small_ffa.htm", htmlOf(t, "demos/small.dm2", false));
}

TEST(HtmlExport, GoldenTeamPlayInOtherColours) {
  DemoTables t = scanned(smallTeamDemo());
  TallyTeamPlay(t, 0);
  expectGolden("small_tp.htm", htmlOf(t, "demos/small.dm2", true, customColors()));
}

TEST(HtmlExport, GoldenWithoutRankedPlayers) {
  DemoTables t = scanned(demoWithPlayers({{0, "Idle", "male/grunt"}}).finish());
  TallyTeamPlay(t, 0);
  expectGolden("idle_tp.htm", htmlOf(t, "idle.dm2", true));
}

TEST(HtmlExport, DemoTextIsEscaped) {
  DemoWriter w;
  w.serverData(34, "mod&<b>", 0, "Map \"<script>alert(1)</script>\"")
      .configString(0, "Tom & Jerry's <house>")
      .configString(33, "maps/<x>.bsp")
      .player(0, "<script>", "male/\"grunt\"")
      .player(1, "A&B", "x<y")
      .endBlock();
  w.print(1, "A&B was railed by <script>\n").endBlock();
  DemoTables t = scanned(w.finish());
  TallyTeamPlay(t, 0);
  std::string html = htmlOf(t, "/d/<demo>&.dm2", true);
  for (const char* raw :
       {"<script>", "A&B", "\"grunt\"", "x<y", "<x>", "mod&<b>", "<demo>", "Tom & Jerry"}) {
    EXPECT_EQ(html.find(raw), std::string::npos) << raw;
  }
  for (const char* escaped :
       {"&lt;script&gt;", "A&amp;B", "male/&quot;grunt&quot;", "x&lt;y", "maps/&lt;x&gt;.bsp",
        "mod&amp;&lt;b&gt;", "<title>&lt;demo&gt;&amp;.dm2</title>",
        "Tom &amp; Jerry's &lt;house&gt;", "Map &quot;&lt;script&gt;alert(1)&lt;/script&gt;&quot;",
        "Team 1 (male/&quot;grunt&quot;)"}) {
    EXPECT_NE(html.find(escaped), std::string::npos) << escaped;
  }
  EXPECT_EQ(htmlEscaped("a&b<c>d\"e'f"), "a&amp;b&lt;c&gt;d&quot;e'f");
}

TEST(HtmlExport, TwoBreaksWithoutTeamPlay) {
  DemoTables t = scanned(smallTeamDemo());
  std::string html = htmlOf(t, "s.dm2", false);
  EXPECT_NE(html.find("</table>\r\n<br>\r\n<br>\r\n<table"), std::string::npos);
  EXPECT_EQ(html.find("TEAM TOTAL"), std::string::npos);
}

}  // namespace
}  // namespace obitrak::test
