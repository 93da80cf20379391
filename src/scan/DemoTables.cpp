#include "scan/DemoTables.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

namespace obitrak {

void KillMatrix::throwOutOfRange() {
  throw std::out_of_range("KillMatrix index out of range");
}

void KillMatrix::FreeCells::operator()(std::uint32_t* p) const {
  std::free(p);
}

void KillMatrix::prepareRows(int victim) {
  if (!m_cells) {
    auto* cells = static_cast<std::uint32_t*>(std::malloc(kCellCount * sizeof(std::uint32_t)));
    if (cells == nullptr) throw std::bad_alloc();
    m_cells.reset(cells);
  }
  std::memset(
      m_cells.get() + static_cast<std::size_t>(m_rowsReady) * kCellsPerVictim, 0,
      static_cast<std::size_t>(victim - m_rowsReady) * kCellsPerVictim * sizeof(std::uint32_t));
  m_rowsReady = victim;
}

KillMatrix::KillMatrix(const KillMatrix& other) {
  *this = other;
}

KillMatrix& KillMatrix::operator=(const KillMatrix& other) {
  if (this == &other) return *this;
  clear();
  if (other.m_rowsReady > 0) {
    prepareRows(other.m_rowsReady);
    std::memcpy(
        m_cells.get(), other.m_cells.get(),
        static_cast<std::size_t>(other.m_rowsReady) * kCellsPerVictim * sizeof(std::uint32_t));
  }
  return *this;
}

}  // namespace obitrak
