#include "scan/ScoreboardLayout.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace obitrak {

namespace {

// Splits a layout into its tokens: runs of characters above the space, or a quoted text
// without its quotes (an unclosed quote runs to the end).
class LayoutTokens {
 public:
  explicit LayoutTokens(std::string_view text) : m_text(text) {}

  std::optional<std::string_view> next() {
    while (m_pos < m_text.size() && static_cast<unsigned char>(m_text[m_pos]) <= ' ') ++m_pos;
    if (m_pos >= m_text.size()) return std::nullopt;
    m_quoted = m_text[m_pos] == '"';
    if (m_quoted) {
      const std::size_t start = m_pos + 1;
      const std::size_t close = std::min(m_text.find('"', start), m_text.size());
      m_pos = std::min(close + 1, m_text.size());
      return m_text.substr(start, close - start);
    }
    const std::size_t start = m_pos;
    while (m_pos < m_text.size() && static_cast<unsigned char>(m_text[m_pos]) > ' ') ++m_pos;
    return m_text.substr(start, m_pos - start);
  }

  // Whether the last token was a quoted text, which is never a keyword.
  bool quoted() const { return m_quoted; }

 private:
  std::string_view m_text;
  std::size_t m_pos = 0;
  bool m_quoted = false;
};

// A whole decimal number with an optional minus sign, within 32 bits.
std::optional<std::int32_t> wholeNumber(std::optional<std::string_view> token) {
  if (!token || token->empty()) return std::nullopt;
  std::int32_t value = 0;
  const char* end = token->data() + token->size();
  auto [stop, error] = std::from_chars(token->data(), end, value);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// The numbers after a keyword: X Y CLIENTNUM SCORE PING [TIME].
std::optional<LayoutEntry> entry(LayoutTokens& tokens, bool withMinutes) {
  std::array<std::int32_t, 6> numbers{};
  const std::size_t count = withMinutes ? 6 : 5;
  for (std::size_t i = 0; i < count; ++i) {
    std::optional<std::int32_t> n = wholeNumber(tokens.next());
    if (!n) return std::nullopt;
    numbers[i] = *n;
  }
  if (numbers[2] < 0 || numbers[2] > kMaxClientNumber) return std::nullopt;
  LayoutEntry e;
  e.clientNumber = numbers[2];
  e.score = numbers[3];
  e.ping = numbers[4];
  if (withMinutes) e.minutes = numbers[5];
  return e;
}

}  // namespace

std::vector<LayoutEntry> scoreboardEntries(std::string_view layout) {
  // Most layouts are no scoreboards: only one that holds a keyword is read token by token.
  if (layout.find(kDeathmatchEntryKeyword) == std::string_view::npos &&
      layout.find(kCtfEntryKeyword) == std::string_view::npos) {
    return {};
  }
  std::vector<LayoutEntry> entries;
  LayoutTokens tokens(layout);
  while (std::optional<std::string_view> token = tokens.next()) {
    if (tokens.quoted()) continue;
    const bool deathmatch = *token == kDeathmatchEntryKeyword;
    if (!deathmatch && *token != kCtfEntryKeyword) continue;
    std::optional<LayoutEntry> e = entry(tokens, deathmatch);
    if (!e) return {};
    entries.push_back(*e);
  }
  return entries;
}

}  // namespace obitrak
