#include "scan/RecordingFrame.h"

#include <array>
#include <utility>

namespace obitrak {

namespace {

constexpr std::uint8_t kNoMorePlayers = 255;

// A change bit of a player state or an entity.
constexpr std::uint64_t bit(int n) {
  return std::uint64_t{1} << n;
}

// Player-state change bits, in the order their fields follow.
enum PlayerBit : int {
  kPmType = 0,
  kPmOrigin = 1,
  kPmOrigin2 = 2,
  kViewOffset = 3,
  kViewAngles = 4,
  kViewAngle2 = 5,
  kKickAngles = 6,
  kBlend = 7,
  kFov = 8,
  kWeaponIndex = 9,
  kWeaponFrame = 10,
  kGunOffset = 11,
  kGunAngles = 12,
  kRdFlags = 13,
  kStats = 14,
  kPlayerMoreBits = 15,  // a third byte of bits, or in older streams: the player left
  kFog = 17,
};

// Entity change bits.
enum EntityBit : int {
  kOrigin1 = 0,
  kOrigin2 = 1,
  kAngle2 = 2,
  kAngle3 = 3,
  kFrame8 = 4,
  kEvent = 5,
  kMoreBits1 = 7,
  kNumber16 = 8,
  kOrigin3 = 9,
  kAngle1 = 10,
  kModel = 11,
  kRenderFx8 = 12,
  kAngle16 = 13,
  kEffects8 = 14,
  kMoreBits2 = 15,
  kSkin8 = 16,
  kFrame16 = 17,
  kRenderFx16 = 18,
  kEffects16 = 19,
  kModel2 = 20,
  kModel3 = 21,
  kModel4 = 22,
  kMoreBits3 = 23,
  kOldOrigin = 24,
  kSkin16 = 25,
  kSound = 26,
  kSolid = 27,
  kModel16 = 28,
  kMoreFx8 = 29,
  kAlpha = 30,
  kMoreBits4 = 31,
  kScale = 32,
  kMoreFx16 = 33,
};

// The bits set in a mask, without asking the processor for an instruction it may lack.
int bitCount(std::uint64_t v) {
  v = v - ((v >> 1) & 0x5555555555555555ULL);
  v = (v & 0x3333333333333333ULL) + ((v >> 2) & 0x3333333333333333ULL);
  v = (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
  return static_cast<int>((v * 0x0101010101010101ULL) >> 56);
}

// In the original format the size of every field follows from its change bit alone, so the
// fields of an entity or a player state are stepped over at once: the sizes that the set
// bits of each byte of change bits add up to, looked up. A value sent in 8, 16 or 32 bits
// weighs 1 and 2 for its two bits, and one byte more when both are set.
using ByteSums = std::array<std::array<std::uint8_t, 256>, 4>;

constexpr ByteSums byteSums(const std::array<std::uint8_t, 32>& sizes) {
  ByteSums sums{};
  for (int b = 0; b < 4; ++b) {
    for (int v = 0; v < 256; ++v) {
      int sum = 0;
      for (int i = 0; i < 8; ++i) {
        if (v & (1 << i)) sum += sizes[static_cast<std::size_t>(8 * b + i)];
      }
      sums[static_cast<std::size_t>(b)][static_cast<std::size_t>(v)] =
          static_cast<std::uint8_t>(sum);
    }
  }
  return sums;
}

// Entity fields by bit: origins 2, angles 1, frame 1 or 2, event 1, model indices 1,
// render effects, effects and skin 1 or 2, old origin 6, sound 1, solid 2.
constexpr ByteSums kOriginalEntitySums = byteSums({2, 2, 1, 1, 1, 1, 0, 0,    //
                                                   0, 2, 1, 1, 1, 0, 1, 0,    //
                                                   1, 2, 2, 2, 1, 1, 1, 0,    //
                                                   6, 2, 1, 2, 0, 0, 0, 0});  //
// Player-state fields by bit, the stats' 32-bit mask included (their values follow it).
constexpr ByteSums kOriginalPlayerSums = byteSums({1, 4, 2, 3, 4, 2, 3, 4,    //
                                                   1, 1, 1, 3, 3, 1, 4, 0,    //
                                                   0, 0, 0, 0, 0, 0, 0, 0,    //
                                                   0, 0, 0, 0, 0, 0, 0, 0});  //

int sumOf(const ByteSums& sums, std::uint32_t bits) {
  return sums[0][bits & 0xFF] + sums[1][(bits >> 8) & 0xFF] + sums[2][(bits >> 16) & 0xFF] +
         sums[3][bits >> 24];
}

// A coordinate sent as 15 bits, or as 23 bits when its low bit says so.
void skipVariableCoordinate(MessageCursor& c) {
  if (c.uint16() & 1) c.skip(1);
}

// A coordinate: a float in the re-release's format, 15 or 23 bits in the second stage of
// the extended limits, else 16 bits.
void skipCoordinate(MessageCursor& c, const RecordingFormat& f) {
  if (f.rerelease) {
    c.skip(4);
  } else if (f.extendedLimits2) {
    skipVariableCoordinate(c);
  } else {
    c.skip(2);
  }
}

// A value sent in 8, 16 or (both bits set) 32 bits.
void skipSizedValue(MessageCursor& c, std::uint64_t bits, int small, int large) {
  const bool hasSmall = (bits & bit(small)) != 0;
  const bool hasLarge = (bits & bit(large)) != 0;
  c.skip(hasSmall && hasLarge ? 4 : hasLarge ? 2 : hasSmall ? 1 : 0);
}

void skipStats(MessageCursor& c, const RecordingFormat& f) {
  std::uint64_t mask = 0;
  if (f.rerelease) {
    mask = static_cast<std::uint32_t>(c.int32());
    mask |= std::uint64_t{static_cast<std::uint32_t>(c.int32())} << 32;
  } else if (f.extendedLimits2) {
    // Seven bits a byte, low first, while the top bit is set.
    for (int shift = 0; shift < 64 && !c.overrun(); shift += 7) {
      const std::uint8_t b = c.byte();
      mask |= std::uint64_t{b & 0x7Fu} << shift;
      if ((b & 0x80) == 0) break;
    }
  } else {
    mask = static_cast<std::uint32_t>(c.int32());
  }
  c.skip(2 * bitCount(mask));
}

void skipFog(MessageCursor& c) {
  const std::uint8_t fog = c.byte();
  // colour, density and sky factor, height density, falloff, start and end colours
  constexpr int kSizes[] = {3, 4, 2, 2, 3, 3};
  for (int i = 0; i < 6; ++i) {
    if (fog & (1 << i)) c.skip(kSizes[i]);
  }
  if (fog & 0x40) skipVariableCoordinate(c);
  if (fog & 0x80) skipVariableCoordinate(c);
}

void skipPlayerState(MessageCursor& c, std::uint32_t bits, const RecordingFormat& f) {
  if (!f.extendedLimits) {
    const bool stats = (bits & bit(kStats)) != 0;
    c.skip(sumOf(kOriginalPlayerSums, bits) - (stats ? 4 : 0));
    if (stats) skipStats(c, f);
    return;
  }
  // The re-release sends offsets and angles as three 16-bit numbers, not three bytes.
  const int triple = f.rerelease ? 6 : 3;
  if (bits & bit(kPmType)) c.skip(1);
  if (bits & bit(kPmOrigin)) {
    skipCoordinate(c, f);
    skipCoordinate(c, f);
  }
  if (bits & bit(kPmOrigin2)) skipCoordinate(c, f);
  if (bits & bit(kViewOffset)) c.skip(triple);
  if (bits & bit(kViewAngles)) c.skip(4);
  if (bits & bit(kViewAngle2)) c.skip(2);
  if (bits & bit(kKickAngles)) c.skip(triple);
  if (bits & bit(kWeaponIndex)) c.skip(2);
  if (bits & bit(kWeaponFrame)) c.skip(f.rerelease ? 2 : 1);
  if (bits & bit(kGunOffset)) c.skip(triple);
  if (bits & bit(kGunAngles)) c.skip(triple);
  if (bits & bit(kBlend)) c.skip(f.extendedLimits2 || f.rerelease ? bitCount(c.byte()) : 4);
  if (bits & bit(kFog)) skipFog(c);
  if (bits & bit(kFov)) c.skip(1);
  if (bits & bit(kRdFlags)) c.skip(1);
  if (bits & bit(kStats)) skipStats(c, f);
}

// [byte client] [uint16 bits] ([byte more bits]) [fields] ... [byte 255]
void skipPlayers(MessageCursor& c, const RecordingFormat& f) {
  while (!c.overrun()) {
    if (c.byte() == kNoMorePlayers) return;
    std::uint32_t bits = c.uint16();
    if ((bits & bit(kPlayerMoreBits)) && f.playerMoreBits) bits |= std::uint32_t{c.byte()} << 16;
    skipPlayerState(c, bits, f);
  }
}

// The entity's change bits, one to five bytes, each but the last flagging the next.
std::uint64_t entityBits(MessageCursor& c, const RecordingFormat& f) {
  std::uint64_t bits = c.byte();
  if (bits & bit(kMoreBits1)) bits |= std::uint64_t{c.byte()} << 8;
  if (bits & bit(kMoreBits2)) bits |= std::uint64_t{c.byte()} << 16;
  if (bits & bit(kMoreBits3)) bits |= std::uint64_t{c.byte()} << 24;
  if (f.extendedLimits && (bits & bit(kMoreBits4))) bits |= std::uint64_t{c.byte()} << 32;
  return bits;
}

void skipEntityFields(MessageCursor& c, std::uint64_t bits, const RecordingFormat& f) {
  if (!f.extendedLimits) {
    const auto low = static_cast<std::uint32_t>(bits);
    int both = 0;
    for (auto [small, large] : {std::pair{kSkin8, kSkin16}, std::pair{kEffects8, kEffects16},
                                std::pair{kRenderFx8, kRenderFx16}}) {
      if ((low & bit(small)) && (low & bit(large))) ++both;
    }
    c.skip(sumOf(kOriginalEntitySums, low) + both);
    return;
  }
  const int model = f.extendedLimits && (bits & bit(kModel16)) ? 2 : 1;
  for (int b : {kModel, kModel2, kModel3, kModel4}) {
    if (bits & bit(b)) c.skip(model);
  }
  if (bits & bit(kFrame8)) c.skip(1);
  if (bits & bit(kFrame16)) c.skip(2);
  skipSizedValue(c, bits, kSkin8, kSkin16);
  skipSizedValue(c, bits, kEffects8, kEffects16);
  skipSizedValue(c, bits, kRenderFx8, kRenderFx16);
  for (int b : {kOrigin1, kOrigin2, kOrigin3}) {
    if (bits & bit(b)) skipCoordinate(c, f);
  }
  const int angle = f.extendedLimits && (bits & bit(kAngle16)) ? 2 : 1;
  for (int b : {kAngle1, kAngle2, kAngle3}) {
    if (bits & bit(b)) c.skip(angle);
  }
  if (bits & bit(kOldOrigin)) {
    for (int i = 0; i < 3; ++i) skipCoordinate(c, f);
  }
  if (bits & bit(kSound)) {
    if (f.extendedLimits) {
      // [uint16 sound: 14 bits, then a volume byte and an attenuation byte when flagged]
      const std::uint16_t sound = c.uint16();
      c.skip(((sound & 0x4000) ? 1 : 0) + ((sound & 0x8000) ? 1 : 0));
    } else {
      c.skip(1);
    }
  }
  if (bits & bit(kEvent)) c.skip(1);
  if (bits & bit(kSolid)) c.skip(f.extendedLimits ? 4 : 2);
  if (f.extendedLimits) {
    skipSizedValue(c, bits, kMoreFx8, kMoreFx16);
    if (bits & bit(kAlpha)) c.skip(1);
    if (bits & bit(kScale)) c.skip(1);
  }
}

// [bits] [byte or uint16 number] [fields] ... ending with the number 0
bool skipEntities(MessageCursor& c, const RecordingFormat& f) {
  while (!c.overrun()) {
    const std::uint64_t bits = entityBits(c, f);
    const int number = (bits & bit(kNumber16)) ? c.uint16() : c.byte();
    if (number == 0) return true;
    if (number >= f.layout->maxEntities) return false;
    skipEntityFields(c, bits, f);
  }
  return false;
}

}  // namespace

bool RecordingFormat::known(std::uint16_t minor) {
  using namespace protocol;
  return (minor >= kRecordingFirstMinor && minor <= kRecordingPlayerFogMinor) ||
         minor == kRecordingRereleaseMinor;
}

RecordingFormat RecordingFormat::of(std::uint16_t minor, std::uint16_t flags) {
  using namespace protocol;
  RecordingFormat f;
  if (minor == kRecordingRereleaseMinor) {
    f.extendedLimits = f.rerelease = true;
    f.layout = &kRereleaseLayout;
    return f;
  }
  f.extendedLimits = minor >= kRecordingExtendedMinor && (flags & kStreamExtendedLimits) != 0;
  f.extendedLimits2 = f.extendedLimits && minor >= kRecordingFlagsWordMinor &&
                      (flags & kStreamExtendedLimits2) != 0;
  f.playerMoreBits = f.extendedLimits2 && minor >= kRecordingPlayerFogMinor;
  f.layout = f.extendedLimits ? &kExtendedLayout : &kOriginalLayout;
  return f;
}

// [byte portal bytes] [portal bits] [player states] [entities]
bool skipFrame(MessageCursor& c, const RecordingFormat& format) {
  c.skip(c.byte());
  skipPlayers(c, format);
  return skipEntities(c, format) && !c.overrun();
}

}  // namespace obitrak
