#include "scan/JobRunner.h"

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
// that handing out, handing back and ending jobs needs no memory.
class JobQueue {
 public:
  explicit JobQueue(const JobRun& run) : m_run(run), m_state(run.count, kWaiting) {
    m_givenBack.reserve(run.count);
    m_ended.reserve(run.count);
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
      bool outOfMemory = false;
      try {
        m_run.work(i);
      } catch (const std::bad_alloc&) {
        outOfMemory = true;
      }
      if (!finish(i, outOfMemory)) return;
    }
  }

  // Tells every job that ends, until no thread works any more; returns the first exception
  // that telling threw, after which no job is started.
  std::exception_ptr report() {
    for (std::size_t told = 0;; ++told) {
      std::size_t i = 0;
      bool outOfMemory = false;
      if (!next(told, i, outOfMemory)) return m_failure;
      try {
        m_run.finished(i, outOfMemory);
      } catch (...) {
        return fail();
      }
    }
  }

 private:
  enum State : char { kWaiting, kEnded, kOutOfMemory };

  bool cancelled() const { return m_stopped || (m_run.cancel != nullptr && m_run.cancel->load()); }

  bool take(std::size_t& i) {
    {
      std::lock_guard lock(m_mutex);
      if (!cancelled() && !m_givenBack.empty()) {
        i = m_givenBack.back();
        m_givenBack.pop_back();
        return true;
      }
      if (!cancelled() && m_next < m_run.count) {
        i = m_next++;
        return true;
      }
      --m_working;
    }
    m_changed.notify_all();
    return false;
  }

  // Records how the job ended; false when the thread ends, its job given back to the others.
  bool finish(std::size_t i, bool outOfMemory) {
    {
      std::lock_guard lock(m_mutex);
      if (outOfMemory && m_working > 1) {
        m_givenBack.push_back(i);
        --m_working;
        return false;
      }
      m_state[i] = outOfMemory ? kOutOfMemory : kEnded;
      m_ended.push_back(i);
    }
    m_changed.notify_all();
    return true;
  }

  // The `told`th job to tell, waiting for it; false when none will come.
  bool next(std::size_t told, std::size_t& i, bool& outOfMemory) {
    std::unique_lock lock(m_mutex);
    for (;;) {
      if (told >= m_run.count) return false;
      const bool ready = m_run.inOrder ? m_state[told] != kWaiting : told < m_ended.size();
      if (ready) {
        i = m_run.inOrder ? told : m_ended[told];
        outOfMemory = m_state[i] == kOutOfMemory;
        return true;
      }
      if (m_working == 0) return false;
      if (!m_run.idle) {
        m_changed.wait(lock);
      } else if (m_changed.wait_for(lock, m_run.idleEvery) == std::cv_status::timeout) {
        lock.unlock();
        try {
          m_run.idle();
        } catch (...) {
          fail();
          return false;
        }
        lock.lock();
      }
    }
  }

  std::exception_ptr fail() {
    std::lock_guard lock(m_mutex);
    m_stopped = true;
    if (!m_failure) m_failure = std::current_exception();
    return m_failure;
  }

  const JobRun& m_run;
  std::vector<State> m_state;
  std::vector<std::size_t> m_givenBack;
  std::vector<std::size_t> m_ended;  // in the order the jobs ended
  std::size_t m_next = 0;
  std::size_t m_working = 0;  // threads in their loop
  bool m_stopped = false;
  std::exception_ptr m_failure;
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
      pool.emplace_back([&queue, &run] {
        if (run.threadStarted) run.threadStarted();
        queue.work();
      });
    } catch (const std::exception& e) {
      queue.notJoined();
      std::snprintf(error.data(), error.size(), "%s", e.what());
    }
  }
  if (error[0] != '\0' && run.fewerThreads)
    run.fewerThreads(pool.size(), run.threads, error.data());
  if (pool.empty()) {
    queue.joined();
    queue.work();
  }
  const std::exception_ptr failure = queue.report();
  for (std::thread& t : pool) t.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace obitrak
