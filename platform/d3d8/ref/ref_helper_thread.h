// One helper thread for the rasterizer: a large triangle's rows are split in two halves, one drawn
// by the calling thread and one by the helper. The halves touch disjoint pixels, so the result is
// the same as drawing every row on one thread.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace d3d8::ref {

class HelperThread {
 public:
  using Job = void (*)(void* context, int part);

  HelperThread() = default;
  HelperThread(const HelperThread&) = delete;
  HelperThread& operator=(const HelperThread&) = delete;
  ~HelperThread();

  // Runs job(context, 1) on the helper and job(context, 0) on the caller; returns when both are
  // done. The helper starts at the first call.
  void RunPair(Job job, void* context);

 private:
  void Loop();

  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable finished_;
  Job job_ = nullptr;
  void* context_ = nullptr;
  bool pending_ = false;
  bool quit_ = false;
};

}  // namespace d3d8::ref
