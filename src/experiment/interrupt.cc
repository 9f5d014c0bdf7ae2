#include "interrupt.h"

#include <signal.h>

#include <atomic>

namespace davrel3 {
namespace {

std::atomic<int> received{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void OnInterrupt(int signal) {
  int none = 0;
  if (!received.compare_exchange_strong(none, signal)) {
    // A second interrupt: the default action, which ends the process.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
  }
}

}  // namespace

void InstallInterruptHandlers() {
  struct sigaction action{};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // Writes and waits go on after the handler; the flag is read between runs.
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int InterruptSignal() { return received.load(); }

int InterruptExitStatus(int signal) { return 128 + signal; }

void RequestInterrupt(int signal) {
  int none = 0;
  received.compare_exchange_strong(none, signal);
}

void ClearInterrupt() { received.store(0); }

}  // namespace davrel3
