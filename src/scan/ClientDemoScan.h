#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "scan/BlockLoop.h"
#include "scan/MessageCursor.h"
#include "scan/Quake2Protocol.h"

namespace obitrak {

// The reader of a client demo (".dm2") of the original game, of Q2PRO's extended protocol
// and of the 2023 re-release: the server data of block 1, then a light scan of each
// block's leading messages, the reliable ones a server puts before a frame: prints (the
// re-release's localised ones too), config strings (one by one or in compressed blasts),
// layouts. The level message and the map model are taken where the game sent them before
// the first frame; the demos of the original game also have their first eight blocks swept
// for the start-up config strings wherever a packet put them.
class ClientDemoScanner {
 public:
  ClientDemoScanner(TableWriter& writer, ScanObserver* observer);

  void run(DemoFile& file);

 private:
  BlockRead block(const Block& b);
  bool serverData(MessageCursor& c);
  void rereleaseServerData(MessageCursor& c);
  void leadingRun(MessageCursor& c);
  bool rereleaseMessage(MessageCursor& c, std::uint8_t code);
  bool configBlast(MessageCursor& c);
  void localisedPrint(MessageCursor& c);
  void configString(int index, std::string_view text);
  void mapModel(std::string_view text);
  void earlyBlockSweep(const Block& b);

  TableWriter& m_w;
  DemoTables& m_t;
  ScanReport& m_report;
  ScanObserver* m_observer;
  BlockClock m_clock;
  protocol::DemoFamily m_family = protocol::DemoFamily::Original;
  const protocol::ConfigStringLayout* m_layout = &protocol::kOriginalLayout;
  std::uint64_t m_leadingCodes;        // the message codes a leading run decodes, one bit each
  bool m_frameSeen = false;            // a leading run has met a frame: the start-up is over
  std::vector<unsigned char> m_blast;  // the inflated config strings of a blast
};

}  // namespace obitrak
