#include "cli/SignalCleanup.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <csignal>
#include <cstring>
#include <ctime>

namespace obitrak {

namespace {

constexpr std::array<int, 4> kSignals{SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// The temporary files being written. A slot is claimed (state 1), filled, then published
// (state 2); the handlers read only published slots, through calls that are safe there.
constexpr std::size_t kSlots = 1100;     // more than the most jobs that run at once
constexpr std::size_t kNameBytes = 256;  // a name in a folder, NAME_MAX and its end
struct TemporarySlot {
  std::atomic<int> state{0};
  int folder = -1;
  char name[kNameBytes];
};
std::array<TemporarySlot, kSlots> g_slots;

// Set by the first handler: no temporary file is made after it.
std::atomic<bool> g_ending{false};
// Threads between add() and created(): the handler waits for them, so that a file created
// as the signal arrives is known before the handler removes what it knows.
std::atomic<int> g_creating{0};
thread_local sigset_t t_maskBeforeAdd;

sigset_t cleanupSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int s : kSignals) sigaddset(&set, s);
  return set;
}

class SignalSafeTemporaries : public TemporaryFiles {
 public:
  // The signals stay blocked on this thread until created(), so the handler, which waits
  // for every creation in progress, never runs on a thread that it would wait for.
  int add(int folder, const char* name) noexcept override {
    const sigset_t set = cleanupSignals();
    pthread_sigmask(SIG_BLOCK, &set, &t_maskBeforeAdd);
    g_creating.fetch_add(1);
    if (!g_ending.load() && std::strlen(name) < kNameBytes) {
      for (std::size_t i = 0; i < kSlots; ++i) {
        int expected = 0;
        if (!g_slots[i].state.compare_exchange_strong(expected, 1)) continue;
        g_slots[i].folder = folder;
        std::memcpy(g_slots[i].name, name, std::strlen(name) + 1);
        g_slots[i].state.store(2);
        return static_cast<int>(i);
      }
    }
    created(-1);
    return -1;
  }

  void created(int) noexcept override {
    g_creating.fetch_sub(1);
    pthread_sigmask(SIG_SETMASK, &t_maskBeforeAdd, nullptr);
  }

  void forget(int handle) noexcept override {
    if (handle >= 0 && static_cast<std::size_t>(handle) < kSlots) {
      g_slots[static_cast<std::size_t>(handle)].state.store(0);
    }
  }
};

SignalSafeTemporaries g_temporaries;

extern "C" void removeTemporariesAndEnd(int signal) {
  g_ending.store(true);
  while (g_creating.load() > 0) {
    const timespec pause{0, 1000000};
    nanosleep(&pause, nullptr);
  }
  for (TemporarySlot& slot : g_slots) {
    if (slot.state.load() == 2) ::unlinkat(slot.folder, slot.name, 0);
  }
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  ::sigaction(signal, &fallback, nullptr);
  // Blocked while the handler runs: delivered with the default action when it returns.
  ::raise(signal);
}

std::array<struct sigaction, kSignals.size()> g_previous;
std::array<bool, kSignals.size()> g_installed;

}  // namespace

TemporaryFiles& reportTemporaries() {
  return g_temporaries;
}

TemporaryFileCleanup::TemporaryFileCleanup() {
  struct sigaction action {};
  action.sa_handler = removeTemporariesAndEnd;
  action.sa_mask = cleanupSignals();
  for (std::size_t i = 0; i < kSignals.size(); ++i) {
    g_installed[i] = false;
    if (::sigaction(kSignals[i], nullptr, &g_previous[i]) != 0) continue;
    // A signal the caller ignores (nohup, a pipe's reader that may go) stays ignored.
    if (g_previous[i].sa_handler == SIG_IGN) continue;
    g_installed[i] = ::sigaction(kSignals[i], &action, nullptr) == 0;
  }
}

TemporaryFileCleanup::~TemporaryFileCleanup() {
  for (std::size_t i = 0; i < kSignals.size(); ++i) {
    if (g_installed[i]) ::sigaction(kSignals[i], &g_previous[i], nullptr);
  }
}

}  // namespace obitrak
