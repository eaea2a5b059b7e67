#include "platform/d3d8/ref/ref_helper_thread.h"

namespace d3d8::ref {

HelperThread::~HelperThread() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void HelperThread::RunPair(Job job, void* context) {
  if (!thread_.joinable()) thread_ = std::thread([this] { Loop(); });
  {
    std::lock_guard lock(mutex_);
    job_ = job;
    context_ = context;
    pending_ = true;
  }
  wake_.notify_one();
  job(context, 0);
  std::unique_lock lock(mutex_);
  finished_.wait(lock, [this] { return !pending_; });
}

void HelperThread::Loop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return pending_ || quit_; });
    if (quit_) return;
    const Job job = job_;
    void* context = context_;
    lock.unlock();
    job(context, 1);
    lock.lock();
    pending_ = false;
    finished_.notify_one();
  }
}

}  // namespace d3d8::ref
