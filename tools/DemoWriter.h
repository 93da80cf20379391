#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "scan/Quake2Protocol.h"

namespace obitrak::tools {

// Builds Quake 2 demo files in memory, block by block, for the sample generator and for
// tests. Messages are appended to the current block; endBlock() writes it out behind its
// length field.
class DemoWriter {
 public:
  // Config strings are numbered as `layout` numbers them.
  explicit DemoWriter(const protocol::ConfigStringLayout& layout = protocol::kOriginalLayout)
      : m_layout(&layout) {}

  // [byte code] [long protocol] [long server count] [byte attract loop] [string game dir]
  // [short player number] [string level name]
  DemoWriter& serverData(std::int32_t protocol, std::string_view gameDir,
                         std::uint16_t playerNumber, std::string_view levelName,
                         std::uint8_t code = protocol::svc_serverdata,
                         std::int32_t serverCount = 0x1234);
  // The re-release's: [byte 12] [long protocol] [long server count] [byte demo type]
  // [byte tick rate] [string game dir] [short player number, or -2 [short count]
  // [count shorts]] [string level name]; `players` holds one number or the split screen's.
  DemoWriter& rereleaseServerData(std::int32_t protocol, std::string_view gameDir,
                                  const std::vector<std::int16_t>& players,
                                  std::string_view levelName, std::uint8_t tickRate = 40);
  // [byte 13] [short index] [string text]
  DemoWriter& configString(std::uint16_t index, std::string_view text);
  // The re-release's config strings in one compressed blast: [byte 22] [short compressed
  // size] [short size] [zlib data of {[short index] [string text]}].
  DemoWriter& configBlast(const std::vector<std::pair<std::uint16_t, std::string>>& strings);
  // The re-release's localised print: [byte 26] [byte flags] [string base] [byte count]
  // [count strings].
  DemoWriter& locPrint(std::uint8_t flags, std::string_view base,
                       const std::vector<std::string>& arguments);
  // The player config string of client `client`: "name\skin", and in the re-release's
  // layout "\dogtag" after them.
  DemoWriter& player(int client, std::string_view name, std::string_view skin);
  // The level message and the map model config strings.
  DemoWriter& levelMessage(std::string_view text);
  DemoWriter& mapModel(std::string_view text);
  // [byte 10] [byte level] [string text]; the text is written as given (add "\n" yourself).
  DemoWriter& print(std::uint8_t level, std::string_view text);
  // [byte 4] [string layout]
  DemoWriter& layout(std::string_view text);
  // A frame message: its code and `size` bytes of entity data that the scan never decodes
  // (never the byte 13).
  DemoWriter& frame(std::size_t size, std::uint32_t seed = 1);
  // Bytes as they are.
  DemoWriter& raw(std::string_view bytes);
  DemoWriter& byte(std::uint8_t value);
  DemoWriter& int16(std::uint16_t value);
  DemoWriter& int32(std::int32_t value);
  DemoWriter& string(std::string_view text);  // the text and its 0 byte

  // Ends the current block: its length, then its bytes.
  DemoWriter& endBlock();
  // `count` blocks holding only a frame each.
  DemoWriter& frameBlocks(int count, std::size_t frameSize = 12);
  // A length field with any value and no body (end marker, damaged lengths).
  DemoWriter& lengthField(std::int32_t length);

  std::size_t blockCount() const { return m_blocks; }
  std::size_t currentBlockSize() const { return m_block.size(); }

  // The file: every block ended so far, then the end marker -1 when asked.
  std::string finish(bool endMarker = true);

 private:
  const protocol::ConfigStringLayout* m_layout;
  std::string m_file;
  std::string m_block;
  std::size_t m_blocks = 0;
};

// A small deterministic generator (xorshift), so that generated demos are the same on
// every machine.
class DemoRandom {
 public:
  explicit DemoRandom(std::uint32_t state) : m_state(state) {}
  std::uint32_t next() {
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return m_state;
  }
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }

 private:
  std::uint32_t m_state;
};

}  // namespace obitrak::tools
