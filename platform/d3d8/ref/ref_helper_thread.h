// One helper thread for the rasterizer: a draw's rows are split in two parts, one drawn by the
// calling thread and one by the helper. The parts touch disjoint pixels, so the result is the same
// as drawing every row on one thread.
//
// A draw hands its part over and waits for it through two counters. Each side spins briefly before
// it sleeps: draws follow each other within microseconds, and waking a sleeping thread costs more
// than the rows of a small draw, so that without the spin only large draws would be worth sharing.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <type_traits>

namespace d3d8::ref {

class HelperThread {
 public:
  using Job = void (*)(void* context, int part);

  HelperThread() = default;
  HelperThread(const HelperThread&) = delete;
  HelperThread& operator=(const HelperThread&) = delete;
  ~HelperThread();

  // Runs job(context, 1) on the helper and job(context, 0) on the caller; returns when both are
  // done. The helper starts at the first call. Calls come from one thread at a time.
  void RunPair(Job job, void* context);

  // The same for a callable taking the part (0 on the caller, 1 on the helper).
  template <typename Part>
  void RunPair(Part&& part) {
    RunPair([](void* context, int which) { (*static_cast<std::remove_reference_t<Part>*>(context))(which); }, &part);
  }

 private:
  void Loop();
  // Waits until `counter` reaches `value`: spinning for a while, then asleep on `wake`.
  void WaitFor(const std::atomic<std::uint64_t>& counter, std::uint64_t value, std::atomic<bool>& asleep,
               std::condition_variable& wake);
  void Notify(std::atomic<bool>& asleep, std::condition_variable& wake);

  std::thread thread_;
  Job job_ = nullptr;
  void* context_ = nullptr;
  std::atomic<std::uint64_t> posted_{0};    // jobs handed to the helper
  std::atomic<std::uint64_t> finished_{0};  // jobs the helper has finished
  std::atomic<bool> quit_{false};
  // Set by a side before it sleeps, so that the other side knows to wake it.
  std::atomic<bool> helperAsleep_{false};
  std::atomic<bool> callerAsleep_{false};
  std::mutex mutex_;
  std::condition_variable helperWake_;
  std::condition_variable callerWake_;
};

}  // namespace d3d8::ref
