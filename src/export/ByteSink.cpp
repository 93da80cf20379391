#include "export/ByteSink.h"

#include <cerrno>

#include "scan/FileError.h"

namespace obitrak {

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}

FileSink::FileSink(const std::string& path) : m_path(path) {
  errno = 0;
  m_file = std::fopen(path.c_str(), "wb");
  if (m_file == nullptr) throwFileError(errno != 0 ? errno : EIO, path);
  // Our own buffer decides when bytes reach the system, so each failure shows at once.
  std::setvbuf(m_file, nullptr, _IONBF, 0);
  m_buffer.reserve(kBufferSize);
}

FileSink::~FileSink() {
  if (m_file != nullptr) std::fclose(m_file);
}

void FileSink::write(std::string_view bytes) {
  if (m_file == nullptr) throwFileError(EBADF, m_path);
  if (m_buffer.size() + bytes.size() > kBufferSize) flush();
  if (bytes.size() >= kBufferSize) {
    m_buffer.assign(bytes);
    flush();
  } else {
    m_buffer.append(bytes);
  }
}

void FileSink::flush() {
  if (m_buffer.empty()) return;
  errno = 0;
  std::size_t written = std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file);
  if (written != m_buffer.size()) {
    int err = errno != 0 ? errno : EIO;
    m_buffer.erase(0, written);
    throwFileError(err, m_path);
  }
  m_buffer.clear();
}

void FileSink::close() {
  if (m_file == nullptr) return;
  flush();
  errno = 0;
  std::FILE* file = m_file;
  m_file = nullptr;
  if (std::fclose(file) != 0) throwFileError(errno != 0 ? errno : EIO, m_path);
}

}  // namespace obitrak
