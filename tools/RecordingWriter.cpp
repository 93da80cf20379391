#include "RecordingWriter.h"

#include <bit>

namespace obitrak::tools {

namespace {

using namespace protocol;

constexpr std::uint64_t bit(int n) {
  return std::uint64_t{1} << n;
}

}  // namespace

// "name\skin", and the re-release's game adds "\dogtag".
std::string RecordingWriter::playerText(std::string_view name, std::string_view skin) const {
  std::string text = std::string(name) + '\\' + std::string(skin);
  if (m_format.rerelease()) text += "\\default";
  return text;
}

RecordingWriter::RecordingWriter() : m_file(kRecordingMagic.begin(), kRecordingMagic.end()) {}

RecordingWriter& RecordingWriter::serverData(std::string_view gameDir, int recordingClient,
                                             std::string_view levelName, std::string_view mapModel,
                                             Format format) {
  m_format = format;
  byte(static_cast<std::uint8_t>(mvd_serverdata |
                                 (format.flagsWord() ? 0 : format.flags << kRecordingCodeBits)));
  int32(kProtocolRecording);
  int16(format.minor);
  if (format.flagsWord()) int16(format.flags);
  int32(0x1234);
  string(gameDir);
  int16(static_cast<std::uint16_t>(recordingClient));
  int16(format.layout().levelMessage);
  string(levelName);
  int16(format.layout().mapModel);
  return string(mapModel);
}

RecordingWriter& RecordingWriter::initialPlayer(int client, std::string_view name,
                                                std::string_view skin) {
  int16(static_cast<std::uint16_t>(m_format.layout().playerSkins + client));
  return string(playerText(name, skin));
}

RecordingWriter& RecordingWriter::endServerData() {
  int16(m_format.layout().end);
  frameBody(7);
  return *this;
}

RecordingWriter& RecordingWriter::configString(std::uint16_t index, std::string_view text) {
  byte(mvd_configstring);
  int16(index);
  return string(text);
}

RecordingWriter& RecordingWriter::player(int client, std::string_view name, std::string_view skin) {
  return configString(static_cast<std::uint16_t>(m_format.layout().playerSkins + client),
                      playerText(name, skin));
}

RecordingWriter& RecordingWriter::print(std::uint8_t level, std::string_view text) {
  byte(mvd_print);
  byte(level);
  return string(text);
}

RecordingWriter& RecordingWriter::unicastPrint(int client, std::uint8_t level,
                                               std::string_view text, bool reliable) {
  const std::size_t length = text.size() + 3;
  byte(static_cast<std::uint8_t>((reliable ? mvd_unicast_r : mvd_unicast) |
                                 (length >> 8 << kRecordingCodeBits)));
  byte(static_cast<std::uint8_t>(length & 0xFF));
  byte(static_cast<std::uint8_t>(client));
  byte(svc_print);
  byte(level);
  return string(text);
}

RecordingWriter& RecordingWriter::unicastLayout(int client, std::string_view text, bool reliable) {
  const std::size_t length = text.size() + 2;
  byte(static_cast<std::uint8_t>((reliable ? mvd_unicast_r : mvd_unicast) |
                                 (length >> 8 << kRecordingCodeBits)));
  byte(static_cast<std::uint8_t>(length & 0xFF));
  byte(static_cast<std::uint8_t>(client));
  byte(svc_layout);
  return string(text);
}

RecordingWriter& RecordingWriter::multicast(std::size_t size) {
  byte(static_cast<std::uint8_t>(mvd_multicast_pvs | (size >> 8 << kRecordingCodeBits)));
  byte(static_cast<std::uint8_t>(size & 0xFF));
  int16(77);  // leaf
  return raw(std::string(size, '\x03'));
}

RecordingWriter& RecordingWriter::sound() {
  byte(mvd_sound);
  byte(1 | 2 | 16);  // volume, attenuation, offset
  byte(12);          // sound index
  byte(255);
  byte(64);
  byte(0);
  return int16(5 << 3 | 2);  // entity 5, channel 2
}

// A coordinate that the extended format sends as 15 or 23 bits (low bit set), and the
// re-release's as a float.
void RecordingWriter::coordinate(std::uint32_t seed) {
  if (m_format.rerelease()) {
    int32(static_cast<std::int32_t>(seed * 2654435761u));
    return;
  }
  if (!m_format.extended2()) {
    int16(static_cast<std::uint16_t>(seed));
    return;
  }
  int16(static_cast<std::uint16_t>(seed | 1));
  byte(static_cast<std::uint8_t>(seed >> 3));
}

void RecordingWriter::playerState(int client, std::uint32_t seed) {
  // origin, its height, view angles, stats; odd seeds also kick angles, blend, weapon, gun
  std::uint32_t bits = 1u << 1 | 1u << 2 | 1u << 4 | 1u << 14;
  if (seed & 1) bits |= 1u << 6 | 1u << 7 | 1u << 9 | 1u << 11 | 1u << 0 | 1u << 8;
  byte(static_cast<std::uint8_t>(client));
  int16(static_cast<std::uint16_t>(bits));
  if (bits & 1) byte(2);
  coordinate(seed);
  coordinate(seed + 1);
  coordinate(seed + 2);
  int32(static_cast<std::int32_t>(seed * 77));  // view angles
  // kick angles and gun offset: three bytes, or three 16-bit numbers in the re-release's
  const std::string_view triple =
      m_format.rerelease() ? "\x01\x02\x03\x04\x05\x06" : "\x01\x02\x03";
  if (bits & bit(6)) raw(triple);
  if (bits & bit(9)) m_format.wide() ? int16(300) : byte(3);
  if (bits & bit(11)) raw(triple);
  if (bits & bit(7)) {
    if (m_format.extended2() || m_format.rerelease()) {
      byte(0x11);
      raw("\x07\x08");
    } else {
      raw("\x07\x08\x09\x0A");
    }
  }
  if (bits & bit(8)) byte(90);
  // Three stats: a 32-bit mask, or in the extended format a mask of 64 sent seven bits a
  // byte, in the re-release's a 64-bit one; then their values.
  if (m_format.rerelease()) {
    int32(static_cast<std::int32_t>(bit(1) | bit(3)));
    int32(static_cast<std::int32_t>(bit(40 - 32)));
  } else if (m_format.extended2()) {
    for (std::uint64_t mask = bit(1) | bit(3) | bit(40); mask != 0; mask >>= 7) {
      byte(static_cast<std::uint8_t>((mask & 0x7F) | (mask > 0x7F ? 0x80 : 0)));
    }
  } else {
    int32(static_cast<std::int32_t>(bit(1) | bit(3) | bit(31)));
  }
  raw(std::string_view("\x01\x00\x02\x00\x03\x00", 6));
}

void RecordingWriter::entity(int number, std::uint32_t seed) {
  std::uint64_t bits = bit(0) | bit(1) | bit(2);  // origin x and y, angle 2
  if (seed & 1) {
    bits |= bit(7) | bit(15) | bit(23) | bit(11) | bit(17) | bit(16) | bit(25) | bit(26) | bit(27) |
            bit(5) | bit(24) | bit(14);
    if (m_format.wide()) bits |= bit(31) | bit(28) | bit(30) | bit(32) | bit(33);
  }
  if (number > 255) bits |= bit(8) | bit(7);
  if (bits > 0xFF) bits |= bit(7);
  if (bits > 0xFFFF) bits |= bit(15);
  if (bits > 0xFFFFFF) bits |= bit(23);
  for (int i = 0; i == 0 || (bits >> (8 * i)) != 0; ++i) {
    byte(static_cast<std::uint8_t>(bits >> (8 * i)));
  }
  if (bits & bit(8)) {
    int16(static_cast<std::uint16_t>(number));
  } else {
    byte(static_cast<std::uint8_t>(number));
  }
  const bool model16 = m_format.wide() && (bits & bit(28));
  if (bits & bit(11)) model16 ? int16(4000) : byte(4);
  if (bits & bit(17)) int16(512);
  if (bits & bit(16)) int32(0x01020304);  // skin: both size bits, 32 bits
  if (bits & bit(14)) byte(1);            // effects, 8 bits
  coordinate(seed);
  coordinate(seed + 5);
  byte(33);  // angle 2
  if (bits & bit(24)) {
    coordinate(1);
    coordinate(2);
    coordinate(3);
  }
  if (bits & bit(26)) {
    if (m_format.wide()) {
      int16(0x4000 | 0x8000 | 17);
      raw("\x40\x41");
    } else {
      byte(17);
    }
  }
  if (bits & bit(5)) byte(1);
  if (bits & bit(27)) m_format.wide() ? int32(0x10203) : int16(0x203);
  if (m_format.wide() && (bits & bit(31))) {
    int16(0x0102);  // more effects, 16 bits
    byte(128);      // alpha
    byte(16);       // scale
  }
}

RecordingWriter& RecordingWriter::frame(std::uint32_t seed) {
  byte(mvd_frame);
  frameBody(seed);
  return *this;
}

void RecordingWriter::frameBody(std::uint32_t seed) {
  byte(2);
  raw("\xFF\x0F");  // portal bits
  for (int client = 0; client < 3; ++client)
    playerState(client, seed + static_cast<std::uint32_t>(client));
  byte(255);
  entity(1, seed);
  entity(40, seed + 1);
  entity(300, seed + 3);
  int16(0);
}

RecordingWriter& RecordingWriter::byte(std::uint8_t value) {
  m_message.push_back(static_cast<char>(value));
  return *this;
}

RecordingWriter& RecordingWriter::int16(std::uint16_t value) {
  byte(static_cast<std::uint8_t>(value & 0xFF));
  return byte(static_cast<std::uint8_t>(value >> 8));
}

RecordingWriter& RecordingWriter::int32(std::int32_t value) {
  auto v = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) byte(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
  return *this;
}

RecordingWriter& RecordingWriter::string(std::string_view text) {
  m_message.append(text);
  return byte(0);
}

RecordingWriter& RecordingWriter::raw(std::string_view bytes) {
  m_message.append(bytes);
  return *this;
}

RecordingWriter& RecordingWriter::endMessage() {
  lengthField(static_cast<std::uint16_t>(m_message.size()));
  m_file += m_message;
  m_message.clear();
  ++m_messages;
  return *this;
}

RecordingWriter& RecordingWriter::frames(int count) {
  for (int i = 0; i < count; ++i) frame(static_cast<std::uint32_t>(i)).endMessage();
  return *this;
}

RecordingWriter& RecordingWriter::lengthField(std::uint16_t length) {
  m_file.push_back(static_cast<char>(length & 0xFF));
  m_file.push_back(static_cast<char>(length >> 8));
  return *this;
}

std::string RecordingWriter::finish(bool endMarker) {
  if (endMarker) lengthField(0);
  return m_file;
}

}  // namespace obitrak::tools
