#include "scan/ClientDemoScan.h"

#include <zlib.h>

#include <string>

#include "scan/RereleaseDeaths.h"

namespace obitrak {

namespace {

using namespace protocol;

constexpr int kSweptBlocks = 8;
constexpr char kNameSeparator = '\\';
constexpr std::int16_t kSplitScreen = -2;  // a player number followed by the split screen's

constexpr std::uint64_t codes(std::initializer_list<std::uint8_t> list) {
  std::uint64_t bits = 0;
  for (std::uint8_t code : list) bits |= std::uint64_t{1} << code;
  return bits;
}

// The messages a leading run decodes in each family's demos.
constexpr std::uint64_t kOriginalCodes = codes({svc_layout, svc_print, svc_configstring});
constexpr std::uint64_t kExtendedCodes =
    kOriginalCodes | codes({svc_nop, svc_stufftext, svc_centerprint});
constexpr std::uint64_t kRereleaseCodes =
    kExtendedCodes |
    codes({svc_splitclient, svc_configblast, svc_spawnbaselineblast, svc_locprint});

}  // namespace

ClientDemoScanner::ClientDemoScanner(TableWriter& writer, ScanObserver* observer)
    : m_w(writer),
      m_t(writer.tables()),
      m_report(writer.report()),
      m_observer(observer),
      m_leadingCodes(kOriginalCodes) {}

void ClientDemoScanner::run(DemoFile& file) {
  // The newer engines' blocks may be larger than the original's: the first block's server
  // data say which protocol the demo is of before the block is read.
  // [long length] [byte code] [long protocol]
  const std::string_view head = file.peek(9);
  const Block first(head.substr(std::min<std::size_t>(head.size(), 4)));
  const ClientDemoFormat* format = clientDemoFormat(first.blockInt32(2));
  if (first.blockByte(1) == svc_serverdata && format != nullptr) {
    file.setMaxBlockLength(format->maxBlockLength);
  }
  readBlocks(file, m_w, m_observer, 0, sizeof(std::int32_t), m_clock,
             [this](const Block& b) { return block(b); });
}

BlockRead ClientDemoScanner::block(const Block& b) {
  MessageCursor c(b);
  if (m_clock.block == 1 && !serverData(c)) return BlockRead::Stop;
  leadingRun(c);
  if (m_family == DemoFamily::Original && m_clock.block <= kSweptBlocks) earlyBlockSweep(b);
  return BlockRead::Next;
}

// Block 1 begins with the server data message:
// [byte code] [long protocol] [long server count] [byte attract loop] [string game dir]
// [short player number] [string level name]
// In an original demo its fields are read where they stand whatever the code, as the
// game's 3.00 numbered it otherwise, and the leading run starts at the block's head; in the
// newer ones the leading run starts after it. False for a protocol Obitrak cannot read.
bool ClientDemoScanner::serverData(MessageCursor& c) {
  const std::uint8_t code = c.byte();
  DemoHeader& h = m_t.header;
  h.protocolVersion = c.int32();
  const ClientDemoFormat* format = clientDemoFormat(h.protocolVersion);
  if (code == svc_serverdata && format == nullptr) {
    m_w.unsupported(h.protocolVersion);
    return false;
  }
  if (code == svc_serverdata && format != nullptr) {
    m_family = format->family;
    m_layout = format->layout;
  }
  if (m_family == DemoFamily::Rerelease) {
    rereleaseServerData(c);
  } else {
    c.skip(4 + 1);
    h.gameDir = std::string(c.string());
    h.viewPlayer = static_cast<std::uint8_t>(c.uint16());  // the low byte of the number
    h.mapName = std::string(c.string());
  }
  // A first block whose server data are not whole (its strings run past its end) makes a
  // file of another kind: a text or a picture renamed, say.
  if (c.overrun()) m_report.notADemo = true;
  m_report.statusPanel0 = "Map: " + h.mapName;
  if (m_family == DemoFamily::Original) c.restart();
  m_leadingCodes = m_family == DemoFamily::Original   ? kOriginalCodes
                   : m_family == DemoFamily::Extended ? kExtendedCodes
                                                      : kRereleaseCodes;
  return true;
}

// The re-release's server data after the protocol:
// [long spawn count] [byte demo type] [byte tick rate] [string game dir]
// [short player number, or -2 [short count] [count shorts: the split screen's players]]
// [string level name]
// Its blocks are its ticks; its kills are counted under its own weapons.
void ClientDemoScanner::rereleaseServerData(MessageCursor& c) {
  DemoHeader& h = m_t.header;
  c.skip(4 + 1);
  const int ticks = c.byte();
  if (ticks > 0) m_clock.ticksPerSecond = ticks;
  h.gameDir = std::string(c.string());
  auto player = static_cast<std::int16_t>(c.uint16());
  if (player == kSplitScreen) {
    const int count = c.uint16();
    player = static_cast<std::int16_t>(c.uint16());
    if (count > 1) c.skip(2 * (count - 1));
  }
  h.viewPlayer = static_cast<std::uint8_t>(player);
  h.mapName = std::string(c.string());
  m_t.weapons = rereleaseWeapons();
}

// The messages at the head of the block, up to the first one of another kind. A message
// cut short by the block's end is taken as far as it goes, but for a layout.
void ClientDemoScanner::leadingRun(MessageCursor& c) {
  while (!c.atEnd()) {
    const std::uint8_t code = c.byte();
    if (code >= 64 || (m_leadingCodes & (std::uint64_t{1} << code)) == 0) {
      m_frameSeen = m_frameSeen || code == svc_frame;
      return;
    }
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
      case svc_nop:
        // [byte 6]
        break;
      case svc_stufftext:
      case svc_centerprint:
        // [byte 11 or 15] [string text]
        c.string();
        break;
      default:
        if (!rereleaseMessage(c, code)) return;
    }
  }
}

// The re-release's own messages of a leading run. False where the run ends.
bool ClientDemoScanner::rereleaseMessage(MessageCursor& c, std::uint8_t code) {
  switch (code) {
    case svc_splitclient:
      // [byte 21] [byte split screen player]
      c.skip(1);
      return true;
    case svc_configblast:
      // [byte 22] [uint16 compressed size] [uint16 size] [zlib data of
      // {[uint16 index] [string text]} up to its end]
      return configBlast(c);
    case svc_spawnbaselineblast: {
      // [byte 23] [uint16 compressed size] [uint16 size] [zlib data of baselines]
      const int size = c.uint16();
      c.skip(2 + size);
      return true;
    }
    case svc_locprint:
      // [byte 26] [byte flags] [string base] [byte count] [count strings: arguments]
      localisedPrint(c);
      return true;
    default:
      return false;
  }
}

bool ClientDemoScanner::configBlast(MessageCursor& c) {
  const int compressed = c.uint16();
  const int size = c.uint16();
  const int start = c.position();
  c.skip(compressed);
  if (c.overrun()) return false;
  m_blast.resize(static_cast<std::size_t>(size));
  uLongf inflated = static_cast<uLongf>(size);
  const auto* data = reinterpret_cast<const Bytef*>(c.block().bytes().data() + start - 1);
  if (uncompress(m_blast.data(), &inflated, data, static_cast<uLong>(compressed)) != Z_OK) {
    return false;
  }
  const std::string_view bytes(reinterpret_cast<const char*>(m_blast.data()), inflated);
  const Block strings(bytes);
  MessageCursor s(strings);
  while (!s.atEnd()) {
    const int index = s.uint16();
    configString(index, s.string());
  }
  return true;
}

// A death message is resolved here, from its key; any other print is logged as its words.
void ClientDemoScanner::localisedPrint(MessageCursor& c) {
  LocalisedPrint print;
  print.flags = c.byte();
  print.base = c.string();
  const int count = c.byte();
  for (int i = 0; i < count; ++i) {
    const std::string_view argument = c.string();
    if (i < LocalisedPrint::kMaxArguments) {
      print.arguments[static_cast<std::size_t>(i)] = argument;
      print.argumentCount = i + 1;
    }
  }
  const LocalisedText said = localise(print, m_t.players);
  const auto level = static_cast<std::uint8_t>(print.flags & kPrintLevelMask);
  if (said.death) {
    m_w.addResolvedDeath(level, said.text, m_clock.seconds(),
                         {said.victim, said.killer, said.weapon});
  } else {
    m_w.addLogRecord(level, said.text, m_clock.seconds());
  }
}

// A player's config string as it arrives, and the level message and map model that the game
// sends at the start, before the first frame (in the first eight blocks of an original demo
// the sweep finds them).
void ClientDemoScanner::configString(int index, std::string_view text) {
  const int client = index - m_layout->playerSkins;
  if (client >= 0 && client < kMaxSlots) {
    m_w.playerConfigString(client + 1,
                           m_family == DemoFamily::Rerelease ? nameAndSkin(text) : text);
    return;
  }
  if (m_frameSeen || (m_family == DemoFamily::Original && m_clock.block <= kSweptBlocks)) return;
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
