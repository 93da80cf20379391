#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "export/WholeFile.h"
#include "export/WorkThread.h"
#include "scan/FileAccess.h"

namespace obitrak {

// A site folder that cannot be used or written, with the path and the reason.
class SiteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The file that marks a folder as a site Obitrak made, and lists what it wrote there.
inline constexpr std::string_view kSiteMarker = ".obitrak-site";

// The folder a web site is written into. It must be empty or a site Obitrak made: the
// marker file lists every file written there with its size and digest, so that a file
// whose bytes would not change is not written again, and only files still as Obitrak
// wrote them are ever removed. Files are written whole, straight in the folder, under
// names of letters, digits, "-", "_" and "." (never first) only, so that nothing is
// written elsewhere; links in the folder are replaced, never followed. The files are
// written on a thread of their own while the caller makes the next ones.
class SiteFolder {
 public:
  // Opens `dir` (made, with its missing parents, when absent). Throws SiteError when it is
  // no folder, or holds anything but a site of Obitrak's.
  explicit SiteFolder(const std::string& dir, TemporaryFiles* temporaries = nullptr);
  ~SiteFolder();
  SiteFolder(const SiteFolder&) = delete;
  SiteFolder& operator=(const SiteFolder&) = delete;

  const std::string& path() const { return m_path; }

  // What the last run that ended recorded of its inputs ("" when none), and whether every
  // file it listed is still there as it was written.
  const std::string& lastInputs() const { return m_lastInputs; }
  bool filesIntact() const;

  // Makes `name` hold `bytes`, writing only when it does not already. Throws SiteError,
  // here or, for a file being written meanwhile, at a later call or at finish(). Several
  // threads may write at once, none once finish() is called.
  void write(const std::string& name, std::string bytes);

  // Ends the run once every file is written: the files of the last run that this one did
  // not write are removed (where still as written) and the marker lists this run's files
  // and `inputs`.
  void finish(const std::string& inputs);

  struct Counts {
    std::size_t written = 0;
    std::size_t unchanged = 0;
    std::size_t removed = 0;
  };
  const Counts& counts() const { return m_counts; }

 private:
  struct Entry {
    std::uint64_t size = 0;
    std::uint64_t digest = 0;
    bool operator==(const Entry&) const = default;
  };
  using Entries = std::map<std::string, Entry>;

  // A file for the writing thread, and what the last run wrote under its name.
  struct Job {
    std::string name;
    std::string bytes;
    Entry entry;
    std::optional<Entry> last;
  };

  void readMarker();
  bool stillAsWritten(const std::string& name, const Entry& entry, bool readBytes) const;
  void writeMarker(const Entries& entries, const std::string& inputs);
  void writeWhole(const std::string& name, std::string_view bytes);
  void writeFile(Job& job);  // on the writing thread

  std::string m_path;
  TemporaryFiles* m_temporaries;
  FileHandle m_folder;
  std::string m_lastInputs;
  Entries m_last;         // as the marker lists them
  Entries m_now;          // written or found unchanged in this run
  std::mutex m_nowMutex;  // over m_now while files are written
  Counts m_counts;

  // Counts what it does in m_counts, which the caller reads once it is drained.
  WorkThread<Job> m_writer;  // last: it starts once the rest is made
};

// The 64-bit FNV-1a digest of `bytes`, as the marker records it.
std::uint64_t siteDigest(std::string_view bytes);

}  // namespace obitrak
