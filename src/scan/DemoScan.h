#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scan/DemoTables.h"
#include "scan/FileAccess.h"
#include "scan/PackChoice.h"

namespace obitrak {

class PhrasePack;

// The revision of the readers, raised whenever they read some demo differently: a result
// stored with another revision is not what a scan would give now.
inline constexpr int kReadersRevision = 2;

// Notices of the main window's status panel 1.
inline constexpr std::string_view kNoticeBadBlock = "BAD BLOCK. READING STOPPED.";
inline constexpr std::string_view kNoticeIncompleteBlock = "INCOMPLETE BLOCK. READING STOPPED.";
inline constexpr std::string_view kNoticePlayerTableFull = "PLAYER TABLE FULL.";
inline constexpr std::string_view kNoticeMessageLogFull = "MESSAGE LOG FULL.";
inline constexpr std::string_view kNoticeUnsupported = "Unsupported recording: protocol ";
inline constexpr std::string_view kNoticeDamagedArchive = "DAMAGED GZIP DATA. READING STOPPED.";

// What a file is called that is no demo at all (see ScanReport::notADemo).
inline constexpr std::string_view kNotADemo = "Not a Quake 2 demo";

// Told when the block loop starts, how far it got and when it ends, so that a window can
// show its progress. readEnded() follows every readStarted(), also when the read fails.
class ScanObserver {
 public:
  virtual ~ScanObserver() = default;
  virtual void readStarted() {}
  // Every few thousand blocks: the demo bytes read so far (block lengths and bodies).
  virtual void readProgress(std::uint64_t bytesRead) { (void)bytesRead; }
  virtual void readEnded() {}
};

// What the scan has for the main window's status bar.
struct ScanReport {
  std::string statusPanel0;          // "Map: <level>" and " ( <bsp> )" per map model found
  std::string statusPanel1;          // the last notice, empty when none
  std::vector<std::string> notices;  // every notice, in the order met
  // The file is no demo at all: it is empty, ends before its first block is whole, starts
  // with a length that no Quake 2 engine writes, or its first block holds no server data
  // (a text or a picture renamed, say). A demo damaged after its server data is a demo.
  bool notADemo = false;
  const PhrasePack* pack = nullptr;  // the pack that counted the demo; null for none
  // A recording of a protocol or version that Obitrak cannot read: the read ended at its
  // server data with the one notice that names it ("Unsupported recording: protocol 1234").
  bool unsupported = false;
};

// Scans the demo at `path` into `tables`: header, players, message log, kill counts, tally
// and ranking. scanMarker is set first. The message log keeps what the limits of
// `tables.log` allow; past them the scan reads on and counts the kills of the obituaries it
// no longer keeps (matched against the players known at that point), with the notice
// "MESSAGE LOG FULL.". A file that cannot be opened or read throws
// FileError and leaves the rest of the tables as they were. An empty path reads nothing:
// the players are cleared and the kept log is analysed again. The pack that `choice` gives
// for the demo's game directory, chosen once the server data is read, adds its death
// messages to the built-in phrases (see ObituaryAnalysis).
ScanReport DemoScan(DemoTables& tables, const std::string& path, ScanObserver* observer = nullptr,
                    const PackChoice& choice = {});

// The same scan over a demo file that the caller has opened (see openFoundFile); `path`
// names it in errors.
ScanReport DemoScanOpened(DemoTables& tables, FileHandle file, const std::string& path,
                          ScanObserver* observer = nullptr, const PackChoice& choice = {});

// The same scan over a demo held in memory (tests, fuzzing).
ScanReport DemoScanBytes(DemoTables& tables, std::string_view bytes,
                         ScanObserver* observer = nullptr, const PackChoice& choice = {});

}  // namespace obitrak
