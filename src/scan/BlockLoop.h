#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "scan/Block.h"
#include "scan/DemoFile.h"
#include "scan/DemoScan.h"
#include "scan/TableWriter.h"

namespace obitrak {

// Counts the blocks of a demo and tells the time of the current one: ten blocks a second,
// as the original game sends them, or the tick rate that a demo's server data gives.
struct BlockClock {
  static constexpr int kBlocksPerSecond = 10;

  std::int64_t block = 0;  // the current block, counted from 1
  int ticksPerSecond = kBlocksPerSecond;

  std::int32_t seconds() const {
    return static_cast<std::int32_t>(std::min<std::int64_t>(block / ticksPerSecond, INT32_MAX));
  }
};

// The longest message any Quake 2 engine sends; a first block longer than its format allows
// but not than this is a demo of a later engine, not a file of another kind.
inline constexpr std::int32_t kMaxEngineMessageLength = 0x10000;

// Whether the first length field of a file, read as `next`, shows that it is no demo.
inline bool startsNoDemo(DemoFile::Next next, const DemoFile& file) {
  if (next == DemoFile::Next::Block) return false;
  return next != DemoFile::Next::Oversized || file.lastLength() > kMaxEngineMessageLength;
}

// What a reader made of a block.
enum class BlockRead {
  Next,     // go on with the next block
  Damaged,  // the block cannot be decoded: the read ends with the notice of a bad block
  Stop,     // the reader has said why the read ends
};

// The read loop of every format. Each whole block of `file` goes to `onBlock`, with `clock`
// counting it from 1; the end marker counts as a block, the end of the file does not. A
// damaged or cut-off block, or one that `onBlock` cannot decode, ends the read with the
// notice of a bad or incomplete block, or of damaged gzip data; what was read stays.
// `bytesRead` is where the blocks start, `lengthBytes` the size of a block's length field.
// The observer hears the progress every 2048 blocks. Ends with the duration and the end of
// the read.
template <typename OnBlock>
void readBlocks(DemoFile& file, TableWriter& writer, ScanObserver* observer,
                std::uint64_t bytesRead, std::size_t lengthBytes, BlockClock& clock,
                OnBlock onBlock) {
  constexpr std::int64_t kProgressBlocks = 2048;
  std::string_view body;
  for (;;) {
    const DemoFile::Next next = file.next(body);
    if (clock.block == 0 && startsNoDemo(next, file)) writer.report().notADemo = true;
    if (next != DemoFile::Next::EndOfFile) ++clock.block;
    if (next == DemoFile::Next::EndOfFile || next == DemoFile::Next::EndMarker) {
      file.checkArchiveEnd();
      break;
    }
    if (next == DemoFile::Next::Oversized || next == DemoFile::Next::Negative) {
      writer.notice(kNoticeBadBlock);
      break;
    }
    if (next == DemoFile::Next::Incomplete) {
      if (!file.damaged()) writer.notice(kNoticeIncompleteBlock);
      break;
    }
    bytesRead += body.size() + lengthBytes;
    if (observer != nullptr && clock.block % kProgressBlocks == 0) {
      observer->readProgress(bytesRead);
    }
    const BlockRead read = onBlock(Block(body));
    if (read == BlockRead::Damaged) writer.notice(kNoticeBadBlock);
    if (read != BlockRead::Next) break;
  }
  if (file.damaged()) writer.notice(kNoticeDamagedArchive);
  writer.tables().header.duration = clock.seconds();
  writer.endRead();
}

}  // namespace obitrak
