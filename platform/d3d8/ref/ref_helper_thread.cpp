// The rasterizer's helper thread: jobs handed over through counters, with a short spin before
// either side sleeps.
#include "platform/d3d8/ref/ref_helper_thread.h"

#include <chrono>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace d3d8::ref {
namespace {

// Long enough to cover the vertex work between two draws, short enough not to hold a core that
// another program could use.
constexpr auto kSpin = std::chrono::microseconds(50);

inline void Pause() {
#if defined(__x86_64__) || defined(__i386__)
  _mm_pause();
#endif
}

}  // namespace

HelperThread::~HelperThread() {
  if (!thread_.joinable()) return;
  quit_.store(true);
  posted_.fetch_add(1);
  Notify(helperAsleep_, helperWake_);
  thread_.join();
}

void HelperThread::RunPair(Job job, void* context) {
  if (!thread_.joinable()) thread_ = std::thread([this] { Loop(); });
  job_ = job;
  context_ = context;
  // The increment publishes job_ and context_ to the helper.
  const std::uint64_t ticket = posted_.fetch_add(1) + 1;
  Notify(helperAsleep_, helperWake_);
  job(context, 0);
  WaitFor(finished_, ticket, callerAsleep_, callerWake_);
}

void HelperThread::Loop() {
  std::uint64_t seen = 0;
  for (;;) {
    WaitFor(posted_, seen + 1, helperAsleep_, helperWake_);
    ++seen;
    if (quit_.load()) return;
    job_(context_, 1);
    finished_.store(seen);
    Notify(callerAsleep_, callerWake_);
  }
}

void HelperThread::WaitFor(const std::atomic<std::uint64_t>& counter, std::uint64_t value, std::atomic<bool>& asleep,
                           std::condition_variable& wake) {
  const auto until = std::chrono::steady_clock::now() + kSpin;
  for (int i = 0; counter.load() < value; ++i) {
    Pause();
    if (i % 64 == 63 && std::chrono::steady_clock::now() > until) break;
  }
  if (counter.load() >= value) return;
  std::unique_lock lock(mutex_);
  // Sequentially consistent: either the other side sees `asleep` and wakes this one, or this one
  // sees the counter it has already advanced.
  asleep.store(true);
  wake.wait(lock, [&] { return counter.load() >= value; });
  asleep.store(false);
}

void HelperThread::Notify(std::atomic<bool>& asleep, std::condition_variable& wake) {
  if (!asleep.load()) return;
  { std::lock_guard lock(mutex_); }
  wake.notify_one();
}

}  // namespace d3d8::ref
