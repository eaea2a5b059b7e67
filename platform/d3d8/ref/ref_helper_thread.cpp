// The rasterizer's helper thread: jobs queued in a ring and handed over through counters, with a
// short spin before either side sleeps.
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
  Hand(Task{});
  thread_.join();
}

void HelperThread::RunPair(Job job, void* context) {
  Finish();
  const std::uint64_t ticket = Hand(Task{job, context});
  job(context, 0);
  WaitFor(ticket);
}

std::uint64_t HelperThread::Post(Job job, void* context) { return Hand(Task{job, context}); }

void HelperThread::WaitFor(std::uint64_t ticket) { WaitFor(finished_, ticket, callerAsleep_, callerWake_); }

std::uint64_t HelperThread::Hand(Task task) {
  if (!thread_.joinable()) thread_ = std::thread([this] { Loop(); });
  const std::uint64_t index = posted_.load();
  if (index >= kQueue) WaitFor(finished_, index - kQueue + 1, callerAsleep_, callerWake_);  // room
  tasks_[index % kQueue] = task;
  // The store publishes the task to the helper.
  posted_.store(index + 1);
  Notify(helperAsleep_, helperWake_);
  return index + 1;
}

void HelperThread::Loop() {
  for (std::uint64_t done = 0;; ++done) {
    WaitFor(posted_, done + 1, helperAsleep_, helperWake_);
    const Task task = tasks_[done % kQueue];
    if (!task.job) return;
    task.job(task.context, 1);
    finished_.store(done + 1);
    Notify(callerAsleep_, callerWake_);
  }
}

void HelperThread::WaitFor(const std::atomic<std::uint64_t>& counter, std::uint64_t value, std::atomic<bool>& asleep,
                           std::condition_variable& wake) {
  if (counter.load() >= value) return;
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
