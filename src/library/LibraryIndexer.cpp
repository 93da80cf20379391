#include "library/LibraryIndexer.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "library/AnalysisVersion.h"
#include "library/LibraryStore.h"
#include "scan/DemoScan.h"

namespace obitrak {

namespace {

// A transaction is committed after this many demos or this long, whichever comes first.
constexpr std::size_t kCommitEvery = 64;
constexpr auto kCommitAfter = std::chrono::milliseconds(250);
constexpr int kBackgroundNice = 5;

struct FileFacts {
  int err = 0;  // errno of a failed stat, 0 when it succeeded
  std::int64_t size = 0;
  std::int64_t modified = 0;
};

FileFacts factsOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {errno != 0 ? errno : EIO, 0, 0};
  const std::int64_t ns =
      static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
  return {0, static_cast<std::int64_t>(st.st_size), ns};
}

// Lowers the priority of the calling thread: on Linux a nice value belongs to the thread
// that sets it.
void lowerOwnPriority() {
  errno = 0;
  const int nice = ::getpriority(PRIO_PROCESS, 0);
  if (errno == 0) (void)::setpriority(PRIO_PROCESS, 0, nice + kBackgroundNice);
}

}  // namespace

DemoResult ScanDemoResult(const std::string& path, const PhrasePack* pack, const FoundFile* found) {
  DemoTables tables;
  const ScanReport report =
      found != nullptr ? DemoScanOpened(tables, openFoundFile(*found, path), path, nullptr, pack)
                       : DemoScan(tables, path, nullptr, pack);
  // A recording Obitrak cannot read has no result: it fails with its notice.
  if (report.unsupported) throw std::runtime_error(report.statusPanel1);
  return DemoResultOf(tables, path, report.notices);
}

class LibraryIndexer::Run {
 public:
  Run(LibraryIndexer& owner, const std::vector<IndexDemo>& demos, const Report& report,
      const std::atomic<bool>* cancel)
      : m_o(owner), m_demos(demos), m_report(report), m_cancel(cancel) {
    if (m_o.m_store != nullptr) m_analysis = AnalysisVersion(m_o.m_pack);
  }

  ~Run() { stopWorkers(); }
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  IndexCounts go() {
    prepare();
    startWorkers();
    collect();
    stopWorkers();
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
  struct Done {
    std::size_t job;
    std::optional<DemoResult> result;
    std::string error;
  };

  bool cancelled() const { return m_cancel != nullptr && m_cancel->load(); }

  // Reports the demos that need no scan and lists the others, all in one look at the
  // library.
  void prepare() {
    std::optional<SqliteTransaction> reading;
    if (m_o.m_store != nullptr) reading.emplace(m_o.m_store->db(), SqliteTransaction::Kind::Read);
    for (std::size_t i = 0; i < m_demos.size() && !cancelled(); ++i) {
      Job job{i, libraryKey(m_demos[i].path), factsOf(m_demos[i].path)};
      if (!reuse(job)) m_jobs.push_back(std::move(job));
    }
    if (reading) reading->commit();
  }

  bool reuse(const Job& job) {
    if (m_o.m_store == nullptr || job.facts.err != 0) return false;
    const std::optional<StoredState> state = m_o.m_store->stateOf(job.key);
    if (!state || state->failed || state->size != job.facts.size ||
        state->modified != job.facts.modified || state->analysis != m_analysis) {
      return false;
    }
    IndexOutcome out{job.index, IndexOutcome::Kind::Reused, job.key, {}, {}};
    if (m_o.m_loadReused) {
      std::optional<DemoResult> stored = m_o.m_store->load(job.key);
      if (!stored) return false;
      out.result = std::move(*stored);
    }
    out.result.path = m_demos[job.index].path;
    out.result.size = job.facts.size;
    out.result.modified = job.facts.modified;
    ++m_counts.reused;
    m_report(std::move(out));
    return true;
  }

  void startWorkers() {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned wanted = m_o.m_threads == 0 ? cores : m_o.m_threads;
    const std::size_t useful = std::min<std::size_t>(wanted, m_jobs.size());
    for (std::size_t t = 0; t < useful; ++t) {
      try {
        m_workers.emplace_back([this] { work(); });
      } catch (const std::system_error&) {
        break;
      }
    }
    if (m_workers.size() < useful && m_o.m_warn) {
      m_o.m_warn(static_cast<unsigned>(m_workers.size()));
    }
    if (m_workers.empty()) work();  // no thread at all: this one scans
  }

  void stopWorkers() {
    m_stop = true;
    for (std::thread& t : m_workers) t.join();
    m_workers.clear();
  }

  void work() {
    if (m_o.m_background && !m_workers.empty()) lowerOwnPriority();
    for (;;) {
      if (m_stop || cancelled()) break;
      const std::size_t j = m_next++;
      if (j >= m_jobs.size()) break;
      Done done{j, std::nullopt, {}};
      const Job& job = m_jobs[j];
      try {
        const IndexDemo& demo = m_demos[job.index];
        done.result = ScanDemoResult(demo.path, m_o.m_pack, demo.found ? &*demo.found : nullptr);
        done.result->size = job.facts.size;
        done.result->modified = job.facts.modified;
      } catch (const std::bad_alloc&) {
        done.error = "Out of memory";
      } catch (const std::exception& e) {
        done.error = e.what();
      }
      std::lock_guard lock(m_mutex);
      m_done.push_back(std::move(done));
      m_ready.notify_one();
    }
    std::lock_guard lock(m_mutex);
    ++m_finishedWorkers;
    m_ready.notify_one();
  }

  void collect() {
    const std::size_t workers = std::max<std::size_t>(m_workers.size(), 1);
    for (;;) {
      std::deque<Done> batch;
      bool allFinished = false;
      {
        std::unique_lock lock(m_mutex);
        m_ready.wait_for(lock, kCommitAfter,
                         [&] { return !m_done.empty() || m_finishedWorkers >= workers; });
        batch.swap(m_done);
        allFinished = m_finishedWorkers >= workers;
      }
      for (Done& d : batch) finishJob(std::move(d));
      commitIfDue();
      if (allFinished && batch.empty()) break;
    }
  }

  void finishJob(Done done) {
    const Job& job = m_jobs[done.job];
    IndexOutcome out{job.index, IndexOutcome::Kind::Scanned, job.key, {}, {}};
    if (done.result) {
      out.result = std::move(*done.result);
      ++m_counts.scanned;
    } else {
      out.kind = IndexOutcome::Kind::Failed;
      out.result.path = m_demos[job.index].path;
      out.error = std::move(done.error);
      ++m_counts.failed;
    }
    if (m_o.m_store != nullptr) keep(job, out);
    m_report(std::move(out));
  }

  // A file that is gone leaves the library; one that cannot be read is kept as such.
  void keep(const Job& job, const IndexOutcome& out) {
    if (!m_transaction) {
      m_transaction = std::make_unique<SqliteTransaction>(m_o.m_store->db());
      m_transactionStart = std::chrono::steady_clock::now();
    }
    LibraryStore& store = *m_o.m_store;
    if (out.kind == IndexOutcome::Kind::Scanned) {
      store.save(job.key, out.result, m_analysis);
    } else if (job.facts.err == ENOENT || job.facts.err == ENOTDIR) {
      store.remove(job.key);
    } else {
      store.saveFailure(job.key, job.facts.size, job.facts.modified, out.error, m_analysis);
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
  std::string m_analysis;
  IndexCounts m_counts;

  std::vector<Job> m_jobs;
  std::atomic<std::size_t> m_next{0};
  std::atomic<bool> m_stop{false};
  std::vector<std::thread> m_workers;
  std::mutex m_mutex;
  std::condition_variable m_ready;
  std::deque<Done> m_done;
  std::size_t m_finishedWorkers = 0;

  std::unique_ptr<SqliteTransaction> m_transaction;
  std::chrono::steady_clock::time_point m_transactionStart;
  std::size_t m_uncommitted = 0;
};

LibraryIndexer::LibraryIndexer(LibraryStore* store, const PhrasePack* pack, unsigned threads)
    : m_store(store), m_pack(pack), m_threads(threads) {}

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
  if (m_store == nullptr) return 0;
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
