#include "host/run_stats.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "platform/d3d8/d3d8_host.h"

namespace host {
namespace {

double Seconds(RunStats::Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double ResidentMiB() {
  long pages = 0, resident = 0;
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm && std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
  if (statm) std::fclose(statm);
  return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The high-water mark of the resident set, as the kernel counts it for this process.
// 0 where the system does not tell (in a page: the WebAssembly memory's size is said instead).
double PeakResidentMiB() {
#ifdef __EMSCRIPTEN__
  return double(__builtin_wasm_memory_size(0)) * 65536.0 / (1024.0 * 1024.0);
#endif
  long kib = 0;
  if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, status))
      if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1) break;
    std::fclose(status);
  }
  return double(kib) / 1024.0;
}

}  // namespace

void RunStats::Frame(bool onTimeline, long timelineMs) {
  const Clock::time_point now = Clock::now();
  if (loadingFrames_ + showFrames_ == 0) firstFrame_ = now;
  if (!onTimeline) {
    if (loadingFrames_ > 0) longestLoadingPause_ = std::max(longestLoadingPause_, Seconds(now - lastLoadingFrame_));
    lastLoadingFrame_ = now;
    ++loadingFrames_;
    return;
  }
  if (showFrames_ == 0) {
    firstShowFrame_ = now;
  } else if (Seconds(now - lastShowFrame_) > slowestFrame_) {
    slowestFrame_ = Seconds(now - lastShowFrame_);
    slowestFrameAt_ = timelineMs;
  }
  lastShowFrame_ = now;
  ++showFrames_;
  if (timelineMs >= nextMinuteMs_) {
    std::printf("vornhold: %ld min on the timeline, %lu frames, %.1f MiB resident\n", timelineMs / 60000, showFrames_,
                ResidentMiB());
    std::fflush(stdout);
    nextMinuteMs_ = (timelineMs / 60000 + 1) * 60000;
  }
}

void RunStats::Print() const {
  std::printf("vornhold: device %s\n", d3d8::DeviceInUse().c_str());
  const d3d8::BackBufferSize drawn = d3d8::BackBufferInUse();
  std::printf("vornhold: back buffer %ux%u\n", drawn.width, drawn.height);
  std::printf("vornhold: loading screen %lu frames, longest pause %.3f s\n", loadingFrames_, longestLoadingPause_);
  std::printf("vornhold: peak resident %.1f MiB\n", PeakResidentMiB());
  if (showFrames_ < 2) {
    std::printf("vornhold: show %lu frames\n", showFrames_);
    return;
  }
  const double seconds = Seconds(lastShowFrame_ - firstShowFrame_);
  std::printf("vornhold: show %lu frames in %.3f s: %.1f frames/s\n", showFrames_, seconds,
              double(showFrames_ - 1) / seconds);
  // A frame's time is the wall time since the frame before it was presented.
  std::printf("vornhold: whole run %.3f s; show frames %.2f ms on average, slowest %.2f ms at %ld ms\n",
              Seconds(lastShowFrame_ - firstFrame_), 1000.0 * seconds / double(showFrames_ - 1),
              1000.0 * slowestFrame_, slowestFrameAt_);
}

}  // namespace host
