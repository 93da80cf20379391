#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

namespace obitrak {

// A thread of its own that works through jobs in the order given while the caller goes on.
// The jobs waiting are held to a limit of their weights (bytes, or one a job): push() waits
// for room. The first failure of a job is kept and rethrown to the caller at the next push()
// or at drain(); the jobs after it are still done. Ending it drops the jobs not started and
// waits for the one under way.
template <typename Job>
class WorkThread {
 public:
  WorkThread(std::function<void(Job&)> work, std::size_t limit)
      : m_work(std::move(work)), m_limit(limit), m_thread([this] { run(); }) {}
  ~WorkThread() {
    {
      std::lock_guard lock(m_mutex);
      m_stop = true;
      m_queue.clear();
    }
    m_changed.notify_all();
    m_thread.join();
  }
  WorkThread(const WorkThread&) = delete;
  WorkThread& operator=(const WorkThread&) = delete;

  void push(Job job, std::size_t weight) {
    {
      std::unique_lock lock(m_mutex);
      m_changed.wait(lock, [&] { return m_weight < m_limit || m_failure; });
      if (m_failure) std::rethrow_exception(m_failure);
      m_weight += weight;
      m_queue.emplace_back(std::move(job), weight);
    }
    m_changed.notify_all();
  }

  // Waits for every job to be done.
  void drain() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_queue.empty() && !m_busy; });
    if (m_failure) std::rethrow_exception(m_failure);
  }

 private:
  void run() {
    for (;;) {
      std::unique_lock lock(m_mutex);
      m_changed.wait(lock, [&] { return m_stop || !m_queue.empty(); });
      if (m_queue.empty()) return;
      auto [job, weight] = std::move(m_queue.front());
      m_queue.pop_front();
      m_busy = true;
      lock.unlock();
      std::exception_ptr failure;
      try {
        m_work(job);
      } catch (...) {
        failure = std::current_exception();
      }
      lock.lock();
      if (failure && !m_failure) m_failure = failure;
      m_weight -= weight;
      m_busy = false;
      lock.unlock();
      m_changed.notify_all();
    }
  }

  std::function<void(Job&)> m_work;
  std::size_t m_limit;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::deque<std::pair<Job, std::size_t>> m_queue;
  std::size_t m_weight = 0;  // of the jobs waiting or under way
  bool m_busy = false;       // the thread holds a job
  bool m_stop = false;
  std::exception_ptr m_failure;
  std::thread m_thread;  // last: it starts once the rest is made
};

}  // namespace obitrak
