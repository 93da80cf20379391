// Fuzz target: any bytes as the blocks of a demo of Q2PRO's extended protocol after its
// first block (server data of protocol 3436 and two players), so that every input reaches
// that reader with its large blocks and its config-string layout.

#include <cstddef>
#include <cstdint>
#include <string>

#include "DemoWriter.h"
#include "ScanChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace obitrak;
  static const std::string start = tools::DemoWriter(protocol::kExtendedLayout)
                                       .serverData(3436, "baseq2", 0, "Fuzz")
                                       .player(0, "Ann", "female/athena")
                                       .player(1, "Bob", "male/grunt")
                                       .endBlock()
                                       .finish(false);
  fuzz::scanAndCheck(start + std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
