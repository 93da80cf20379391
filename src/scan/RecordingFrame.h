#pragma once

#include <cstdint>

#include "scan/MessageCursor.h"
#include "scan/Quake2Protocol.h"

namespace obitrak {

// How a multi-view recording encodes its frames and numbers its config strings, as its
// server data message announces it.
struct RecordingFormat {
  bool extendedLimits = false;   // 16-bit model and weapon indices, long solids, 16-bit angles
  bool extendedLimits2 = false;  // delta-coded coordinates, var-int stats, flagged blends
  bool playerMoreBits = false;   // a third byte of player-state bits (fog)
  // The re-release's game: the extended limits with float coordinates, 16-bit offsets and
  // angles in the player states, 64 stats.
  bool rerelease = false;
  const protocol::ConfigStringLayout* layout = &protocol::kOriginalLayout;

  // Whether Obitrak reads recordings of this minor version.
  static bool known(std::uint16_t minor);
  // The format of a known minor version with its stream flags.
  static RecordingFormat of(std::uint16_t minor, std::uint16_t flags);
};

// Steps over a frame message after its code: the portal bits, the changed player states
// and the changed entities. Nothing of it is kept; the sizes of the fields follow from
// the change bits alone. False when the frame is damaged (it reaches past the block or
// names an entity beyond the limit).
bool skipFrame(MessageCursor& c, const RecordingFormat& format);

}  // namespace obitrak
