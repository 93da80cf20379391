#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace obitrak {

// Where an export writes its bytes.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void write(std::string_view bytes) = 0;

  // One line of text ended by CR LF, as every text file of the program ends its lines.
  void line(std::string_view text = {}) {
    write(text);
    write("\r\n");
  }
};

// Collects the bytes in memory.
class StringSink : public ByteSink {
 public:
  void write(std::string_view bytes) override { m_data.append(bytes); }
  const std::string& data() const { return m_data; }

 private:
  std::string m_data;
};

// Writes the bytes to a file, created anew or truncated. Every open, write and close is
// checked and a failure throws FileError; what was written before it stays in the file.
class FileSink : public ByteSink {
 public:
  explicit FileSink(const std::string& path);
  ~FileSink() override;
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;

  void write(std::string_view bytes) override;
  // Writes what is buffered and closes the file; throws FileError when that fails.
  void close();

 private:
  void flush();

  std::string m_path;
  std::FILE* m_file = nullptr;
  std::string m_buffer;
};

// Writes a file through `write(sink)` and closes it, all checked.
template <typename WriteFn>
void writeFile(const std::string& path, WriteFn&& write) {
  FileSink sink(path);
  write(static_cast<ByteSink&>(sink));
  sink.close();
}

}  // namespace obitrak
