#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "scan/Block.h"
#include "scan/DemoFile.h"
#include "scan/DemoScan.h"
#include "scan/DemoTables.h"
#include "scan/PackChoice.h"

namespace obitrak {

// The kills of the obituaries that come after the message log is full. They are gathered
// in small batches, each analysed against the players known at that point with the pack
// that counts the demo, and their counts kept here until they join the kill counters of the
// kept log.
class UnkeptKills {
 public:
  void add(std::uint8_t level, std::string_view text, const PlayerTable& players,
           const PhrasePack* pack);
  void flush(const PlayerTable& players, const PhrasePack* pack);
  // Adds the gathered counts to those of `tables`, saturating.
  void addTo(DemoTables& tables) const;

 private:
  MessageLog m_batch;
  KillMatrix m_counts;
  HitLocationKills m_hitLocations;
  std::array<std::int64_t, kMaxSlots + 1> m_scoreBonus{};
};

// What every reader of a demo format hands to the tables: notices, print messages, player
// config strings and layouts, each taken the same way whatever the file's format.
class TableWriter {
 public:
  TableWriter(DemoTables& tables, ScanReport& report, const PackChoice& choice)
      : m_t(tables), m_report(report), m_choice(choice) {}

  DemoTables& tables() { return m_t; }
  ScanReport& report() { return m_report; }

  void notice(std::string_view text);

  // A print message at `time`. Log texts keep only 7-bit characters: 128 is taken from
  // every higher code. Past the log's limits only obituaries are looked at, for their kills.
  void addLogRecord(std::uint8_t level, std::string_view text, std::int32_t time);

  // A player config string as it arrives during the game. A different name for an occupied
  // slot moves the slot's earlier identity to the first free slot, so every name keeps its
  // own record and score. An empty text changes nothing.
  void playerConfigString(int slot, std::string_view text);

  // Writes the name (the text before its first backslash) and the skin of `slot`.
  void setIdentity(int slot, std::string_view name, std::string_view text);

  // A layout the server sent at `time`. A deathmatch or CTF scoreboard whose every entry is
  // well formed becomes the tables' scoreboard, named through the player table as it is
  // now; any other layout is ignored.
  void layout(std::string_view text, std::int32_t time);

  // Ends the read: the log count is set and the kills past the log are counted.
  void endRead();
  // Adds the kills past the log to the counters of the analysed log.
  void addUnkeptKills() { m_unkept.addTo(m_t); }

  // The pack that counts the demo: chosen by the game directory that the server data gave.
  const PhrasePack* pack() const { return m_choice.packFor(m_t.header.gameDir); }

 private:
  DemoTables& m_t;
  ScanReport& m_report;
  const PackChoice& m_choice;
  UnkeptKills m_unkept;
  bool m_tableFullReported = false;
  bool m_logFullReported = false;
  std::string m_cleaned;  // reused for every message
};

// The seconds of block `blockNumber`: a block is a tenth of a second of the game.
inline std::int32_t blockSeconds(std::int64_t blockNumber) {
  return static_cast<std::int32_t>(std::min<std::int64_t>(blockNumber / 10, INT32_MAX));
}

// The longest message any Quake 2 engine sends; a first block longer than the game allows
// but not than this is a demo of a later engine, not a file of another kind.
inline constexpr std::int32_t kMaxEngineMessageLength = 0x10000;

// Whether the first length field of a file, read as `next`, shows that it is no demo.
inline bool startsNoDemo(DemoFile::Next next, const DemoFile& file) {
  if (next == DemoFile::Next::Block) return false;
  return next != DemoFile::Next::Oversized || file.lastLength() > kMaxEngineMessageLength;
}

// The read loop of every format. Each whole block of `file` goes to `onBlock` with
// `blockNumber` counting it from 1; the end marker counts as a block, the end of the file
// does not. A damaged or cut-off block, or one that `onBlock` cannot decode (it returns
// false), ends the read with the notice of a bad or incomplete block; what was read stays.
// `bytesRead` is where the blocks start, `lengthBytes` the size of a block's length field.
// The observer hears the progress every 2048 blocks. Ends with the duration and the end of
// the read.
template <typename OnBlock>
void readBlocks(DemoFile& file, TableWriter& writer, ScanObserver* observer,
                std::uint64_t bytesRead, std::size_t lengthBytes, std::int64_t& blockNumber,
                OnBlock onBlock) {
  constexpr std::int64_t kProgressBlocks = 2048;
  std::string_view body;
  for (;;) {
    const DemoFile::Next next = file.next(body);
    if (blockNumber == 0 && startsNoDemo(next, file)) writer.report().notADemo = true;
    if (next == DemoFile::Next::EndOfFile) break;
    ++blockNumber;
    if (next == DemoFile::Next::EndMarker) break;
    if (next == DemoFile::Next::Oversized || next == DemoFile::Next::Negative) {
      writer.notice(kNoticeBadBlock);
      break;
    }
    if (next == DemoFile::Next::Incomplete) {
      writer.notice(kNoticeIncompleteBlock);
      break;
    }
    bytesRead += body.size() + lengthBytes;
    if (observer != nullptr && blockNumber % kProgressBlocks == 0) {
      observer->readProgress(bytesRead);
    }
    if (!onBlock(Block(body))) {
      writer.notice(kNoticeBadBlock);
      break;
    }
  }
  writer.tables().header.duration = blockSeconds(blockNumber);
  writer.endRead();
}

}  // namespace obitrak
