#include "scan/DemoScan.h"

#include <utility>

#include "scan/ClientDemoScan.h"
#include "scan/DemoFile.h"
#include "scan/ObituaryAnalysis.h"
#include "scan/Ranking.h"
#include "scan/ServerRecordingScan.h"
#include "scan/TableWriter.h"

namespace obitrak {

namespace {

// Calls readEnded() however the read ends.
class ReadGuard {
 public:
  explicit ReadGuard(ScanObserver* observer) : m_observer(observer) {
    if (m_observer != nullptr) m_observer->readStarted();
  }
  ~ReadGuard() {
    if (m_observer != nullptr) m_observer->readEnded();
  }
  ReadGuard(const ReadGuard&) = delete;
  ReadGuard& operator=(const ReadGuard&) = delete;

 private:
  ScanObserver* m_observer;
};

// The read and the analysis run on a fresh set of tables, an empty header included, that
// replaces the old one only when the read got through: nothing of the previous demo is left
// where this one has no such data.
ScanReport scanFile(DemoTables& tables, DemoFile& file, ScanObserver* observer,
                    const PackChoice& choice) {
  ScanReport report;
  DemoTables work;
  work.scanMarker = kScanMarkerSet;
  work.log.setLimits(tables.log.limits());
  TableWriter writer(work, report, choice);
  {
    ReadGuard guard(observer);
    // The format is told by the content, whatever the file's name: a server recording
    // starts with its magic (inside the gzip data of a packed one).
    if (file.startsWith(kServerRecordingMagic)) {
      file.readAsServerRecording();
      ServerRecordingScanner(writer, observer).run(file);
    } else {
      ClientDemoScanner(writer, observer).run(file);
    }
  }
  report.pack = writer.pack();
  ObituaryAnalysis(work, report.pack);
  writer.addUnkeptKills();
  TallyAndRank(work);
  tables = std::move(work);
  return report;
}

void resetPlayers(PlayerTable& players) {
  players = PlayerTable{};
}

}  // namespace

ScanReport DemoScan(DemoTables& tables, const std::string& path, ScanObserver* observer,
                    const PackChoice& choice) {
  tables.scanMarker = kScanMarkerSet;
  if (path.empty()) {
    resetPlayers(tables.players);
    ScanReport report;
    report.pack = choice.packFor(tables.header.gameDir);
    ObituaryAnalysis(tables, report.pack);
    TallyAndRank(tables);
    return report;
  }
  DemoFile file(path);
  return scanFile(tables, file, observer, choice);
}

ScanReport DemoScanOpened(DemoTables& tables, FileHandle file, const std::string& path,
                          ScanObserver* observer, const PackChoice& choice) {
  tables.scanMarker = kScanMarkerSet;
  DemoFile demo(std::move(file), path);
  return scanFile(tables, demo, observer, choice);
}

ScanReport DemoScanBytes(DemoTables& tables, std::string_view bytes, ScanObserver* observer,
                         const PackChoice& choice) {
  tables.scanMarker = kScanMarkerSet;
  DemoFile file(bytes);
  return scanFile(tables, file, observer, choice);
}

}  // namespace obitrak
