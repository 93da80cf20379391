#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>

namespace obitrak {

// How a run of jobs goes: the batch of reports and the library's indexer both run their
// scans this way, with one rule for memory that runs out.
struct JobRun {
  std::size_t count = 0;
  unsigned threads = 1;
  // Does job i and keeps what it came to where `finished` finds it; may throw std::bad_alloc.
  std::function<void(std::size_t)> work;
  // Told of each job on the calling thread: in job order, each as soon as the jobs before it
  // are told, or as the jobs end when `inOrder` is false. `outOfMemory`: the job ran out of
  // memory even when it ran alone. What it throws ends the run once the started jobs end.
  std::function<void(std::size_t, bool outOfMemory)> finished;
  bool inOrder = true;
  // Told when fewer threads than wanted could be started (`error` says why).
  std::function<void(std::size_t started, unsigned wanted, const char* error)> fewerThreads;
  // Once it is set no job is started; the jobs under way end and are told.
  const std::atomic<bool>* cancel = nullptr;
  // Run first on every thread the runner starts (not on the calling thread).
  std::function<void()> threadStarted;
  // Called on the calling thread whenever it has waited `idleEvery` for a job to end.
  std::function<void()> idle;
  std::chrono::milliseconds idleEvery{250};
};

// Works on the jobs with up to `threads` threads. Where a thread cannot be started the run
// goes on with those it has (with none, on this thread). A job that runs out of memory while
// other threads work is given back and its thread ends, so that it is tried again once fewer
// jobs run at once; a job that runs out of memory when it runs alone is told as such.
void runJobs(const JobRun& run);

}  // namespace obitrak
