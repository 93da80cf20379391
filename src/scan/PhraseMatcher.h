#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace obitrak {

// Finds every occurrence of a set of phrases in a text in one pass over the text (an
// Aho-Corasick automaton), so that looking for all player names, or all the phrases of
// the obituaries, costs about as much as reading the text once.
class PhraseMatcher {
 public:
  // The phrases get the ids 0..n-1 in the given order; empty phrases never match.
  explicit PhraseMatcher(const std::vector<std::string_view>& phrases);

  // Calls found(id, start) for every occurrence of every phrase in `text`, in the order of
  // the occurrences' ends; `start` is the 0-based position of the first character.
  template <typename Found>
  void scan(std::string_view text, Found&& found) const {
    // A state is the offset of its row in m_next, marked when phrases end there.
    std::uint32_t state = 0;
    const std::uint32_t* next = m_next.data();
    for (std::size_t i = 0; i < text.size(); ++i) {
      state = next[(state & ~kEnds) + m_class[static_cast<unsigned char>(text[i])]];
      if (state & kEnds) {
        std::uint32_t node = (state & ~kEnds) / m_classes;
        for (std::uint32_t o = m_outputStart[node]; o < m_outputStart[node + 1]; ++o) {
          std::uint32_t id = m_outputs[o];
          found(id, i + 1 - m_lengths[id]);
        }
      }
    }
  }

  std::size_t phraseCount() const { return m_lengths.size(); }

 private:
  static constexpr std::uint32_t kEnds = 0x80000000u;

  // Character -> its class; 0 for the characters of no phrase.
  std::array<std::uint32_t, 256> m_class{};
  std::uint32_t m_classes = 1;
  std::vector<std::uint32_t> m_next;         // row of a state + class -> next state (row, marked)
  std::vector<std::uint32_t> m_outputStart;  // node -> first of its outputs in m_outputs
  std::vector<std::uint32_t> m_outputs;      // ids of the phrases that end at a node
  std::vector<std::size_t> m_lengths;        // id -> phrase length
};

}  // namespace obitrak
