#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace obitrak {

// What one job of a run came to.
struct JobResult {
  bool ok = false;
  bool outOfMemory = false;  // it failed for want of memory even when it ran alone
  std::string messages;      // lines for standard error
};

// How a run of jobs goes.
struct JobRun {
  std::size_t count = 0;
  unsigned threads = 1;
  // Does job i; may throw std::bad_alloc.
  std::function<JobResult(std::size_t)> work;
  // Told of each result on the calling thread, in job order, as soon as the jobs before it
  // are told.
  std::function<void(std::size_t, const JobResult&)> finished;
  // Told when fewer threads than wanted could be started (`error` says why).
  std::function<void(std::size_t started, unsigned wanted, const char* error)> fewerThreads;
};

// Works on the jobs with up to `threads` threads. Where a thread cannot be started the run
// goes on with those it has (with none, on this thread). A job that runs out of memory while
// other threads work is given back and its thread ends, so the run goes on with fewer
// threads; a job that runs out of memory when it runs alone is reported as such.
void runJobs(const JobRun& run);

}  // namespace obitrak
