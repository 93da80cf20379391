#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "scan/FileAccess.h"

namespace obitrak {

// The largest block body a demo of the original game may carry; a longer length field ends
// the read. The newer engines' demos may carry larger ones (see setMaxBlockLength).
inline constexpr std::int32_t kMaxBlockLength = 1400;

// The longest message a server's multi-view recording may carry (the engine's 32 KiB).
inline constexpr std::int32_t kMaxRecordingMessageLength = 0x8000;

// Reads a demo file block by block. The file is read in large chunks and each block is
// handed out as a view into the chunk, so a block costs neither a system call nor a copy.
// A file that starts with the gzip signature (a ".dm2.gz" as archives keep demos) is
// inflated chunk by chunk on the way in and reads exactly like the plain demo. An archive cut
// short or damaged reads as a demo that ends where its good data end (damaged() then says
// so); bytes after its last whole member that do not start another are ignored, as gzip(1)
// ignores them.
//
// File layout: [int32 length][length bytes of messages] ... [int32 -1]
// A server's multi-view recording, once readAsServerRecording() is called:
// ["MVD2"] [uint16 length][length bytes of messages] ... [uint16 0]
class DemoFile {
 public:
  // What reading the next length field found.
  enum class Next {
    Block,       // a complete block of 0..1400 bytes
    EndMarker,   // the length -1
    Oversized,   // a length above the longest block
    Negative,    // a negative length other than -1
    Incomplete,  // the length field or the body is cut short by the end of the file, or
                 // the gzip stream ends early
    EndOfFile,   // no bytes left where the next length field would start
  };

  // Opens the file for reading; throws FileError when it cannot be opened or read, when it
  // is not a regular file, or when its gzip data are damaged before their first byte.
  explicit DemoFile(const std::string& path);
  // Reads the regular file already opened as `file`; `path` names it in errors.
  DemoFile(FileHandle file, const std::string& path);
  // Reads a demo held in memory; `bytes` must outlive the reader.
  explicit DemoFile(std::string_view bytes);
  ~DemoFile();
  DemoFile(const DemoFile&) = delete;
  DemoFile& operator=(const DemoFile&) = delete;

  // Reads the next block. For Next::Block, `body` views its bytes until the next call.
  // Throws FileError on a read failure.
  Next next(std::string_view& body);

  // The longest block body of a demo (1400 unless set): a longer one is Next::Oversized.
  void setMaxBlockLength(std::int32_t length) { m_maxBlockLength = length; }

  // Up to `count` of the unread bytes (inflated, for a gzip file), fewer where the demo ends
  // first; consumes nothing. The view holds until the next read.
  std::string_view peek(std::size_t count);

  // Whether the gzip data were found damaged: a wrong check sum, bytes that do not inflate.
  // At the demo's own end, checkArchiveEnd() looks at the rest of the archive first.
  bool damaged() const { return m_damaged; }
  // Inflates what is left of a gzip archive after the demo's end marker, up to a bound, so
  // that a damaged end (a wrong check sum) is seen.
  void checkArchiveEnd();

  // Whether the unread bytes (inflated, for a gzip file) begin with `magic`. Reads ahead
  // as far as needed and consumes nothing.
  bool startsWith(std::string_view magic);
  // Steps over the 4-byte magic of a multi-view recording; from then on next() reads its
  // messages: the 16-bit length 0 is the end marker (Next::EndMarker) and a length above
  // kMaxRecordingMessageLength is Next::Oversized.
  void readAsServerRecording();

  // The value of the last length field read, such as the one that made next() answer
  // Next::Oversized.
  std::int32_t lastLength() const { return m_lastLength; }

 private:
  // Makes at least `count` bytes available from m_pos unless the file ends first.
  bool ensure(std::size_t count);
  // Reads up to `size` bytes of the demo into `into`; 0 at its end.
  std::size_t readSome(char* into, std::size_t size);
  std::size_t readPlain(char* into, std::size_t size);
  std::size_t readGzip(char* into, std::size_t size);
  // Makes at least `count` compressed bytes available to inflate unless the file ends.
  void gzipInput(std::size_t count);
  // After a whole member: whether another one starts.
  bool memberFollows();
  // Ends the inflating at damaged data; throws when nothing had been inflated yet.
  void gzipDamage(const char* message);
  // Switches to inflating when the first bytes read carry the gzip signature.
  void detectGzip();

  struct Inflater;

  std::string m_path;
  int m_fd = -1;
  std::unique_ptr<Inflater> m_gzip;  // set while reading a gzip file
  bool m_truncated = false;          // the gzip data end before their end of stream
  bool m_damaged = false;            // ... because they are damaged
  std::vector<char> m_buffer;
  const char* m_data = nullptr;  // the buffer, or the bytes of an in-memory demo
  std::size_t m_pos = 0;
  std::size_t m_end = 0;
  bool m_atEof = false;
  bool m_serverRecording = false;  // 16-bit lengths
  std::int32_t m_lastLength = 0;
  std::int32_t m_maxBlockLength = kMaxBlockLength;
};

}  // namespace obitrak
