#pragma once

#include <cstdint>
#include <string_view>

namespace obitrak {

// The message bytes of one demo block, read at positions counted from 1. No reader ever
// looks past the block: a byte beyond it reads as 0 and a string without its terminator
// ends with the block.
class Block {
 public:
  explicit Block(std::string_view bytes) : m_bytes(bytes) {}

  int length() const { return static_cast<int>(m_bytes.size()); }
  std::string_view bytes() const { return m_bytes; }

  std::uint8_t blockByte(int position) const {
    if (position < 1 || position > length()) return 0;
    return static_cast<std::uint8_t>(m_bytes[static_cast<std::size_t>(position - 1)]);
  }

  // The unsigned 16-bit little-endian number in the two bytes from `position` on.
  std::uint16_t blockUint16(int position) const {
    return static_cast<std::uint16_t>(blockByte(position) | (blockByte(position + 1) << 8));
  }

  // The signed 32-bit little-endian number in the four bytes from `position` on.
  std::int32_t blockInt32(int position) const {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | blockByte(position + i);
    return static_cast<std::int32_t>(value);
  }

  // The bytes from `position` up to, not including, the first `terminator`, or up to the
  // end of the block when no terminator comes first.
  std::string_view blockString(int position, char terminator) const {
    if (position < 1 || position > length()) return {};
    std::string_view rest = m_bytes.substr(static_cast<std::size_t>(position - 1));
    return rest.substr(0, rest.find(terminator));
  }

 private:
  std::string_view m_bytes;
};

}  // namespace obitrak
