#include "scan/RecordingFrame.h"

#include <bit>

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

// A coordinate sent as 15 bits, or as 23 bits when its low bit says so.
void skipVariableCoordinate(MessageCursor& c) {
  if (c.uint16() & 1) c.skip(1);
}

// A value sent in 8, 16 or (both bits set) 32 bits.
void skipSizedValue(MessageCursor& c, std::uint64_t bits, int small, int large) {
  const bool hasSmall = (bits & bit(small)) != 0;
  const bool hasLarge = (bits & bit(large)) != 0;
  c.skip(hasSmall && hasLarge ? 4 : hasLarge ? 2 : hasSmall ? 1 : 0);
}

void skipStats(MessageCursor& c, const RecordingFormat& f) {
  std::uint64_t mask = 0;
  if (f.extendedLimits2) {
    // Seven bits a byte, low first, while the top bit is set.
    for (int shift = 0; shift < 64 && !c.overrun(); shift += 7) {
      const std::uint8_t b = c.byte();
      mask |= std::uint64_t{b & 0x7Fu} << shift;
      if ((b & 0x80) == 0) break;
    }
  } else {
    mask = static_cast<std::uint32_t>(c.int32());
  }
  c.skip(2 * std::popcount(mask));
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
  if (bits & bit(kPmType)) c.skip(1);
  if (f.extendedLimits2) {
    if (bits & bit(kPmOrigin)) {
      skipVariableCoordinate(c);
      skipVariableCoordinate(c);
    }
    if (bits & bit(kPmOrigin2)) skipVariableCoordinate(c);
  } else {
    if (bits & bit(kPmOrigin)) c.skip(4);
    if (bits & bit(kPmOrigin2)) c.skip(2);
  }
  if (bits & bit(kViewOffset)) c.skip(3);
  if (bits & bit(kViewAngles)) c.skip(4);
  if (bits & bit(kViewAngle2)) c.skip(2);
  if (bits & bit(kKickAngles)) c.skip(3);
  if (bits & bit(kWeaponIndex)) c.skip(f.extendedLimits ? 2 : 1);
  if (bits & bit(kWeaponFrame)) c.skip(1);
  if (bits & bit(kGunOffset)) c.skip(3);
  if (bits & bit(kGunAngles)) c.skip(3);
  if (bits & bit(kBlend)) c.skip(f.extendedLimits2 ? std::popcount(c.byte()) : 4);
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
    if (!(bits & bit(b))) continue;
    if (f.extendedLimits2) {
      skipVariableCoordinate(c);
    } else {
      c.skip(2);
    }
  }
  const int angle = f.extendedLimits && (bits & bit(kAngle16)) ? 2 : 1;
  for (int b : {kAngle1, kAngle2, kAngle3}) {
    if (bits & bit(b)) c.skip(angle);
  }
  if (bits & bit(kOldOrigin)) {
    for (int i = 0; i < 3; ++i) {
      if (f.extendedLimits2) {
        skipVariableCoordinate(c);
      } else {
        c.skip(2);
      }
    }
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
    if (number >= f.maxEntities()) return false;
    skipEntityFields(c, bits, f);
  }
  return false;
}

}  // namespace

RecordingFormat RecordingFormat::of(std::uint16_t minor, std::uint16_t flags) {
  RecordingFormat f;
  f.extendedLimits = minor >= kExtendedLimitsMinor && (flags & kFlagExtendedLimits) != 0;
  f.extendedLimits2 =
      f.extendedLimits && minor >= kExtendedLimits2Minor && (flags & kFlagExtendedLimits2) != 0;
  f.playerMoreBits = f.extendedLimits2 && minor >= kPlayerMoreBitsMinor;
  return f;
}

// [byte portal bytes] [portal bits] [player states] [entities]
bool skipFrame(MessageCursor& c, const RecordingFormat& format) {
  c.skip(c.byte());
  skipPlayers(c, format);
  return skipEntities(c, format) && !c.overrun();
}

}  // namespace obitrak
