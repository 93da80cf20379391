#pragma once

#include <string>
#include <string_view>

#include "export/ByteSink.h"
#include "scan/FileAccess.h"

namespace obitrak {

// Where a program keeps the temporary files being written, so that it can remove them when
// a signal ends it. The core holds no such state; a program that wants it supplies one.
class TemporaryFiles {
 public:
  virtual ~TemporaryFiles() = default;
  // Called before the temporary file `name` is created in the open folder `folder`; until
  // created() the name must already be known to the clean-up. Returns a handle for
  // created() and forget(), or -1 when no temporary file may be made now.
  virtual int add(int folder, const char* name) noexcept = 0;
  // The attempt to create the file is over, whether a file came of it or not.
  virtual void created(int handle) noexcept = 0;
  // The temporary file has been renamed or removed.
  virtual void forget(int handle) noexcept = 0;
};

// A file that exists under its name only when whole, for every file the programs write. The
// bytes go to a new temporary file in the target's folder, which replaces the name when
// complete: a link found at the name is replaced, never followed; a file already there
// keeps its content until the new one is whole; a write that fails or a file that is not
// committed leaves nothing behind. A character device or a FIFO at the name, and a name of
// an open descriptor of the process (/dev/stdout, /dev/fd/N), are written directly. Every
// failure throws FileError.
class WholeFile : public ByteSink {
 public:
  explicit WholeFile(const std::string& path, TemporaryFiles* temporaries = nullptr);
  // What a device or a FIFO found at the name gets: the bytes, as one the user named, or
  // replaced like any other file, for names of the program's own choosing.
  enum class AtDevice { Write, Replace };

  // The file `name` in the open folder `folder`, named `shownPath` in errors.
  WholeFile(FileHandle folder, const std::string& name, const std::string& shownPath,
            TemporaryFiles* temporaries = nullptr, AtDevice atDevice = AtDevice::Write);
  ~WholeFile() override;
  WholeFile(const WholeFile&) = delete;
  WholeFile& operator=(const WholeFile&) = delete;

  void write(std::string_view bytes) override;
  // Writes what is buffered, closes the file and gives it its name.
  void commit();

 private:
  void open(FileHandle folder, const std::string& name, AtDevice atDevice = AtDevice::Write);
  void createTemporary();
  void flush();
  void writeAll(std::string_view bytes);
  [[noreturn]] void fail(int err);
  void discard() noexcept;

  std::string m_shownPath;
  TemporaryFiles* m_temporaries;
  FileHandle m_folder;
  std::string m_name;       // in m_folder
  std::string m_temporary;  // in m_folder; empty when writing directly
  int m_slot = -1;
  FileHandle m_file;
  std::string m_buffer;
};

// The open descriptor that `path` names (/dev/stdin, /dev/stdout, /dev/stderr, /dev/fd/N,
// /proc/self/fd/N), or -1.
int descriptorNamed(std::string_view path);

// Writes the file `path` whole through `write(sink)`, all checked.
template <typename WriteFn>
void writeFile(const std::string& path, WriteFn&& write) {
  WholeFile file(path);
  write(static_cast<ByteSink&>(file));
  file.commit();
}

}  // namespace obitrak
