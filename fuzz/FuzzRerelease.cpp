// Fuzz target: any bytes as the blocks of a re-release demo after its first block (server
// data of protocol 2023 and two players), so that every input reaches that reader's leading
// runs: localised prints, config-string blasts, split-screen and baseline messages.

#include <cstddef>
#include <cstdint>
#include <string>

#include "DemoWriter.h"
#include "ScanChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace obitrak;
  static const std::string start = tools::DemoWriter(protocol::kRereleaseLayout)
                                       .rereleaseServerData(2023, "baseq2", {0}, "Fuzz", 40)
                                       .player(0, "Ann", "female/athena")
                                       .player(1, "Bob", "male/grunt")
                                       .endBlock()
                                       .finish(false);
  fuzz::scanAndCheck(start + std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
