// One helper thread for the rasterizer, in two ways of working:
// - RunPair: a draw's rows are split in two parts, one drawn by the calling thread and one by the
//   helper, and the call returns when both are done. The parts touch disjoint pixels, so the result
//   is the same as drawing every row on one thread.
// - Post: a job (a small draw) is handed over and the caller goes on, typically with the next
//   draw's vertex work; the helper runs the jobs in the order they were posted. Whatever the
//   caller draws itself must wait for them first (Finish), so that every pixel is still drawn in
//   the draws' order; RunPair does so.
//
// Jobs are handed over and waited for through two counters. Each side spins briefly before it
// sleeps: draws follow each other within microseconds, and waking a sleeping thread costs more
// than the rows of a small draw.
#pragma once

#include <array>
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
  // Jobs posted and not yet finished: Post waits for room beyond this many.
  static constexpr std::uint64_t kQueue = 64;

  HelperThread() = default;
  HelperThread(const HelperThread&) = delete;
  HelperThread& operator=(const HelperThread&) = delete;
  // Finishes the posted jobs, then ends the thread.
  ~HelperThread();

  // Runs job(context, 1) on the helper and job(context, 0) on the caller, after every posted job
  // has finished; returns when both are done. The helper starts at the first call. Calls come from
  // one thread at a time.
  void RunPair(Job job, void* context);

  // The same for a callable taking the part (0 on the caller, 1 on the helper).
  template <typename Part>
  void RunPair(Part&& part) {
    RunPair([](void* context, int which) { (*static_cast<std::remove_reference_t<Part>*>(context))(which); }, &part);
  }

  // Runs job(context, 1) on the helper after the jobs posted before it and returns at once with
  // the job's ticket; context must stay valid until the job has finished.
  std::uint64_t Post(Job job, void* context);
  // Waits until the job with this ticket, and so every job before it, has finished.
  void WaitFor(std::uint64_t ticket);
  // Jobs posted and not yet finished.
  std::uint64_t Pending() const { return posted_.load() - finished_.load(); }
  // Waits until every posted job has finished.
  void Finish() { WaitFor(posted_.load()); }

 private:
  struct Task {
    Job job = nullptr;  // null: the thread ends
    void* context = nullptr;
  };

  std::uint64_t Hand(Task task);
  void Loop();
  // Waits until `counter` reaches `value`: spinning for a while, then asleep on `wake`.
  void WaitFor(const std::atomic<std::uint64_t>& counter, std::uint64_t value, std::atomic<bool>& asleep,
               std::condition_variable& wake);
  void Notify(std::atomic<bool>& asleep, std::condition_variable& wake);

  std::thread thread_;
  std::array<Task, kQueue> tasks_;             // job n in tasks_[n % kQueue], jobs counted from 0
  std::atomic<std::uint64_t> posted_{0};    // jobs handed to the helper
  std::atomic<std::uint64_t> finished_{0};  // jobs the helper has finished
  // Set by a side before it sleeps, so that the other side knows to wake it.
  std::atomic<bool> helperAsleep_{false};
  std::atomic<bool> callerAsleep_{false};
  std::mutex mutex_;
  std::condition_variable helperWake_;
  std::condition_variable callerWake_;
};

}  // namespace d3d8::ref
