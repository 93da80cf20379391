#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "scan/FileAccess.h"
#include "scan/PackChoice.h"
#include "stats/DemoResult.h"

namespace obitrak {

class LibraryStore;

// A demo to index: its path as the run names it and, when a folder search found it, how
// to open it as it was found.
struct IndexDemo {
  std::string path;
  std::optional<FoundFile> found;
};

// How one demo of an indexing run ended.
struct IndexOutcome {
  enum class Kind { Reused, Scanned, Failed };
  std::size_t index = 0;  // its position in the list given to run()
  Kind kind = Kind::Scanned;
  std::string key;    // its key in the library
  DemoResult result;  // with the path as given; Reused without loading has only that
  std::string error;  // Failed: why the demo could not be read ("File not found")
};

struct IndexCounts {
  std::size_t reused = 0;
  std::size_t scanned = 0;
  std::size_t failed = 0;
  std::size_t damaged = 0;  // of the scanned: their stored results did not hold
  bool cancelled = false;
};

// Brings the library up to date for a list of demos: a demo whose file is the one stored
// (size, modification time, device, inode and change time), analysed as the pack that
// `choice` gives for its game directory would analyse it now, and whose stored result holds, is
// reused; every other one is scanned on the job runner's threads and its result stored. Without a
// store every demo is scanned and nothing is kept; a read-only store is read, and nothing is
// written to it. Results are committed in small transactions as they come, so a run that is
// interrupted keeps what it had done.
class LibraryIndexer {
 public:
  LibraryIndexer(LibraryStore* store, const PackChoice& choice, unsigned threads);

  // Whether the results of reused demos are handed to the report (the summary needs
  // them; a list that already shows the library does not). They are read and checked
  // either way.
  void setLoadReused(bool load) { m_loadReused = load; }
  // Whether the scans run at a lower priority than the rest of the program, so that a
  // window stays quick while they use every core.
  void setBackground(bool background) { m_background = background; }
  // Told when fewer worker threads could be started than asked for.
  void setThreadWarning(std::function<void(unsigned started)> warn) { m_warn = std::move(warn); }

  using Report = std::function<void(IndexOutcome&&)>;

  // Indexes `paths` and reports each demo on the calling thread as it is done. Once
  // `cancel` is set no further demo is started; what was done stays in the library.
  IndexCounts run(const std::vector<IndexDemo>& demos, const Report& report,
                  const std::atomic<bool>* cancel = nullptr);
  IndexCounts run(const std::vector<std::string>& paths, const Report& report,
                  const std::atomic<bool>* cancel = nullptr);

  // Forgets the demos kept below `folders` whose files are gone; returns how many.
  std::size_t removeVanished(const std::vector<std::string>& folders);

 private:
  class Run;

  LibraryStore* m_store;
  PackChoice m_choice;
  unsigned m_threads;
  bool m_loadReused = true;
  bool m_background = false;
  std::function<void(unsigned)> m_warn;
};

// Scans one demo into a result with the pack that `choice` gives for it, or throws what the
// scan threw; a file that is no demo at all throws an error that says so (kNotADemo). A
// found demo is opened as it was found (openFoundFile).
DemoResult ScanDemoResult(const std::string& path, const PackChoice& choice,
                          const FoundFile* found = nullptr);

}  // namespace obitrak
