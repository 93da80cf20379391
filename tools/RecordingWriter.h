#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "scan/Quake2Protocol.h"

namespace obitrak::tools {

// How the server data of a recording announces its format.
struct RecordingStreamFormat {
  std::uint16_t minor = 2010;
  std::uint16_t flags = 0;  // 4 extended limits, 8 their second stage
  bool extended() const {
    return minor >= protocol::kRecordingExtendedMinor && (flags & protocol::kStreamExtendedLimits);
  }
  bool extended2() const {
    return extended() && minor >= protocol::kRecordingFlagsWordMinor &&
           (flags & protocol::kStreamExtendedLimits2);
  }
  // The re-release's game: the extended limits with floats for coordinates.
  bool rerelease() const { return minor == protocol::kRecordingRereleaseMinor; }
  bool wide() const { return extended() || rerelease(); }
  bool flagsWord() const { return minor >= protocol::kRecordingFlagsWordMinor && !rerelease(); }
  const protocol::ConfigStringLayout& layout() const {
    return rerelease()  ? protocol::kRereleaseLayout
           : extended() ? protocol::kExtendedLayout
                        : protocol::kOriginalLayout;
  }
};

// Builds servers' multi-view recordings (".mvd2") in memory, message by message, for
// tests, fuzzing seeds and benchmarks. Each message holds what the server sent in one
// frame; messages are appended to the current one and endMessage() writes it out behind
// its 16-bit length.
class RecordingWriter {
 public:
  using Format = RecordingStreamFormat;

  // The magic "MVD2".
  RecordingWriter();

  // [byte 4 | flags << 5] [long 37] [uint16 minor] ([uint16 flags]) [long server count]
  // [string game dir] [int16 recording client] and the level name and map model config
  // strings; players(), then endServerData() follow.
  RecordingWriter& serverData(std::string_view gameDir, int recordingClient,
                              std::string_view levelName, std::string_view mapModel,
                              Format format = {});
  // A player config string inside the server data: "name\skin" of `client`.
  RecordingWriter& initialPlayer(int client, std::string_view name, std::string_view skin);
  // The end of the server data's config strings, then its baseline frame.
  RecordingWriter& endServerData();

  // [byte 5] [uint16 index] [string text]
  RecordingWriter& configString(std::uint16_t index, std::string_view text);
  RecordingWriter& player(int client, std::string_view name, std::string_view skin);
  // [byte 17] [byte level] [string text]
  RecordingWriter& print(std::uint8_t level, std::string_view text);
  // Messages to one client: [byte 8 or 9 | length >> 8 << 5] [byte length] [byte client]
  // [svc_print level text] or [svc_layout text].
  RecordingWriter& unicastPrint(int client, std::uint8_t level, std::string_view text,
                                bool reliable = true);
  RecordingWriter& unicastLayout(int client, std::string_view text, bool reliable = false);
  // A multicast of `size` bytes and a sound, both stepped over by the reader.
  RecordingWriter& multicast(std::size_t size);
  RecordingWriter& sound();
  // A frame: portal bits, a few changed players and entities, with fields of every size.
  RecordingWriter& frame(std::uint32_t seed = 1);

  RecordingWriter& byte(std::uint8_t value);
  RecordingWriter& int16(std::uint16_t value);
  RecordingWriter& int32(std::int32_t value);
  RecordingWriter& string(std::string_view text);  // the text and its 0 byte
  RecordingWriter& raw(std::string_view bytes);

  // Ends the current message: its length, then its bytes.
  RecordingWriter& endMessage();
  // `count` messages holding a frame each.
  RecordingWriter& frames(int count);
  // A length field with any value and no body.
  RecordingWriter& lengthField(std::uint16_t length);

  std::size_t messageCount() const { return m_messages; }

  // The file: every message ended so far, then the end marker 0 when asked.
  std::string finish(bool endMarker = true);

 private:
  std::string playerText(std::string_view name, std::string_view skin) const;
  void frameBody(std::uint32_t seed);
  void playerState(int client, std::uint32_t seed);
  void entity(int number, std::uint32_t seed);
  void coordinate(std::uint32_t seed);

  std::string m_file;
  std::string m_message;
  std::size_t m_messages = 0;
  Format m_format;
};

}  // namespace obitrak::tools
