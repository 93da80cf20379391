#include "scan/ServerRecordingScan.h"

#include <string>
#include <utility>

namespace obitrak {

namespace {

using namespace protocol;

constexpr int kCodeMask = (1 << kRecordingCodeBits) - 1;
// Multicasts: to all, to the potentially hearable set, to the potentially visible set;
// the same three again as reliable messages. All but those to all name a leaf.
constexpr int kMulticastTargets = 3;
// Sound flags.
constexpr std::uint8_t kSoundVolume = 1;
constexpr std::uint8_t kSoundAttenuation = 2;
constexpr std::uint8_t kSoundOffset = 16;
constexpr std::uint8_t kSoundIndex16 = 32;

}  // namespace

ServerRecordingScanner::ServerRecordingScanner(TableWriter& writer, ScanObserver* observer)
    : m_w(writer), m_t(writer.tables()), m_observer(observer) {
  m_t.header.serverRecording = true;
}

void ServerRecordingScanner::run(DemoFile& file) {
  readBlocks(file, m_w, m_observer, kServerRecordingMagic.size(), sizeof(std::uint16_t), m_clock,
             [this](const Block& b) { return block(b); });
}

// Every message of the block, in order.
BlockRead ServerRecordingScanner::block(const Block& b) {
  if (!m_unicastPrints.empty()) m_unicastPrints.clear();
  MessageCursor c(b);
  while (!c.atEnd()) {
    const std::uint8_t codeByte = c.byte();
    if (!message(c, codeByte & kCodeMask, codeByte >> kRecordingCodeBits) || c.overrun()) {
      return m_stop ? BlockRead::Stop : BlockRead::Damaged;
    }
  }
  return BlockRead::Next;
}

// One message after its code byte. False when it cannot be decoded.
bool ServerRecordingScanner::message(MessageCursor& c, int code, int extraBits) {
  switch (code) {
    case mvd_nop:
      return true;
    case mvd_serverdata:
      return serverData(c, extraBits);
    case mvd_configstring: {
      // [uint16 index] [string text]
      const int index = c.uint16();
      const std::string_view text = c.string();
      if (index >= m_format.layout->end || c.overrun()) return false;
      configString(index, text, false);
      return true;
    }
    case mvd_frame:
      return skipFrame(c, m_format);
    case mvd_unicast:
    case mvd_unicast_r:
      return toOnePlayer(c, extraBits);
    case mvd_sound:
      return sound(c);
    case mvd_print: {
      // [byte level] [string text]
      const std::uint8_t level = c.byte();
      const std::string_view text = c.string();
      if (c.overrun()) return false;
      m_w.addLogRecord(level, text, m_clock.seconds());
      return true;
    }
    default:
      if (code >= mvd_multicast_all && code <= mvd_multicast_pvs_r) {
        return toManyPlayers(c, code, extraBits);
      }
      return false;
  }
}

// [long protocol] [uint16 minor version] ([uint16 stream flags] for minors 2012 and 2013;
// before them, and in 3038 as q2repro's server writes it, the code's extra bits)
// [long server count] [string game dir] [int16 recording client]
// {[uint16 index] [string text]} [uint16 end of config strings] [baseline frame]
bool ServerRecordingScanner::serverData(MessageCursor& c, int extraBits) {
  const std::int32_t protocol = c.int32();
  const std::uint16_t minor = c.uint16();
  const bool flagsWord = minor >= kRecordingFlagsWordMinor && minor != kRecordingRereleaseMinor;
  const std::uint16_t flags = flagsWord ? c.uint16() : static_cast<std::uint16_t>(extraBits);
  c.skip(4);
  const std::string_view gameDir = c.string();
  const auto recorder = static_cast<std::int16_t>(c.uint16());
  if (c.overrun()) return false;
  if (!m_headerRead) {
    DemoHeader& h = m_t.header;
    h.protocolVersion = protocol;
    h.gameDir = std::string(gameDir);
    // As in a ".dm2", the low byte of the client number.
    h.viewPlayer = static_cast<std::uint8_t>(recorder);
  }
  // Frames of another protocol or version cannot be stepped over: the read ends, and a
  // recording of which nothing was read is unsupported.
  if (protocol != kProtocolRecording || !RecordingFormat::known(minor)) {
    m_w.unsupported(protocol, protocol == kProtocolRecording ? minor : 0, m_headerRead);
    m_stop = true;
    return false;
  }
  m_format = RecordingFormat::of(minor, flags);
  m_recorderClient = recorder;
  if (!configStrings(c)) return false;
  if (!m_headerRead) {
    m_w.report().statusPanel0 = "Map: " + m_t.header.mapName;
    if (!m_t.header.bspName.empty()) {
      m_w.report().statusPanel0 += " ( " + m_t.header.bspName + " )";
    }
  }
  m_headerRead = true;
  return skipFrame(c, m_format);
}

bool ServerRecordingScanner::configStrings(MessageCursor& c) {
  for (;;) {
    const int index = c.uint16();
    if (c.overrun() || index > m_format.layout->end) return false;
    if (index == m_format.layout->end) return true;
    const std::string_view text = c.string();
    if (c.overrun()) return false;
    configString(index, text, !m_headerRead);
  }
}

// The level's name, its map model and the players' config strings; `initial` for those of
// the first level's server data. The recording client is the server's own spectator, not
// a player of the match.
void ServerRecordingScanner::configString(int index, std::string_view text, bool initial) {
  const int client = index - m_format.layout->playerSkins;
  if (client >= 0 && client < kMaxSlots) {
    if (client == m_recorderClient) return;
    m_w.playerConfigString(client + 1, m_format.rerelease ? nameAndSkin(text) : text);
    return;
  }
  if (!initial) return;
  if (index == m_format.layout->levelMessage) {
    m_t.header.mapName = std::string(text);
    m_t.header.levelMessage = std::string(text);
  } else if (index == m_format.layout->mapModel) {
    m_t.header.bspName = std::string(text);
  }
}

// [byte length, extended by the code's extra bits] [byte client] [length bytes of server
// messages to that client]. Layouts, prints, config strings and commands are decoded; at
// any other message the rest is the client's own data and is stepped over.
bool ServerRecordingScanner::toOnePlayer(MessageCursor& c, int extraBits) {
  const int length = c.byte() | (extraBits << 8);
  c.skip(1);  // the client
  const int start = c.position();
  c.skip(length);
  if (c.overrun()) return false;
  const Block inner(c.block().bytes().substr(static_cast<std::size_t>(start - 1),
                                             static_cast<std::size_t>(length)));
  MessageCursor m(inner);
  while (!m.atEnd()) {
    switch (m.byte()) {
      case svc_layout: {
        // [byte 4] [string layout]
        const std::string_view text = m.string();
        if (!m.overrun()) m_w.layout(text, m_clock.seconds());
        break;
      }
      case svc_print: {
        // [byte 10] [byte level] [string text]: to any client, as mods send some death
        // messages to the players concerned only
        const std::uint8_t level = m.byte();
        const std::string_view text = m.string();
        if (!m.overrun()) unicastPrint(level, text);
        break;
      }
      case svc_configstring:
        // [byte 13] [uint16 index] [string text]: the client's own config string
        m.skip(2);
        m.string();
        break;
      case svc_stufftext:
        // [byte 11] [string command]
        m.string();
        break;
      default:
        return !m.overrun();
    }
  }
  return !m.overrun();
}

// A print that the server sent to one client. The same text sent to several clients in the
// same frame (a message to every player of a team, each sent alone) is one message.
void ServerRecordingScanner::unicastPrint(std::uint8_t level, std::string_view text) {
  std::string key(1, static_cast<char>(level));
  key += text;
  if (m_unicastPrints.insert(std::move(key)).second) {
    m_w.addLogRecord(level, text, m_clock.seconds());
  }
}

// [byte length, extended by the code's extra bits] ([uint16 leaf] unless to all)
// [length bytes of server messages]
bool ServerRecordingScanner::toManyPlayers(MessageCursor& c, int code, int extraBits) {
  const int length = c.byte() | (extraBits << 8);
  if ((code - mvd_multicast_all) % kMulticastTargets != 0) c.skip(2);
  c.skip(length);
  return !c.overrun();
}

// [byte flags] [byte or uint16 sound] ([byte volume]) ([byte attenuation]) ([byte offset])
// [uint16 entity and channel]
bool ServerRecordingScanner::sound(MessageCursor& c) {
  const std::uint8_t flags = c.byte();
  c.skip(m_format.extendedLimits && (flags & kSoundIndex16) ? 2 : 1);
  if (flags & kSoundVolume) c.skip(1);
  if (flags & kSoundAttenuation) c.skip(1);
  if (flags & kSoundOffset) c.skip(1);
  c.skip(2);
  return !c.overrun();
}

}  // namespace obitrak
