#include "scan/DemoFile.h"

#include <cerrno>
#include <cstring>

#include "scan/FileError.h"

namespace obitrak {

namespace {

constexpr std::size_t kChunkSize = 256 * 1024;

std::int32_t readInt32LE(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  std::uint32_t v = std::uint32_t{u[0]} | (std::uint32_t{u[1]} << 8) | (std::uint32_t{u[2]} << 16) |
                    (std::uint32_t{u[3]} << 24);
  return static_cast<std::int32_t>(v);
}

}  // namespace

DemoFile::DemoFile(std::string_view bytes)
    : m_data(bytes.data()), m_end(bytes.size()), m_atEof(true) {}

DemoFile::DemoFile(const std::string& path) : m_path(path), m_buffer(kChunkSize) {
  m_data = m_buffer.data();
  errno = 0;
  m_file = std::fopen(path.c_str(), "rb");
  if (m_file == nullptr) throwFileError(errno != 0 ? errno : ENOENT, path);
  // A folder opens on some systems and fails at the first read: read once now, so that
  // every failure to get at the file shows before the scan changes anything.
  ensure(1);
}

DemoFile::~DemoFile() {
  if (m_file != nullptr) std::fclose(m_file);
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
    errno = 0;
    std::size_t wanted = m_buffer.size() - m_end;
    std::size_t got = std::fread(m_buffer.data() + m_end, 1, wanted, m_file);
    m_end += got;
    if (got < wanted) {
      if (std::ferror(m_file)) throwFileError(errno != 0 ? errno : EIO, m_path);
      m_atEof = true;
    }
  }
  return m_end - m_pos >= count;
}

DemoFile::Next DemoFile::next(std::string_view& body) {
  body = {};
  if (!ensure(4)) return m_end == m_pos ? Next::EndOfFile : Next::Incomplete;
  std::int32_t length = readInt32LE(m_data + m_pos);
  m_pos += 4;
  if (length == -1) return Next::EndMarker;
  if (length > kMaxBlockLength) return Next::Oversized;
  if (length < 0) return Next::Negative;
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
