#pragma once

#include <array>
#include <cstdint>

// The numbers of the Quake 2 network protocols that recordings are made of: message codes,
// config-string indices, protocol and format versions. The readers and the tools' demo
// writers take them from here.
namespace obitrak::protocol {

// Server message codes in the blocks of a client demo (".dm2"), as version 3.20 numbers
// them; the newer engines keep 1..20 and add their own above.
inline constexpr std::uint8_t svc_layout = 4;
inline constexpr std::uint8_t svc_nop = 6;
inline constexpr std::uint8_t svc_print = 10;
inline constexpr std::uint8_t svc_stufftext = 11;
inline constexpr std::uint8_t svc_serverdata = 12;
inline constexpr std::uint8_t svc_configstring = 13;
inline constexpr std::uint8_t svc_spawnbaseline = 14;
inline constexpr std::uint8_t svc_centerprint = 15;
inline constexpr std::uint8_t svc_frame = 20;
// The 2023 re-release's own messages.
inline constexpr std::uint8_t svc_splitclient = 21;
inline constexpr std::uint8_t svc_configblast = 22;
inline constexpr std::uint8_t svc_spawnbaselineblast = 23;
inline constexpr std::uint8_t svc_locprint = 26;

// Message codes of a server's multi-view recording (".mvd2"): the low five bits of the
// code byte; the top three extend a length or carry flags.
inline constexpr int mvd_nop = 1;
inline constexpr int mvd_serverdata = 4;
inline constexpr int mvd_configstring = 5;
inline constexpr int mvd_frame = 6;
inline constexpr int mvd_unicast = 8;
inline constexpr int mvd_unicast_r = 9;
inline constexpr int mvd_multicast_all = 10;  // then to the hearable and the visible set,
inline constexpr int mvd_multicast_pvs = 12;  // and the same three again as reliable ones
inline constexpr int mvd_multicast_pvs_r = 15;
inline constexpr int mvd_sound = 16;
inline constexpr int mvd_print = 17;
inline constexpr int kRecordingCodeBits = 5;

// The first four bytes of a multi-view recording.
inline constexpr std::array<char, 4> kRecordingMagic{'M', 'V', 'D', '2'};

// Protocol numbers as the server data gives them.
inline constexpr std::int32_t kProtocolRecording = 37;       // multi-view recordings
inline constexpr std::int32_t kProtocolRerelease = 2023;     // 2022 in its first demos
inline constexpr std::int32_t kProtocolExtendedLast = 3436;  // Q2PRO's extended limits, 3434..

// Minor versions of multi-view recordings: 2009 and 2010 of the original limits, 2011 to
// 2013 with Q2PRO's extended limits when their stream flags ask for them, 3038 of the
// re-release's game.
inline constexpr std::uint16_t kRecordingFirstMinor = 2009;
inline constexpr std::uint16_t kRecordingExtendedMinor = 2011;
inline constexpr std::uint16_t kRecordingFlagsWordMinor = 2012;
inline constexpr std::uint16_t kRecordingPlayerFogMinor = 2013;
inline constexpr std::uint16_t kRecordingRereleaseMinor = 3038;
// Stream flags of a recording.
inline constexpr std::uint16_t kStreamExtendedLimits = 4;
inline constexpr std::uint16_t kStreamExtendedLimits2 = 8;

// Print levels; a print of the re-release carries flags above its level.
inline constexpr std::uint8_t kPrintMedium = 1;  // death messages
inline constexpr std::uint8_t kPrintChat = 3;
inline constexpr std::uint8_t kPrintLevelMask = 7;
inline constexpr std::uint8_t kPrintBroadcast = 8;

// Where a protocol keeps the config strings the readers take.
struct ConfigStringLayout {
  std::uint16_t levelMessage;  // the level's name as the game shows it
  std::uint16_t mapModel;      // the first model: the map's model file
  std::uint16_t playerSkins;   // "name\skin" of client 0, then of every other client
  std::uint16_t end;           // one past the last config string
  int maxEntities;
};

inline constexpr ConfigStringLayout kOriginalLayout{0, 33, 1312, 2080, 1024};
inline constexpr ConfigStringLayout kExtendedLayout{0, 63, 12862, 13630, 8192};
inline constexpr ConfigStringLayout kRereleaseLayout{0, 63, 11582, 12448, 8192};

// The families of client demos, by what their blocks hold.
enum class DemoFamily : std::uint8_t {
  Original,   // versions 3.00 to 3.20, R1Q2's and Q2PRO's own: blocks of up to 1400 bytes
  Extended,   // Q2PRO's extended limits: blocks of up to 32 KiB, the extended layout
  Rerelease,  // the 2023 re-release: its own server data and messages, its own layout
};

struct ClientDemoFormat {
  std::int32_t protocol;
  DemoFamily family;
  const ConfigStringLayout* layout;
  std::int32_t maxBlockLength;
};

inline constexpr std::int32_t kOriginalBlockLength = 1400;
inline constexpr std::int32_t kLargeBlockLength = 0x8000;

// Every protocol of a client demo that Obitrak reads.
inline constexpr std::array<ClientDemoFormat, 17> kClientDemoFormats{{
    {25, DemoFamily::Original, &kOriginalLayout, kOriginalBlockLength},
    {26, DemoFamily::Original, &kOriginalLayout, kOriginalBlockLength},
    {27, DemoFamily::Original, &kOriginalLayout, kOriginalBlockLength},
    {28, DemoFamily::Original, &kOriginalLayout, kOriginalBlockLength},
    {29, DemoFamily::Original, &kOriginalLayout, kOriginalBlockLength},
    {30, DemoFamily::Original, &kOriginalLayout, kOriginalBlockLength},
    {31, DemoFamily::Original, &kOriginalLayout, kOriginalBlockLength},
    {32, DemoFamily::Original, &kOriginalLayout, kOriginalBlockLength},
    {33, DemoFamily::Original, &kOriginalLayout, kOriginalBlockLength},
    {34, DemoFamily::Original, &kOriginalLayout, kOriginalBlockLength},
    {35, DemoFamily::Original, &kOriginalLayout, kOriginalBlockLength},  // R1Q2's
    {36, DemoFamily::Original, &kOriginalLayout, kOriginalBlockLength},  // Q2PRO's
    {3434, DemoFamily::Extended, &kExtendedLayout, kLargeBlockLength},
    {3435, DemoFamily::Extended, &kExtendedLayout, kLargeBlockLength},
    {3436, DemoFamily::Extended, &kExtendedLayout, kLargeBlockLength},
    {2022, DemoFamily::Rerelease, &kRereleaseLayout, kLargeBlockLength},
    {2023, DemoFamily::Rerelease, &kRereleaseLayout, kLargeBlockLength},
}};

// The format of a client demo of `protocol`, or nullptr for a protocol Obitrak cannot read.
constexpr const ClientDemoFormat* clientDemoFormat(std::int32_t protocol) {
  for (const ClientDemoFormat& f : kClientDemoFormats) {
    if (f.protocol == protocol) return &f;
  }
  return nullptr;
}

}  // namespace obitrak::protocol
