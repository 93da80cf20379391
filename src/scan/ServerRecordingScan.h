#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

#include "scan/BlockLoop.h"
#include "scan/RecordingFrame.h"

namespace obitrak {

// The first four bytes of a server's multi-view recording (".mvd2").
inline constexpr std::string_view kServerRecordingMagic(protocol::kRecordingMagic.data(),
                                                        protocol::kRecordingMagic.size());

// The reader of a server's multi-view recording. Each of its messages carries one server
// frame (ten a second): the reliable messages of the frame (config strings, prints, the
// messages sent to one player), the frame's player states and entities, then the
// unreliable ones. The reader decodes every message of every block, steps over the frame
// data, and fills the tables as the reader of a ".dm2" does: the header from the server
// data, the players from their config strings, every print message (those sent to all and
// those sent to single clients), and the layouts sent to the players. A server recording has
// no recording player: the header says so.
//
// A block whose messages cannot be decoded (an unknown code, a field past its end) ends
// the read with the notice "BAD BLOCK. READING STOPPED.", as the engine's own reader stops;
// server data of a protocol or version that Obitrak cannot read end it as unsupported.
class ServerRecordingScanner {
 public:
  ServerRecordingScanner(TableWriter& writer, ScanObserver* observer);

  // Reads `file`, whose magic readAsServerRecording() has already stepped over.
  void run(DemoFile& file);

 private:
  BlockRead block(const Block& b);
  bool message(MessageCursor& c, int code, int extraBits);
  bool serverData(MessageCursor& c, int extraBits);
  bool configStrings(MessageCursor& c);
  void configString(int index, std::string_view text, bool initial);
  bool toOnePlayer(MessageCursor& c, int extraBits);
  void unicastPrint(std::uint8_t level, std::string_view text);
  bool toManyPlayers(MessageCursor& c, int code, int extraBits);
  bool sound(MessageCursor& c);

  TableWriter& m_w;
  DemoTables& m_t;
  ScanObserver* m_observer;
  RecordingFormat m_format;
  BlockClock m_clock;
  int m_recorderClient = -1;  // the server's own recording client, -1 for none
  bool m_headerRead = false;  // the first level's server data was read
  bool m_stop = false;        // server data that end the read
  std::unordered_set<std::string> m_unicastPrints;  // level and text of this frame's
};

}  // namespace obitrak
