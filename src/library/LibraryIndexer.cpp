#include "library/LibraryIndexer.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "library/AnalysisVersion.h"
#include "library/LibraryStore.h"
#include "scan/DemoScan.h"
#include "scan/JobRunner.h"

namespace obitrak {

namespace {

// A transaction is committed after this many demos or this long, whichever comes first.
constexpr std::size_t kCommitEvery = 64;
constexpr auto kCommitAfter = std::chrono::milliseconds(250);
constexpr int kBackgroundNice = 5;

struct FileFacts {
  int err = 0;  // errno of a failed stat, 0 when it succeeded
  std::int64_t size = 0;
  FileTime modified;
  FileIdentity identity;
};

FileTime timeOf(const struct timespec& t) {
  return {static_cast<std::int64_t>(t.tv_sec), static_cast<std::int32_t>(t.tv_nsec)};
}

FileFacts factsOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {errno != 0 ? errno : EIO, 0, {}, {}};
  const FileIdentity identity{static_cast<std::uint64_t>(st.st_dev),
                              static_cast<std::uint64_t>(st.st_ino), timeOf(st.st_ctim)};
  return {0, static_cast<std::int64_t>(st.st_size), timeOf(st.st_mtim), identity};
}

// Lowers the priority of the calling thread: on Linux a nice value belongs to the thread
// that sets it.
void lowerOwnPriority() {
  errno = 0;
  const int nice = ::getpriority(PRIO_PROCESS, 0);
  if (errno == 0) (void)::setpriority(PRIO_PROCESS, 0, nice + kBackgroundNice);
}

}  // namespace

DemoResult ScanDemoResult(const std::string& path, const PackChoice& choice,
                          const FoundFile* found) {
  DemoTables tables;
  const ScanReport report =
      found != nullptr ? DemoScanOpened(tables, openFoundFile(*found, path), path, nullptr, choice)
                       : DemoScan(tables, path, nullptr, choice);
  if (report.notADemo) throw std::runtime_error(std::string(kNotADemo));
  // A recording Obitrak cannot read has no result: it fails with its notice.
  if (report.unsupported) throw std::runtime_error(report.statusPanel1);
  return DemoResultOf(tables, path, report.notices);
}

class LibraryIndexer::Run {
 public:
  Run(LibraryIndexer& owner, const std::vector<IndexDemo>& demos, const Report& report,
      const std::atomic<bool>* cancel)
      : m_o(owner), m_demos(demos), m_report(report), m_cancel(cancel) {}

  IndexCounts go() {
    prepare();
    scanAll();
    if (m_transaction) m_transaction->commit();
    m_counts.cancelled = cancelled();
    return m_counts;
  }

 private:
  struct Job {
    std::size_t index;
    std::string key;
    FileFacts facts;
  };
  // What a scan came to: a result, or why there is none.
  struct Done {
    std::optional<DemoResult> result;
    std::string error;
  };

  bool cancelled() const { return m_cancel != nullptr && m_cancel->load(); }
  bool writes() const { return m_o.m_store != nullptr && m_o.m_store->readOnlyReason().empty(); }

  // The analysis version of a demo of `gameDir`: that of the pack that counts it, each pack's
  // worked out once.
  const std::string& analysisFor(const std::string& gameDir) {
    const PhrasePack* pack = m_o.m_choice.packFor(gameDir);
    auto known = m_analyses.find(pack);
    if (known == m_analyses.end()) known = m_analyses.emplace(pack, AnalysisVersion(pack)).first;
    return known->second;
  }

  // Reports the demos that need no scan and lists the others, all in one look at the
  // library.
  void prepare() {
    std::optional<SqliteTransaction> reading;
    if (m_o.m_store != nullptr) reading.emplace(m_o.m_store->db(), SqliteTransaction::Kind::Read);
    const std::string base = libraryBase();
    for (std::size_t i = 0; i < m_demos.size() && !cancelled(); ++i) {
      Job job{i, libraryKey(m_demos[i].path, base), factsOf(m_demos[i].path)};
      if (!reuse(job)) m_jobs.push_back(std::move(job));
    }
    if (reading) reading->commit();
  }

  // The stored result of the very file, analysed the same way and sound, or none. A result
  // that does not hold is counted: its demo is scanned again.
  std::optional<DemoResult> stored(const Job& job) {
    try {
      const std::optional<StoredState> state = m_o.m_store->stateOf(job.key);
      if (!state || state->failed || state->size != job.facts.size ||
          state->modified != job.facts.modified || state->identity != job.facts.identity ||
          state->analysis != analysisFor(state->gameDir)) {
        return std::nullopt;
      }
      return m_o.m_store->load(job.key);
    } catch (const LibraryDamage&) {
      ++m_counts.damaged;
      return std::nullopt;
    }
  }

  bool reuse(const Job& job) {
    if (m_o.m_store == nullptr || job.facts.err != 0) return false;
    std::optional<DemoResult> result = stored(job);
    if (!result) return false;
    IndexOutcome out{job.index, IndexOutcome::Kind::Reused, job.key, {}, {}};
    if (m_o.m_loadReused) out.result = std::move(*result);
    out.result.path = m_demos[job.index].path;
    out.result.size = job.facts.size;
    out.result.modified = job.facts.modified;
    ++m_counts.reused;
    m_report(std::move(out));
    return true;
  }

  void scanAll() {
    m_done.resize(m_jobs.size());
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned wanted = m_o.m_threads == 0 ? cores : m_o.m_threads;
    JobRun run;
    run.count = m_jobs.size();
    run.threads = static_cast<unsigned>(std::min<std::size_t>(wanted, m_jobs.size()));
    run.inOrder = false;
    run.cancel = m_cancel;
    run.work = [this](std::size_t j) { scan(j); };
    run.finished = [this](std::size_t j, bool outOfMemory) {
      finishJob(j, outOfMemory);
      commitIfDue();
    };
    run.fewerThreads = [this](std::size_t started, unsigned, const char*) {
      if (m_o.m_warn) m_o.m_warn(static_cast<unsigned>(started));
    };
    if (m_o.m_background) run.threadStarted = lowerOwnPriority;
    run.idle = [this] { commitIfDue(); };
    run.idleEvery = kCommitAfter;
    runJobs(run);
  }

  // Runs on the runner's threads; running out of memory is the runner's to handle.
  void scan(std::size_t j) {
    const Job& job = m_jobs[j];
    auto done = std::make_unique<Done>();
    try {
      const IndexDemo& demo = m_demos[job.index];
      done->result = ScanDemoResult(demo.path, m_o.m_choice, demo.found ? &*demo.found : nullptr);
      done->result->size = job.facts.size;
      done->result->modified = job.facts.modified;
    } catch (const std::bad_alloc&) {
      throw;
    } catch (const std::exception& e) {
      done->error = e.what();
    }
    m_done[j] = std::move(done);
  }

  void finishJob(std::size_t j, bool outOfMemory) {
    const Job& job = m_jobs[j];
    const std::unique_ptr<Done> done = std::move(m_done[j]);
    IndexOutcome out{job.index, IndexOutcome::Kind::Scanned, job.key, {}, {}};
    if (!outOfMemory && done->result) {
      out.result = std::move(*done->result);
      ++m_counts.scanned;
    } else {
      out.kind = IndexOutcome::Kind::Failed;
      out.result.path = m_demos[job.index].path;
      out.error = outOfMemory ? std::string("Out of memory") : std::move(done->error);
      ++m_counts.failed;
    }
    if (writes()) keep(job, out);
    m_report(std::move(out));
  }

  // A file that is gone leaves the library; one that cannot be read is kept as such.
  void keep(const Job& job, const IndexOutcome& out) {
    if (!m_transaction) {
      m_transaction = std::make_unique<SqliteTransaction>(m_o.m_store->db());
      m_transactionStart = std::chrono::steady_clock::now();
    }
    LibraryStore& store = *m_o.m_store;
    const FileFacts& facts = job.facts;
    if (out.kind == IndexOutcome::Kind::Scanned) {
      store.save(job.key, out.result, analysisFor(out.result.gameDir), facts.identity);
    } else if (facts.err == ENOENT || facts.err == ENOTDIR) {
      store.remove(job.key);
    } else {
      store.saveFailure(job.key, facts.size, facts.modified, facts.identity, out.error,
                        analysisFor({}));
    }
    ++m_uncommitted;
  }

  void commitIfDue() {
    if (!m_transaction) return;
    if (m_uncommitted < kCommitEvery &&
        std::chrono::steady_clock::now() - m_transactionStart < kCommitAfter) {
      return;
    }
    m_transaction->commit();
    m_transaction.reset();
    m_uncommitted = 0;
  }

  LibraryIndexer& m_o;
  const std::vector<IndexDemo>& m_demos;
  const Report& m_report;
  const std::atomic<bool>* m_cancel;
  std::map<const PhrasePack*, std::string> m_analyses;
  IndexCounts m_counts;

  std::vector<Job> m_jobs;
  std::vector<std::unique_ptr<Done>> m_done;  // each filled by its scan, emptied when told

  std::unique_ptr<SqliteTransaction> m_transaction;
  std::chrono::steady_clock::time_point m_transactionStart;
  std::size_t m_uncommitted = 0;
};

LibraryIndexer::LibraryIndexer(LibraryStore* store, const PackChoice& choice, unsigned threads)
    : m_store(store), m_choice(choice), m_threads(threads) {}

IndexCounts LibraryIndexer::run(const std::vector<IndexDemo>& demos, const Report& report,
                                const std::atomic<bool>* cancel) {
  Run run(*this, demos, report, cancel);
  return run.go();
}

IndexCounts LibraryIndexer::run(const std::vector<std::string>& paths, const Report& report,
                                const std::atomic<bool>* cancel) {
  std::vector<IndexDemo> demos;
  for (const std::string& path : paths) demos.push_back({path, std::nullopt});
  return run(demos, report, cancel);
}

std::size_t LibraryIndexer::removeVanished(const std::vector<std::string>& folders) {
  if (m_store == nullptr || !m_store->readOnlyReason().empty()) return 0;
  std::size_t removed = 0;
  SqliteTransaction t(m_store->db());
  for (const std::string& folder : folders) {
    for (const std::string& path : m_store->pathsUnder(libraryKey(folder))) {
      struct stat st {};
      if (::lstat(path.c_str(), &st) == 0 || (errno != ENOENT && errno != ENOTDIR)) continue;
      m_store->remove(path);
      ++removed;
    }
  }
  t.commit();
  return removed;
}

}  // namespace obitrak
