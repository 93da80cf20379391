#include "scan/DemoScan.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "scan/Block.h"
#include "scan/DemoFile.h"
#include "scan/ObituaryAnalysis.h"
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
// How often a window watching the scan hears how far it got.
constexpr std::int64_t kProgressBlocks = 2048;

constexpr char kNameSeparator = '\\';
constexpr std::size_t kUnkeptBatch = 4096;

// The kills of the obituaries that come after the message log is full. They are gathered
// in small batches, each analysed against the players known at that point, and their
// counts kept here until they join the KillMatrix of the kept log.
class UnkeptKills {
 public:
  explicit UnkeptKills(const PhrasePack* pack) : m_pack(pack) {}

  void add(std::uint8_t level, std::string_view text, const PlayerTable& players) {
    m_batch.add(level, text, 0);
    if (m_batch.size() >= kUnkeptBatch) flush(players);
  }

  void flush(const PlayerTable& players) {
    if (m_batch.size() == 0) return;
    DemoTables batch;
    batch.players = players;
    batch.log = std::move(m_batch);
    batch.log.logCount = static_cast<std::uint32_t>(batch.log.size());
    m_batch = MessageLog();
    ObituaryAnalysis(batch, m_pack);
    addCounts(batch.killMatrix, m_counts);
  }

  // Adds the gathered counts to `km`, saturating.
  void addTo(KillMatrix& km) const { addCounts(m_counts, km); }

 private:
  static void addCounts(const KillMatrix& from, KillMatrix& to) {
    for (int v = 1; v <= kMaxSlots; ++v) {
      for (int k = 1; k <= kMaxSlots; ++k) {
        for (int w = 0; w < kWeaponIndices; ++w) {
          const std::uint64_t n = from(v, k, w);
          if (n == 0) continue;
          std::uint32_t& cell = to(v, k, w);
          cell = static_cast<std::uint32_t>(std::min<std::uint64_t>(cell + n, UINT32_MAX));
        }
      }
    }
  }

  const PhrasePack* m_pack;
  MessageLog m_batch;
  KillMatrix m_counts;
};

class BlockScanner {
 public:
  BlockScanner(DemoTables& tables, ScanReport& report, UnkeptKills& unkept, ScanObserver* observer)
      : m_t(tables), m_report(report), m_unkept(unkept), m_observer(observer) {}

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
      m_bytesRead += body.size() + sizeof(std::int32_t);
      if (m_observer != nullptr && m_blockNumber % kProgressBlocks == 0) {
        m_observer->readProgress(m_bytesRead);
      }
      Block block(body);
      leadingRun(block);
      if (m_blockNumber == 1) serverData(block);
      if (m_blockNumber <= kSweptBlocks) earlyBlockSweep(block);
    }
    m_t.header.duration =
        static_cast<std::int32_t>(std::min<std::int64_t>(m_blockNumber / 10, INT32_MAX));
    m_t.log.logCount = static_cast<std::uint32_t>(m_t.log.size());
    m_unkept.flush(m_t.players);
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

  // Log texts keep only 7-bit characters: 128 is taken from every higher code. Past the
  // log's limits only obituaries are looked at, for their kills.
  void addLogRecord(std::uint8_t level, std::string_view text) {
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    const bool keep = m_t.log.hasRoomFor(text.size());
    if (!keep) {
      if (!m_logFullReported) {
        m_logFullReported = true;
        notice(kNoticeMessageLogFull);
      }
      if (level != 1) return;
    }
    m_cleaned.assign(text);
    for (char& c : m_cleaned) c = static_cast<char>(static_cast<unsigned char>(c) & 0x7F);
    if (keep) {
      m_t.log.add(level, m_cleaned, blockTime());
    } else {
      m_unkept.add(level, m_cleaned, m_t.players);
    }
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
  UnkeptKills& m_unkept;
  ScanObserver* m_observer;
  std::uint64_t m_bytesRead = 0;
  std::int64_t m_blockNumber = 0;
  bool m_tableFullReported = false;
  bool m_logFullReported = false;
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
  work.header.serverRecording = false;  // a reader of server recordings says so itself
  work.scanMarker = kScanMarkerSet;
  work.log.setLimits(tables.log.limits());
  UnkeptKills unkept(pack);
  {
    ReadGuard guard(observer);
    BlockScanner(work, report, unkept, observer).run(file);
  }
  ObituaryAnalysis(work, pack);
  unkept.addTo(work.killMatrix);
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

ScanReport DemoScanOpened(DemoTables& tables, FileHandle file, const std::string& path,
                          ScanObserver* observer, const PhrasePack* pack) {
  tables.scanMarker = kScanMarkerSet;
  DemoFile demo(std::move(file), path);
  return scanFile(tables, demo, observer, pack);
}

ScanReport DemoScanBytes(DemoTables& tables, std::string_view bytes, ScanObserver* observer,
                         const PhrasePack* pack) {
  tables.scanMarker = kScanMarkerSet;
  DemoFile file(bytes);
  return scanFile(tables, file, observer, pack);
}

}  // namespace obitrak
