#include "scan/DemoTables.h"

#include <stdexcept>

namespace obitrak {

void KillMatrix::throwOutOfRange() {
  throw std::out_of_range("KillMatrix index out of range");
}

}  // namespace obitrak
