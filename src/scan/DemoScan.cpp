#include "scan/DemoScan.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "scan/Block.h"
#include "scan/DemoFile.h"
#include "scan/ObituaryAnalysis.h"
#include "scan/ServerRecordingScan.h"
#include "scan/TableWriter.h"
#include "stats/Ranking.h"

namespace obitrak {

namespace {

// Server message codes the scan decodes.
constexpr std::uint8_t svc_layout = 4;
constexpr std::uint8_t svc_print = 10;
constexpr std::uint8_t svc_configstring = 13;

// Config string indices: 0 the level message, 33 the map model, 0x520 + client the players.
constexpr std::uint8_t kConfigLevelMessage = 0;
constexpr std::uint8_t kConfigMapModel = 33;
constexpr std::uint8_t kConfigPlayersHigh = 5;      // high byte of 0x520..0x55F
constexpr std::uint8_t kConfigPlayerSlotBase = 31;  // slot = low byte - 31
constexpr int kSweptBlocks = 8;
constexpr char kNameSeparator = '\\';

// The reader of a Quake 2 demo (".dm2"): a light scan of each block's leading messages
// and a sweep of the first blocks for the start-up config strings.
class BlockScanner {
 public:
  BlockScanner(TableWriter& writer, ScanObserver* observer)
      : m_w(writer), m_t(writer.tables()), m_report(writer.report()), m_observer(observer) {}

  void run(DemoFile& file) {
    readBlocks(file, m_w, m_observer, 0, sizeof(std::int32_t), m_blockNumber,
               [this](const Block& block) {
                 leadingRun(block);
                 if (m_blockNumber == 1) serverData(block);
                 if (m_blockNumber <= kSweptBlocks) earlyBlockSweep(block);
                 return true;
               });
  }

 private:
  std::int32_t blockTime() const { return blockSeconds(m_blockNumber); }

  // The messages at the head of the block, up to the first one of another type.
  void leadingRun(const Block& b) {
    int position = 1;
    while (position <= b.length()) {
      std::uint8_t code = b.blockByte(position);
      if (code == svc_layout) {
        // [byte 4] [string layout]; one cut short by the block's end is not whole.
        std::string_view text = b.blockString(position + 1, 0);
        if (position + 1 + static_cast<int>(text.size()) <= b.length()) {
          m_w.layout(text, blockTime());
        }
        position += static_cast<int>(text.size()) + 2;
      } else if (code == svc_print) {
        // [byte 10] [byte level] [string text]
        std::string_view text = b.blockString(position + 2, 0);
        m_w.addLogRecord(b.blockByte(position + 1), text, blockTime());
        position += static_cast<int>(text.size()) + 3;
      } else if (code == svc_configstring) {
        // [byte 13] [short index] [string text]
        std::string_view text = b.blockString(position + 3, 0);
        if (b.blockByte(position + 2) == kConfigPlayersHigh) {
          m_w.playerConfigString(b.blockByte(position + 1) - kConfigPlayerSlotBase, text);
        }
        position += static_cast<int>(text.size()) + 4;
      } else {
        break;
      }
    }
  }

  // Block 1 begins with the server data message:
  // [byte code] [long protocol] [long server count] [byte attract loop] [string game dir]
  // [short player number] [string level name]
  void serverData(const Block& b) {
    if (!holdsServerData(b)) m_report.notADemo = true;
    DemoHeader& h = m_t.header;
    h.protocolVersion = b.blockInt32(2);
    h.gameDir = std::string(b.blockString(11, 0));
    int gameDirLength = static_cast<int>(h.gameDir.size());
    h.viewPlayer = b.blockByte(12 + gameDirLength);
    h.mapName = std::string(b.blockString(14 + gameDirLength, 0));
    m_report.statusPanel0 = "Map: " + h.mapName;
  }

  // Whether the server data message is whole: both its strings end inside the block.
  static bool holdsServerData(const Block& b) {
    const int gameDirEnd = 11 + static_cast<int>(b.blockString(11, 0).size());
    if (gameDirEnd > b.length()) return false;
    const int levelStart = gameDirEnd + 3;
    return levelStart + static_cast<int>(b.blockString(levelStart, 0).size()) <= b.length();
  }

  // Blocks 1 to 8 carry the game's start-up config strings wherever a packet put them:
  // every byte position is tried for the player, level-message and map-model patterns.
  void earlyBlockSweep(const Block& b) {
    std::string_view bytes = b.bytes();
    const int last = b.length() - 1;
    for (int p = 1; p <= last; ++p) {
      if (static_cast<std::uint8_t>(bytes[static_cast<std::size_t>(p - 1)]) != svc_configstring) {
        continue;
      }
      std::uint8_t low = b.blockByte(p + 1);
      std::uint8_t high = b.blockByte(p + 2);
      if (high == kConfigPlayersHigh && low >= kConfigPlayerSlotBase + 1) {
        std::string_view text = b.blockString(p + 3, 0);
        std::size_t separator = text.find(kNameSeparator);
        int slot = low - kConfigPlayerSlotBase;
        if (separator != std::string_view::npos && slot <= kMaxSlots) {
          m_w.setIdentity(slot, text.substr(0, separator), text);
        }
      }
      if (m_blockNumber == 1 && low == kConfigLevelMessage && high == 0) {
        m_t.header.levelMessage = std::string(b.blockString(p + 3, 0));
      }
      if (low == kConfigMapModel && high == 0) {
        m_t.header.bspName = std::string(b.blockString(p + 3, 0));
        m_report.statusPanel0 += " ( " + m_t.header.bspName + " )";
      }
    }
  }

  TableWriter& m_w;
  DemoTables& m_t;
  ScanReport& m_report;
  ScanObserver* m_observer;
  std::int64_t m_blockNumber = 0;
};

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

// The read and the analysis run on a fresh set of tables that replaces the old one only
// when the read got through; the header starts from the previous demo's values, which a
// demo without such data leaves in place.
ScanReport scanFile(DemoTables& tables, DemoFile& file, ScanObserver* observer,
                    const PackChoice& choice) {
  ScanReport report;
  DemoTables work;
  work.header = tables.header;
  work.header.serverRecording = false;  // a reader of server recordings says so itself
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
      BlockScanner(writer, observer).run(file);
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
