#include "scan/ClientDemoScan.h"

#include <string>

namespace obitrak {

namespace {

using namespace protocol;

constexpr int kSweptBlocks = 8;
constexpr char kNameSeparator = '\\';

}  // namespace

ClientDemoScanner::ClientDemoScanner(TableWriter& writer, ScanObserver* observer)
    : m_w(writer), m_t(writer.tables()), m_report(writer.report()), m_observer(observer) {}

void ClientDemoScanner::run(DemoFile& file) {
  readBlocks(file, m_w, m_observer, 0, sizeof(std::int32_t), m_clock,
             [this](const Block& b) { return block(b); });
}

BlockRead ClientDemoScanner::block(const Block& b) {
  MessageCursor c(b);
  if (m_clock.block == 1 && !serverData(b)) return BlockRead::Stop;
  leadingRun(c);
  if (m_clock.block <= kSweptBlocks) earlyBlockSweep(b);
  return BlockRead::Next;
}

// Block 1 begins with the server data message:
// [byte code] [long protocol] [long server count] [byte attract loop] [string game dir]
// [short player number] [string level name]
// Its fields are read where they stand whatever the code, as the game's 3.00 numbered it
// otherwise. False for a protocol that Obitrak cannot read.
bool ClientDemoScanner::serverData(const Block& b) {
  MessageCursor c(b);
  const std::uint8_t code = c.byte();
  DemoHeader& h = m_t.header;
  h.protocolVersion = c.int32();
  if (code == svc_serverdata && clientDemoFormat(h.protocolVersion) == nullptr) {
    m_w.unsupported(h.protocolVersion);
    return false;
  }
  c.skip(4 + 1);
  h.gameDir = std::string(c.string());
  h.viewPlayer = static_cast<std::uint8_t>(c.uint16());  // the low byte of the number
  h.mapName = std::string(c.string());
  m_report.statusPanel0 = "Map: " + h.mapName;
  return true;
}

// The messages at the head of the block, up to the first one of another kind. A message
// cut short by the block's end is taken as far as it goes, but for a layout.
void ClientDemoScanner::leadingRun(MessageCursor& c) {
  while (!c.atEnd()) {
    const std::uint8_t code = c.byte();
    switch (code) {
      case svc_layout: {
        // [byte 4] [string layout]
        const std::string_view text = c.string();
        if (!c.overrun()) m_w.layout(text, m_clock.seconds());
        break;
      }
      case svc_print: {
        // [byte 10] [byte level] [string text]
        const std::uint8_t level = c.byte();
        m_w.addLogRecord(level, c.string(), m_clock.seconds());
        break;
      }
      case svc_configstring: {
        // [byte 13] [uint16 index] [string text]
        const int index = c.uint16();
        configString(index, c.string());
        break;
      }
      default:
        m_frameSeen = m_frameSeen || code == svc_frame;
        return;
    }
  }
}

// A player's config string as it arrives, and the level message and map model that the game
// sends at the start, before the first frame (in the first eight blocks the sweep finds
// them).
void ClientDemoScanner::configString(int index, std::string_view text) {
  const int client = index - m_layout->playerSkins;
  if (client >= 0 && client < kMaxSlots) {
    m_w.playerConfigString(client + 1, text);
    return;
  }
  if (m_frameSeen || m_clock.block <= kSweptBlocks) return;
  if (index == m_layout->levelMessage) m_t.header.levelMessage = std::string(text);
  if (index == m_layout->mapModel) mapModel(text);
}

void ClientDemoScanner::mapModel(std::string_view text) {
  m_t.header.bspName = std::string(text);
  m_report.statusPanel0 += " ( " + m_t.header.bspName + " )";
}

// Blocks 1 to 8 carry the game's start-up config strings wherever a packet put them:
// every byte position is tried for the player, level-message and map-model patterns.
void ClientDemoScanner::earlyBlockSweep(const Block& b) {
  const std::string_view bytes = b.bytes();
  const int last = b.length() - 1;
  for (int p = 1; p <= last; ++p) {
    if (static_cast<std::uint8_t>(bytes[static_cast<std::size_t>(p - 1)]) != svc_configstring) {
      continue;
    }
    const int index = b.blockUint16(p + 1);
    const std::string_view text = b.blockString(p + 3, 0);
    const int client = index - m_layout->playerSkins;
    if (client >= 0 && client < kMaxSlots) {
      const std::size_t separator = text.find(kNameSeparator);
      if (separator != std::string_view::npos) {
        m_w.setIdentity(client + 1, text.substr(0, separator), text);
      }
    }
    if (m_clock.block == 1 && index == m_layout->levelMessage) {
      m_t.header.levelMessage = std::string(text);
    }
    if (index == m_layout->mapModel) mapModel(text);
  }
}

}  // namespace obitrak
