#pragma once

#include <cstdint>

#include "scan/MessageCursor.h"

namespace obitrak {

// How a multi-view recording encodes its frames and numbers its config strings, as its
// server data message announces it.
struct RecordingFormat {
  // Minor versions of the recording format: from 2011 the stream flags may ask for the
  // engine's extended limits, from 2012 for their second stage, from 2013 for a third byte
  // of player-state bits.
  static constexpr std::uint16_t kFirstMinor = 2009;
  static constexpr std::uint16_t kExtendedLimitsMinor = 2011;
  static constexpr std::uint16_t kExtendedLimits2Minor = 2012;
  static constexpr std::uint16_t kPlayerMoreBitsMinor = 2013;
  static constexpr std::uint16_t kLastMinor = 2013;
  // Stream flags.
  static constexpr std::uint16_t kFlagExtendedLimits = 4;
  static constexpr std::uint16_t kFlagExtendedLimits2 = 8;

  bool extendedLimits = false;   // 16-bit model and weapon indices, long solids, 16-bit angles
  bool extendedLimits2 = false;  // delta-coded coordinates, var-int stats, flagged blends
  bool playerMoreBits = false;   // a third byte of player-state bits (fog)

  // Sets the flags from the minor version and the stream flags.
  static RecordingFormat of(std::uint16_t minor, std::uint16_t flags);

  // Config string indices of the original limits and of the extended ones.
  int mapModelIndex() const { return extendedLimits ? 63 : 33; }
  int playerSkinsIndex() const { return extendedLimits ? 12862 : 1312; }
  int configStringEnd() const { return extendedLimits ? 13630 : 2080; }
  int maxEntities() const { return extendedLimits ? 8192 : 1024; }
};

// Steps over a frame message after its code: the portal bits, the changed player states
// and the changed entities. Nothing of it is kept; the sizes of the fields follow from
// the change bits alone. False when the frame is damaged (it reaches past the block or
// names an entity beyond the limit).
bool skipFrame(MessageCursor& c, const RecordingFormat& format);

}  // namespace obitrak
