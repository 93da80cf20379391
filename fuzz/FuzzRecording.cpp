// Fuzz target: any bytes as the messages of a server's multi-view recording, behind its
// magic, so that every input reaches the recording's reader (see ScanChecks.h for what is
// checked).

#include <cstddef>
#include <cstdint>
#include <string>

#include "ScanChecks.h"
#include "scan/ServerRecordingScan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string recording(obitrak::kServerRecordingMagic);
  recording.append(reinterpret_cast<const char*>(data), size);
  obitrak::fuzz::scanAndCheck(recording);
  return 0;
}
