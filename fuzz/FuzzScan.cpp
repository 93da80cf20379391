// Fuzz target: any bytes as a demo (see ScanChecks.h for what is checked).

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ScanChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  obitrak::fuzz::scanAndCheck(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
