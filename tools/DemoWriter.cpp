#include "DemoWriter.h"

#include <zlib.h>

#include <stdexcept>

namespace obitrak::tools {

namespace {

using namespace protocol;

void appendInt32(std::string& out, std::int32_t value) {
  auto v = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

DemoWriter& DemoWriter::serverData(std::int32_t protocol, std::string_view gameDir,
                                   std::uint16_t playerNumber, std::string_view levelName,
                                   std::uint8_t code, std::int32_t serverCount) {
  byte(code);
  int32(protocol);
  int32(serverCount);
  byte(1);  // attract loop: a recorded demo
  string(gameDir);
  int16(playerNumber);
  return string(levelName);
}

DemoWriter& DemoWriter::rereleaseServerData(std::int32_t protocol, std::string_view gameDir,
                                            const std::vector<std::int16_t>& players,
                                            std::string_view levelName, std::uint8_t tickRate) {
  byte(svc_serverdata);
  int32(protocol);
  int32(0x1234);
  byte(1);  // a demo
  byte(tickRate);
  string(gameDir);
  if (players.size() != 1) {
    int16(static_cast<std::uint16_t>(-2));
    int16(static_cast<std::uint16_t>(players.size()));
  }
  for (std::int16_t p : players) int16(static_cast<std::uint16_t>(p));
  return string(levelName);
}

DemoWriter& DemoWriter::configBlast(
    const std::vector<std::pair<std::uint16_t, std::string>>& strings) {
  std::string plain;
  for (const auto& [index, text] : strings) {
    plain.push_back(static_cast<char>(index & 0xFF));
    plain.push_back(static_cast<char>(index >> 8));
    plain += text;
    plain.push_back('\0');
  }
  uLongf size = compressBound(static_cast<uLong>(plain.size()));
  std::string packed(size, '\0');
  if (compress(reinterpret_cast<Bytef*>(packed.data()), &size,
               reinterpret_cast<const Bytef*>(plain.data()),
               static_cast<uLong>(plain.size())) != Z_OK) {
    throw std::runtime_error("compress failed");
  }
  byte(svc_configblast);
  int16(static_cast<std::uint16_t>(size));
  int16(static_cast<std::uint16_t>(plain.size()));
  return raw(std::string_view(packed.data(), size));
}

DemoWriter& DemoWriter::locPrint(std::uint8_t flags, std::string_view base,
                                 const std::vector<std::string>& arguments) {
  byte(svc_locprint);
  byte(flags);
  string(base);
  byte(static_cast<std::uint8_t>(arguments.size()));
  for (const std::string& a : arguments) string(a);
  return *this;
}

DemoWriter& DemoWriter::configString(std::uint16_t index, std::string_view text) {
  byte(svc_configstring);
  int16(index);
  return string(text);
}

DemoWriter& DemoWriter::player(int client, std::string_view name, std::string_view skin) {
  std::string text(name);
  text += '\\';
  text += skin;
  if (m_layout == &kRereleaseLayout) text += "\\default";
  return configString(static_cast<std::uint16_t>(m_layout->playerSkins + client), text);
}

DemoWriter& DemoWriter::levelMessage(std::string_view text) {
  return configString(m_layout->levelMessage, text);
}

DemoWriter& DemoWriter::mapModel(std::string_view text) {
  return configString(m_layout->mapModel, text);
}

DemoWriter& DemoWriter::print(std::uint8_t level, std::string_view text) {
  byte(svc_print);
  byte(level);
  return string(text);
}

DemoWriter& DemoWriter::layout(std::string_view text) {
  byte(svc_layout);
  return string(text);
}

DemoWriter& DemoWriter::frame(std::size_t size, std::uint32_t seed) {
  byte(svc_frame);
  std::uint32_t x = seed * 2654435761u + 1;
  for (std::size_t i = 0; i < size; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    // Never the config string code: the scan's sweep of the first blocks would see a
    // config string where the game sent none.
    auto b = static_cast<std::uint8_t>(x);
    byte(b == svc_configstring ? b + 1 : b);
  }
  return *this;
}

DemoWriter& DemoWriter::raw(std::string_view bytes) {
  m_block.append(bytes);
  return *this;
}

DemoWriter& DemoWriter::byte(std::uint8_t value) {
  m_block.push_back(static_cast<char>(value));
  return *this;
}

DemoWriter& DemoWriter::int16(std::uint16_t value) {
  byte(static_cast<std::uint8_t>(value & 0xFF));
  return byte(static_cast<std::uint8_t>(value >> 8));
}

DemoWriter& DemoWriter::int32(std::int32_t value) {
  appendInt32(m_block, value);
  return *this;
}

DemoWriter& DemoWriter::string(std::string_view text) {
  m_block.append(text);
  m_block.push_back('\0');
  return *this;
}

DemoWriter& DemoWriter::endBlock() {
  appendInt32(m_file, static_cast<std::int32_t>(m_block.size()));
  m_file += m_block;
  m_block.clear();
  ++m_blocks;
  return *this;
}

DemoWriter& DemoWriter::frameBlocks(int count, std::size_t frameSize) {
  for (int i = 0; i < count; ++i) frame(frameSize, static_cast<std::uint32_t>(m_blocks)).endBlock();
  return *this;
}

DemoWriter& DemoWriter::lengthField(std::int32_t length) {
  appendInt32(m_file, length);
  return *this;
}

std::string DemoWriter::finish(bool endMarker) {
  if (endMarker) lengthField(-1);
  return m_file;
}

}  // namespace obitrak::tools
