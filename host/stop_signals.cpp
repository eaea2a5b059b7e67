#include "host/stop_signals.h"

#include <signal.h>
#include <unistd.h>

#include <time.h>

#include <cstring>

namespace host {
namespace {

volatile sig_atomic_t g_signals = 0;
volatile sig_atomic_t g_child = -1;
// Paths the handler may read at any moment: written only while g_cleanupReady is 0.
volatile sig_atomic_t g_cleanupReady = 0;
char g_file[4096];
char g_log[4096];

// When the first signal came, in milliseconds of the monotonic clock.
volatile long long g_firstMs = 0;
// A repeat this soon is the same request: timeout(1) and process-group kills deliver one signal
// twice, to the process and to its group.
constexpr long long kRepeatMs = 500;

long long NowMs() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);  // async-signal-safe
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void OnStopSignal(int signal) {
  const sig_atomic_t before = g_signals;
  if (before == 0) {
    g_firstMs = NowMs();
    g_signals = 1;
    return;  // the show ends at its next frame
  }
  if (NowMs() - g_firstMs < kRepeatMs) return;
  g_signals = before + 1;
  if (g_child > 0) ::kill(pid_t(g_child), SIGKILL);
  if (g_cleanupReady) {
    if (g_file[0]) ::unlink(g_file);
    if (g_log[0]) ::unlink(g_log);
  }
  ::signal(signal, SIG_DFL);
  ::raise(signal);  // ends as the signal would have, for whoever waits on us
}

void CopyPath(char (&to)[4096], const std::string& from) {
  const std::size_t n = from.size() < sizeof to - 1 ? from.size() : 0;  // a longer path is not kept
  std::memcpy(to, from.data(), n);
  to[n] = 0;
}

}  // namespace

void InstallStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

bool StopAsked() { return g_signals > 0; }

void SetAbruptEndCleanup(pid_t child, const std::string& file, const std::string& log) {
  g_cleanupReady = 0;
  g_child = child;
  CopyPath(g_file, file);
  CopyPath(g_log, log);
  g_cleanupReady = 1;
}

}  // namespace host
