#pragma once

#include <cstdint>
#include <string_view>

#include "scan/BlockLoop.h"
#include "scan/MessageCursor.h"
#include "scan/Quake2Protocol.h"

namespace obitrak {

// The reader of a client demo (".dm2"): the server data of block 1, then a light scan of
// each block's leading messages, the reliable ones a server puts before a frame: prints,
// config strings, layouts. The level message and the map model are taken where the game
// sent them before the first frame; the demos of the original game also have their first
// eight blocks swept for the start-up config strings wherever a packet put them.
class ClientDemoScanner {
 public:
  ClientDemoScanner(TableWriter& writer, ScanObserver* observer);

  void run(DemoFile& file);

 private:
  BlockRead block(const Block& b);
  bool serverData(const Block& b);
  void leadingRun(MessageCursor& c);
  void configString(int index, std::string_view text);
  void mapModel(std::string_view text);
  void earlyBlockSweep(const Block& b);

  TableWriter& m_w;
  DemoTables& m_t;
  ScanReport& m_report;
  ScanObserver* m_observer;
  BlockClock m_clock;
  const protocol::ConfigStringLayout* m_layout = &protocol::kOriginalLayout;
  bool m_frameSeen = false;  // a leading run has met a frame: the start-up is over
};

}  // namespace obitrak
