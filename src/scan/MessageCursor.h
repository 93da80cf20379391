#pragma once

#include <cstdint>
#include <string_view>

#include "scan/Block.h"

namespace obitrak {

// Reads the messages of a block one field after the other through the block's own
// bounds-checked reads. A field that would reach past the block's end, or a string
// without its terminator, marks the cursor as overrun: the block is damaged or cut short.
// A field read so holds the bytes the block has of it and zeros for the rest, and a string
// ends with the block, so a reader may still take what was there.
class MessageCursor {
 public:
  explicit MessageCursor(const Block& block) : m_block(block) {}

  bool overrun() const { return m_overrun; }
  bool atEnd() const { return m_position > m_block.length(); }
  int position() const { return m_position; }
  const Block& block() const { return m_block; }

  std::uint8_t byte() {
    const std::uint8_t value = m_block.blockByte(m_position);
    take(1);
    return value;
  }
  std::uint16_t uint16() {
    const std::uint16_t value = m_block.blockUint16(m_position);
    take(2);
    return value;
  }
  std::int32_t int32() {
    const std::int32_t value = m_block.blockInt32(m_position);
    take(4);
    return value;
  }
  // A string up to its 0 byte, which is read but not returned.
  std::string_view string() {
    std::string_view text = m_block.blockString(m_position, 0);
    take(static_cast<int>(text.size()) + 1);
    return text;
  }
  void skip(int count) { take(count); }
  // Back to the block's first byte.
  void restart() {
    m_position = 1;
    m_overrun = false;
  }

 private:
  void take(int count) {
    if (count < 0 || count > m_block.length() + 1 - m_position) {
      m_overrun = true;
      m_position = m_block.length() + 1;
      return;
    }
    m_position += count;
  }

  const Block& m_block;
  int m_position = 1;
  bool m_overrun = false;
};

}  // namespace obitrak
