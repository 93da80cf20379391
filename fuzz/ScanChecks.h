#pragma once

// What both scan targets check over any input: the scan, both tallies for every weapon and
// all four reports get through without a crash, a hang or a sanitizer report, and the
// tables keep their invariants. The message log is kept small, so that inputs of a few
// kilobytes reach what happens when it is full.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "export/ByteSink.h"
#include "export/HtmlExport.h"
#include "export/JsonExport.h"
#include "export/LogExport.h"
#include "export/TextExport.h"
#include "scan/DemoScan.h"
#include "stats/RankedPlayers.h"
#include "stats/Scoreboard.h"
#include "stats/Tally.h"

namespace obitrak::fuzz {

inline constexpr MessageLogLimits kFuzzLogLimits{64, 2048};

inline void check(bool condition) {
  if (!condition) __builtin_trap();
}

inline void checkInvariants(const DemoTables& t) {
  const PlayerTable& p = t.players;
  check(p.slotCount == p.playerCount + p.idleCount + p.emptyCount);
  check(p.slotCount <= kMaxSlots);
  int ranked = 0;
  for (int s = 1; s <= p.slotCount; ++s) {
    if (p[s].rank >= 1 && p[s].rank <= p.playerCount) ++ranked;
    check(p[s].rank != 0);
  }
  check(ranked == p.playerCount);
  for (int place = 1; place <= p.playerCount; ++place) check(SlotOfRank(p, place) != kNoSlot);
  check(t.log.logCount == t.log.size());
  check(t.log.size() <= kFuzzLogLimits.records);
  for (const LogRecord& r : t.log) {
    check((r.killer == 0) == (r.victim == 0));
    check(r.killer >= 0 && r.killer <= p.slotCount && r.victim >= 0 && r.victim <= p.slotCount);
  }
}

inline void scanAndCheck(std::string_view bytes) {
  DemoTables t;
  t.log.setLimits(kFuzzLogLimits);
  ScanReport report = DemoScanBytes(t, bytes);
  checkInvariants(t);
  for (int weapon = 0; weapon < kWeaponIndices; ++weapon) {
    TallyTeamPlay(t, weapon);
    TallyFreeForAll(t, weapon);
  }
  TallyFreeForAll(t, 0);
  checkInvariants(t);
  for (bool teamPlay : {false, true}) {
    StringSink text, html, json;
    recomputeAllWeapons(t, teamPlay);
    WriteTextDescription(t, "fuzz/demo.dm2", teamPlay, text);
    WriteHtmlDescription(t, "fuzz/demo.dm2", teamPlay, HtmlColorSet::defaults(), html);
    WriteJsonReport(t, "fuzz/demo.dm2", teamPlay, report.notices, json);
  }
  StringSink log;
  WriteLog(t, log);
  checkInvariants(t);
  const ScoreboardComparison board = CompareScoreboard(t);
  check(board.players.size() <= (t.scoreboard ? t.scoreboard->entries.size() : 0));
}

}  // namespace obitrak::fuzz
