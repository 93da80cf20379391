#include "scan/DemoScan.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "scan/Block.h"
#include "scan/DemoFile.h"
#include "scan/ObituaryAnalysis.h"

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

class BlockScanner {
 public:
  BlockScanner(DemoTables& tables, ScanReport& report) : m_t(tables), m_report(report) {}

  void run(DemoFile& file) {
    std::string_view body;
    for (;;) {
      DemoFile::Next next = file.next(body);
      if (next == DemoFile::Next::EndOfFile) break;
      ++m_blockNumber;
      if (next == DemoFile::Next::EndMarker) break;
      if (next == DemoFile::Next::Oversized || next == DemoFile::Next::Negative) {
        notice(kNoticeBadBlock);
        break;
      }
      if (next == DemoFile::Next::Incomplete) {
        notice(kNoticeIncompleteBlock);
        break;
      }
      Block block(body);
      leadingRun(block);
      if (m_blockNumber == 1) serverData(block);
      if (m_blockNumber <= kSweptBlocks) earlyBlockSweep(block);
    }
    m_t.header.duration =
        static_cast<std::int32_t>(std::min<std::int64_t>(m_blockNumber / 10, INT32_MAX));
    m_t.log.logCount = static_cast<std::uint32_t>(m_t.log.size());
  }

 private:
  std::int32_t blockTime() const {
    return static_cast<std::int32_t>(std::min<std::int64_t>(m_blockNumber / 10, INT32_MAX));
  }

  void notice(std::string_view text) {
    m_report.statusPanel1 = std::string(text);
    m_report.notices.emplace_back(text);
  }

  // The messages at the head of the block, up to the first one of another type.
  void leadingRun(const Block& b) {
    int position = 1;
    while (position <= b.length()) {
      std::uint8_t code = b.blockByte(position);
      if (code == svc_layout) {
        // [byte 4] [string layout]
        position += static_cast<int>(b.blockString(position + 1, 0).size()) + 2;
      } else if (code == svc_print) {
        // [byte 10] [byte level] [string text]
        std::string_view text = b.blockString(position + 2, 0);
        addLogRecord(b.blockByte(position + 1), text);
        position += static_cast<int>(text.size()) + 3;
      } else if (code == svc_configstring) {
        // [byte 13] [short index] [string text]
        std::string_view text = b.blockString(position + 3, 0);
        if (b.blockByte(position + 2) == kConfigPlayersHigh) {
          playerConfigString(b.blockByte(position + 1), text);
        }
        position += static_cast<int>(text.size()) + 4;
      } else {
        break;
      }
    }
  }

  // Log texts keep only 7-bit characters: 128 is taken from every higher code.
  void addLogRecord(std::uint8_t level, std::string_view text) {
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    m_cleaned.assign(text);
    for (char& c : m_cleaned) c = static_cast<char>(static_cast<unsigned char>(c) & 0x7F);
    m_t.log.add(level, m_cleaned, blockTime());
  }

  // A player config string at the head of a block. A different name for an occupied slot
  // moves the slot's earlier identity to the first free slot, so every name keeps its
  // own record and score.
  void playerConfigString(std::uint8_t indexLow, std::string_view text) {
    int slot = indexLow - kConfigPlayerSlotBase;
    if (slot < 1 || slot > kMaxSlots || text.empty()) return;
    std::string_view name = text.substr(0, text.find(kNameSeparator));
    PlayerTable& players = m_t.players;
    PlayerRecord& record = players[slot];
    if (!record.name.empty() && record.name.view() != name) {
      if (players.playerCount < kMaxSlots) {
        ++players.playerCount;
        PlayerRecord& moved = players[players.playerCount];
        moved.name = record.name;
        moved.skin = record.skin;
      } else if (!m_tableFullReported) {
        m_tableFullReported = true;
        notice(kNoticePlayerTableFull);
      }
    }
    setIdentity(slot, name, text);
  }

  void setIdentity(int slot, std::string_view name, std::string_view text) {
    PlayerRecord& record = m_t.players[slot];
    record.name = name;
    std::size_t skip = std::min(text.size(), record.name.size() + 1);
    record.skin = text.substr(skip);
    if (m_t.players.playerCount < slot) m_t.players.playerCount = static_cast<std::uint8_t>(slot);
  }

  // Block 1 begins with the server data message:
  // [byte code] [long protocol] [long server count] [byte attract loop] [string game dir]
  // [short player number] [string level name]
  void serverData(const Block& b) {
    DemoHeader& h = m_t.header;
    h.protocolVersion = b.blockInt32(2);
    h.gameDir = std::string(b.blockString(11, 0));
    int gameDirLength = static_cast<int>(h.gameDir.size());
    h.viewPlayer = b.blockByte(12 + gameDirLength);
    h.mapName = std::string(b.blockString(14 + gameDirLength, 0));
    m_report.statusPanel0 = "Map: " + h.mapName;
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
          setIdentity(slot, text.substr(0, separator), text);
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

  DemoTables& m_t;
  ScanReport& m_report;
  std::int64_t m_blockNumber = 0;
  bool m_tableFullReported = false;
  std::string m_cleaned;  // reused for every message
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
                    const PhrasePack* pack) {
  ScanReport report;
  DemoTables work;
  work.header = tables.header;
  work.scanMarker = kScanMarkerSet;
  {
    ReadGuard guard(observer);
    BlockScanner(work, report).run(file);
  }
  ObituaryAnalysis(work, pack);
  TallyAndRank(work);
  tables = std::move(work);
  return report;
}

void resetPlayers(PlayerTable& players) {
  players = PlayerTable{};
}

}  // namespace

ScanReport DemoScan(DemoTables& tables, const std::string& path, ScanObserver* observer,
                    const PhrasePack* pack) {
  tables.scanMarker = kScanMarkerSet;
  if (path.empty()) {
    resetPlayers(tables.players);
    ObituaryAnalysis(tables, pack);
    TallyAndRank(tables);
    return {};
  }
  DemoFile file(path);
  return scanFile(tables, file, observer, pack);
}

ScanReport DemoScanBytes(DemoTables& tables, std::string_view bytes, ScanObserver* observer,
                         const PhrasePack* pack) {
  tables.scanMarker = kScanMarkerSet;
  DemoFile file(bytes);
  return scanFile(tables, file, observer, pack);
}

}  // namespace obitrak
