#include "scan/DemoFile.h"

#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "scan/FileError.h"

namespace obitrak {

namespace {

constexpr std::size_t kChunkSize = 256 * 1024;
// Compressed bytes read at a time.
constexpr std::size_t kGzipInputSize = 128 * 1024;

std::int32_t readInt32LE(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  std::uint32_t v = std::uint32_t{u[0]} | (std::uint32_t{u[1]} << 8) | (std::uint32_t{u[2]} << 16) |
                    (std::uint32_t{u[3]} << 24);
  return static_cast<std::int32_t>(v);
}

}  // namespace

DemoFile::DemoFile(std::string_view bytes)
    : m_data(bytes.data()), m_end(bytes.size()), m_atEof(true) {}

// zlib's inflate state and the compressed bytes read ahead of it.
struct DemoFile::Inflater {
  Inflater() : input(kGzipInputSize) {
    // 15 + 16: a window of up to 32 kB, in a gzip wrapper.
    if (inflateInit2(&stream, 15 + 16) != Z_OK) throw FileError(ENOMEM, "Out of memory");
  }
  ~Inflater() { inflateEnd(&stream); }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  z_stream stream{};
  std::vector<unsigned char> input;
  std::uint64_t inflated = 0;  // bytes handed out so far
  bool inputEnded = false;     // the file has no more bytes
  bool memberEnded = false;    // the last gzip member was whole, check sum included
  bool finished = false;       // nothing more to inflate
};

DemoFile::DemoFile(const std::string& path) : DemoFile(openRegularFile(path), path) {}

DemoFile::DemoFile(FileHandle file, const std::string& path) : m_path(path) {
  m_fd = file.release();
  try {
    m_buffer.resize(kChunkSize);
    m_data = m_buffer.data();
    // Read once now, so that every failure to get at the file, damaged gzip headers
    // included, shows before the scan changes anything.
    ensure(1);
    detectGzip();
  } catch (...) {
    ::close(m_fd);
    throw;
  }
}

DemoFile::~DemoFile() {
  if (m_fd >= 0) ::close(m_fd);
}

void DemoFile::detectGzip() {
  if (m_end < 2 || static_cast<unsigned char>(m_buffer[0]) != 0x1f ||
      static_cast<unsigned char>(m_buffer[1]) != 0x8b) {
    return;
  }
  // A plain demo never starts so: its first length would be far above 1400.
  if (::lseek(m_fd, 0, SEEK_SET) != 0) throwFileError(errno, m_path);
  m_gzip = std::make_unique<Inflater>();
  m_pos = m_end = 0;
  m_atEof = false;
  ensure(1);
}

std::size_t DemoFile::readPlain(char* into, std::size_t size) {
  for (;;) {
    ssize_t got = ::read(m_fd, into, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) throwFileError(errno, m_path);
  }
}

void DemoFile::gzipInput(std::size_t count) {
  Inflater& z = *m_gzip;
  z_stream& s = z.stream;
  if (s.avail_in >= count || z.inputEnded) return;
  if (s.avail_in > 0 && s.next_in != z.input.data())
    std::memmove(z.input.data(), s.next_in, s.avail_in);
  s.next_in = z.input.data();
  while (s.avail_in < count && !z.inputEnded) {
    std::size_t got = readPlain(reinterpret_cast<char*>(z.input.data()) + s.avail_in,
                                z.input.size() - s.avail_in);
    z.inputEnded = got == 0;
    s.avail_in += static_cast<uInt>(got);
  }
}

// Another member starts with the gzip signature and the deflate method.
bool DemoFile::memberFollows() {
  gzipInput(3);
  const z_stream& s = m_gzip->stream;
  return s.avail_in >= 3 && s.next_in[0] == 0x1f && s.next_in[1] == 0x8b && s.next_in[2] == 8;
}

void DemoFile::gzipDamage(const char* message) {
  if (m_gzip->inflated == 0) {
    throw FileError(EIO, std::string("Damaged gzip data (") +
                             (message != nullptr ? message : "unreadable") + ")");
  }
  m_damaged = m_truncated = m_gzip->finished = true;
}

// Inflates into `into` until it is full or the data end. Several gzip members one after
// the other read as one demo, as gzip(1) reads them. Data that end inside a member, or that
// are damaged, end the demo where the good data end: what came before is handed out, and
// the end then reads as an incomplete block.
std::size_t DemoFile::readGzip(char* into, std::size_t size) {
  Inflater& z = *m_gzip;
  z_stream& s = z.stream;
  s.next_out = reinterpret_cast<Bytef*>(into);
  s.avail_out = static_cast<uInt>(size < UINT_MAX ? size : UINT_MAX);
  const uInt wanted = s.avail_out;
  while (s.avail_out > 0 && !z.finished) {
    if (z.memberEnded) {
      z.finished = !memberFollows();
      if (!z.finished) inflateReset(&s);
      z.memberEnded = false;
      continue;
    }
    gzipInput(1);
    if (s.avail_in == 0) {
      m_truncated = z.finished = true;
      break;
    }
    const uInt before = s.avail_out;
    const int status = inflate(&s, Z_NO_FLUSH);
    z.inflated += before - s.avail_out;
    if (status == Z_STREAM_END) {
      z.memberEnded = true;
    } else if (status == Z_MEM_ERROR) {
      throw FileError(ENOMEM, "Out of memory");
    } else if (status != Z_OK) {
      gzipDamage(s.msg);
    }
  }
  return wanted - s.avail_out;
}

void DemoFile::checkArchiveEnd() {
  constexpr std::size_t kCheckedTail = std::size_t{1} << 20;
  if (!m_gzip) return;
  std::vector<char> scratch(64 * 1024);
  for (std::size_t checked = 0; !m_gzip->finished && checked < kCheckedTail;) {
    checked += readGzip(scratch.data(), scratch.size());
  }
}

std::size_t DemoFile::readSome(char* into, std::size_t size) {
  return m_gzip ? readGzip(into, size) : readPlain(into, size);
}

bool DemoFile::ensure(std::size_t count) {
  if (m_end - m_pos >= count) return true;
  if (m_atEof) return false;
  // Move the unread tail to the front and fill the rest of the buffer.
  std::size_t tail = m_end - m_pos;
  if (tail > 0 && m_pos > 0) std::memmove(m_buffer.data(), m_buffer.data() + m_pos, tail);
  m_pos = 0;
  m_end = tail;
  while (m_end < count && !m_atEof) {
    std::size_t got = readSome(m_buffer.data() + m_end, m_buffer.size() - m_end);
    m_end += got;
    if (got == 0) m_atEof = true;
  }
  return m_end - m_pos >= count;
}

bool DemoFile::startsWith(std::string_view magic) {
  return peek(magic.size()) == magic;
}

std::string_view DemoFile::peek(std::size_t count) {
  ensure(count);
  return std::string_view(m_data + m_pos, std::min(count, m_end - m_pos));
}

void DemoFile::readAsServerRecording() {
  m_serverRecording = true;
  m_pos += std::min<std::size_t>(4, m_end - m_pos);
}

DemoFile::Next DemoFile::next(std::string_view& body) {
  body = {};
  const std::size_t fieldSize = m_serverRecording ? 2 : 4;
  if (!ensure(fieldSize)) {
    return m_end == m_pos && !m_truncated ? Next::EndOfFile : Next::Incomplete;
  }
  std::int32_t length = 0;
  if (m_serverRecording) {
    const auto* u = reinterpret_cast<const unsigned char*>(m_data + m_pos);
    length = u[0] | (u[1] << 8);
    m_lastLength = length;
    m_pos += 2;
    if (length == 0) return Next::EndMarker;
    if (length > kMaxRecordingMessageLength) return Next::Oversized;
  } else {
    length = readInt32LE(m_data + m_pos);
    m_lastLength = length;
    m_pos += 4;
    if (length == -1) return Next::EndMarker;
    if (length > m_maxBlockLength) return Next::Oversized;
    if (length < 0) return Next::Negative;
  }
  auto size = static_cast<std::size_t>(length);
  if (!ensure(size)) {
    m_pos = m_end;
    return Next::Incomplete;
  }
  body = std::string_view(m_data + m_pos, size);
  m_pos += size;
  return Next::Block;
}

}  // namespace obitrak
