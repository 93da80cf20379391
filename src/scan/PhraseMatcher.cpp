#include "scan/PhraseMatcher.h"

#include <deque>

namespace obitrak {

PhraseMatcher::PhraseMatcher(const std::vector<std::string_view>& phrases) {
  for (std::string_view p : phrases) {
    m_lengths.push_back(p.size());
    for (char c : p) {
      std::uint32_t& cls = m_class[static_cast<unsigned char>(c)];
      if (cls == 0) cls = m_classes++;
    }
  }

  // The trie of the phrases, with the phrases that end at each node.
  std::vector<std::vector<std::uint32_t>> trie(1, std::vector<std::uint32_t>(m_classes, 0));
  std::vector<std::vector<std::uint32_t>> ends(1);
  for (std::uint32_t id = 0; id < phrases.size(); ++id) {
    if (phrases[id].empty()) continue;
    std::uint32_t node = 0;
    for (char c : phrases[id]) {
      std::uint32_t cls = m_class[static_cast<unsigned char>(c)];
      if (trie[node][cls] == 0) {
        trie[node][cls] = static_cast<std::uint32_t>(trie.size());
        trie.emplace_back(m_classes, 0);
        ends.emplace_back();
      }
      node = trie[node][cls];
    }
    ends[node].push_back(id);
  }

  // Breadth first: each node's failure link, its missing moves taken from the failure
  // node, and the phrases that end at the failure node added to its own.
  std::vector<std::uint32_t> fail(trie.size(), 0);
  std::deque<std::uint32_t> queue;
  for (std::uint32_t cls = 0; cls < m_classes; ++cls) {
    if (trie[0][cls] != 0) queue.push_back(trie[0][cls]);
  }
  while (!queue.empty()) {
    std::uint32_t node = queue.front();
    queue.pop_front();
    const std::vector<std::uint32_t>& inherited = ends[fail[node]];
    ends[node].insert(ends[node].end(), inherited.begin(), inherited.end());
    for (std::uint32_t cls = 0; cls < m_classes; ++cls) {
      std::uint32_t child = trie[node][cls];
      if (child != 0) {
        fail[child] = trie[fail[node]][cls];
        queue.push_back(child);
      } else {
        trie[node][cls] = trie[fail[node]][cls];
      }
    }
  }

  m_next.reserve(trie.size() * m_classes);
  m_outputStart.reserve(trie.size() + 1);
  for (std::size_t node = 0; node < trie.size(); ++node) {
    for (std::uint32_t target : trie[node]) {
      m_next.push_back(target * m_classes | (ends[target].empty() ? 0 : kEnds));
    }
    m_outputStart.push_back(static_cast<std::uint32_t>(m_outputs.size()));
    m_outputs.insert(m_outputs.end(), ends[node].begin(), ends[node].end());
  }
  m_outputStart.push_back(static_cast<std::uint32_t>(m_outputs.size()));
}

}  // namespace obitrak
