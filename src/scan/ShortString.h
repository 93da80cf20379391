#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace obitrak {

// A string of at most N single-byte characters, stored inline. Assigning a longer text
// keeps its first N characters.
template <std::size_t N>
class ShortString {
  static_assert(N < 256, "the length is one byte");

 public:
  ShortString() = default;
  ShortString(std::string_view text) { assign(text); }  // NOLINT: implicit like a string

  ShortString& operator=(std::string_view text) {
    assign(text);
    return *this;
  }

  void assign(std::string_view text) {
    m_length = static_cast<std::uint8_t>(text.size() < N ? text.size() : N);
    text.copy(m_chars.data(), m_length);
  }
  void clear() { m_length = 0; }

  std::string_view view() const { return {m_chars.data(), m_length}; }
  std::string str() const { return std::string(view()); }
  operator std::string_view() const { return view(); }  // NOLINT
  std::size_t size() const { return m_length; }
  bool empty() const { return m_length == 0; }
  static constexpr std::size_t capacity() { return N; }

  friend bool operator==(const ShortString& a, const ShortString& b) {
    return a.view() == b.view();
  }
  friend bool operator==(const ShortString& a, std::string_view b) { return a.view() == b; }

 private:
  std::uint8_t m_length = 0;
  std::array<char, N> m_chars{};
};

}  // namespace obitrak
