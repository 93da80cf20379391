#include "cli/JobRunner.h"

#include <array>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace obitrak {

namespace {

// The state the threads share; every member is allocated before the first thread starts, so
// that handing out and handing back jobs needs no memory.
class JobQueue {
 public:
  explicit JobQueue(const JobRun& run)
      : m_run(run), m_results(run.count), m_done(run.count, false) {
    m_givenBack.reserve(run.count);
  }

  void joined() {
    std::lock_guard lock(m_mutex);
    ++m_working;
  }
  void notJoined() {
    std::lock_guard lock(m_mutex);
    --m_working;
  }

  // One thread's loop: jobs until there are none left, or until it gives one back.
  void work() {
    for (;;) {
      std::size_t i = 0;
      if (!take(i)) return;
      JobResult result;
      bool outOfMemory = false;
      try {
        result = m_run.work(i);
      } catch (const std::bad_alloc&) {
        outOfMemory = true;
      }
      if (!finish(i, std::move(result), outOfMemory)) return;
    }
  }

  // Hands each result to `finished` in job order as the threads complete them.
  void report() {
    for (std::size_t i = 0; i < m_run.count; ++i) {
      std::unique_lock lock(m_mutex);
      m_changed.wait(lock, [&] { return static_cast<bool>(m_done[i]); });
      lock.unlock();
      // Told without allocating; a failure to tell must not leave the threads running.
      try {
        m_run.finished(i, m_results[i]);
      } catch (...) {
      }
    }
  }

 private:
  bool take(std::size_t& i) {
    std::lock_guard lock(m_mutex);
    if (!m_givenBack.empty()) {
      i = m_givenBack.back();
      m_givenBack.pop_back();
      return true;
    }
    if (m_next < m_run.count) {
      i = m_next++;
      return true;
    }
    --m_working;
    return false;
  }

  // Records the result; false when the thread ends, its job given back to the others.
  bool finish(std::size_t i, JobResult result, bool outOfMemory) {
    {
      std::lock_guard lock(m_mutex);
      if (outOfMemory && m_working > 1) {
        m_givenBack.push_back(i);
        --m_working;
        return false;
      }
      m_results[i] = std::move(result);
      m_results[i].outOfMemory = outOfMemory;
      m_done[i] = true;
    }
    m_changed.notify_all();
    return true;
  }

  const JobRun& m_run;
  std::vector<JobResult> m_results;
  std::vector<char> m_done;
  std::vector<std::size_t> m_givenBack;
  std::size_t m_next = 0;
  std::size_t m_working = 0;  // threads in their loop
  std::mutex m_mutex;
  std::condition_variable m_changed;
};

}  // namespace

void runJobs(const JobRun& run) {
  JobQueue queue(run);
  std::vector<std::thread> pool;
  pool.reserve(run.threads);
  // Kept here: the exception that says why is gone when its handler ends.
  std::array<char, 160> error{};
  for (unsigned t = 0; t < run.threads && error[0] == '\0'; ++t) {
    queue.joined();
    try {
      pool.emplace_back([&queue] { queue.work(); });
    } catch (const std::exception& e) {
      queue.notJoined();
      std::snprintf(error.data(), error.size(), "%s", e.what());
    }
  }
  if (error[0] != '\0') run.fewerThreads(pool.size(), run.threads, error.data());
  if (pool.empty()) {
    queue.joined();
    queue.work();
  }
  queue.report();
  for (std::thread& t : pool) t.join();
}

}  // namespace obitrak
