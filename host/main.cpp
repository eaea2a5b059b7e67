// vornhold: the host. Turns the command line into what the platform would have been (backend,
// clock, device, scripted input, frame sinks, trace) and into the viewer's answer to the setup
// dialog, unless the viewer answers it; then runs the system's entry as the operating system would
// and returns its exit code (1, or -1 seen as 255).
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "demo/demo.h"
#include "platform/bass/mp3_check.h"
#include "platform/d3d8/d3d8_host.h"
#include "host/dialog_answer.h"
#include "host/frame_sinks.h"
#include "host/host_options.h"
#include "platform/present/present.h"
#include "platform/trace/trace.h"
#include "platform/win32/sdl_window_backend.h"
#include "platform/win32/win32.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/window_backend.h"
#include "resources/compiled_resources.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int Fail(const std::string& message, int code = kExitFailure) {
  std::fprintf(stderr, "vornhold: %s\n", message.c_str());
  return code;
}

// "part.txt" read by the show's own rule: whether it is there (only a regular file counts) and its
// flags (the secret page's loop has no end).
struct PartFile {
  bool present = false;
  DemoFlags flags{};
};

PartFile ReadPartFile() {
  PartFile file;
  std::error_code ec;
  file.present = std::filesystem::is_regular_file("part.txt", ec);
  ApplyPartKeywords("part.txt", file.flags);
  return file;
}

// Wall-clock figures of a run: the frames before the timeline starts are the loading screen's,
// and the longest pause between two of them is the loading itself (the fades are frames).
class RunStats {
 public:
  using Clock = std::chrono::steady_clock;

  // `timelineMs`: the frame's time on the show's timeline, when it has started.
  void Frame(bool onTimeline, long timelineMs) {
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
    if (timelineMs >= nextMinuteMs_) {  // for long runs: memory that grows shows here
      std::printf("vornhold: %ld min on the timeline, %lu frames, %.1f MiB resident\n", timelineMs / 60000,
                  showFrames_, ResidentMiB());
      std::fflush(stdout);
      nextMinuteMs_ = (timelineMs / 60000 + 1) * 60000;
    }
  }

  void Print() const {
    std::printf("vornhold: device %s\n", d3d8::DeviceInUse().c_str());
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

 private:
  static double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
  static double ResidentMiB() {
    long pages = 0, resident = 0;
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm && std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    if (statm) std::fclose(statm);
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
  }

  // The high-water mark of the resident set, as the kernel counts it for this process.
  static double PeakResidentMiB() {
    long kib = 0;
    if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
      char line[256];
      while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1) break;
      std::fclose(status);
    }
    return double(kib) / 1024.0;
  }

  unsigned long loadingFrames_ = 0, showFrames_ = 0;
  double longestLoadingPause_ = 0;
  double slowestFrame_ = 0;  // s
  long slowestFrameAt_ = 0;  // timeline ms
  long nextMinuteMs_ = 60000;
  Clock::time_point firstFrame_, lastLoadingFrame_, firstShowFrame_, lastShowFrame_;
};

// Memory running out anywhere (the show, its libraries, a rasterizer thread): one line and exit code
// 2, nothing half-written left. A reserve freed first gives the sinks room to clean up.
std::vector<std::unique_ptr<host::FrameSink>>* g_sinks = nullptr;
char* g_reserve = nullptr;

void OutOfMemory() {
  delete[] g_reserve;
  g_reserve = nullptr;
  std::fputs("vornhold: out of memory\n", stderr);
  if (g_sinks)
    for (const auto& sink : *g_sinks) sink->Abandon();
  std::_Exit(kExitUsage);
}

}  // namespace

int main(int argc, char** argv) {
  std::set_new_handler(OutOfMemory);
  g_reserve = new char[1 << 20];
  std::string error;
  const auto parsed = host::ParseHostOptions(argc, argv, error);
  if (!parsed) {
    std::fprintf(stderr, "vornhold: %s\n", error.c_str());
    return kExitUsage;
  }
  const host::HostOptions& options = *parsed;
  if (options.help) {
    std::fputs(host::HostUsage(), stdout);
    return 0;
  }

  // The window system: a real one, or none.
  if (options.headless) {
    auto headless = std::make_unique<win32::HeadlessBackend>();
    // The desktop runs in the chosen mode, so a windowed 16-bit run really renders 16-bit.
    headless->SetDesktopMode({options.width, options.height, options.bitsPerPixel, 60});
    win32::SetWindowBackend(std::move(headless));
  } else {
    auto sdl = std::make_unique<win32::SdlWindowBackend>(
        win32::SdlPresentation{options.sharp, options.display, options.vsync});
    if (!sdl->Open(error)) {
      if (error.rfind("no monitor", 0) == 0) return Fail(error, kExitUsage);
      return Fail("no display (" + error + "); use --headless to run without a window");
    }
    win32::SetWindowBackend(std::move(sdl));
  }

  for (const resources::Resource& r : resources::CompiledResources())
    win32::RegisterResource(r.type, r.id, r.bytes, r.size);
  // Shown when someone is there to answer it; otherwise answered from the options.
  const bool shown = options.dialog || (!host::MakesAChoice(options) && !host::Unattended(options));
  win32::SetDialogAnswer(shown ? win32::DialogAnswer() : host::AnswerFromOptions(options));

  const bool capturing = !options.captureFile.empty();
  const PartFile partFile = ReadPartFile();
  if (capturing && options.escapeAtMs < 0 && partFile.flags.secret)
    return Fail("capturing the secret page needs --escape-at: the page has no end", kExitUsage);
  if (capturing && !options.silent) {  // a video without its soundtrack is not what was asked for
    std::string why;
    const bass::Mp3Check soundtrack = bass::CheckMp3File("lab.mp3", &why);
    if (soundtrack != bass::Mp3Check::kWhole)
      return Fail("cannot capture: lab.mp3 " + bass::DescribeMp3Check(soundtrack, why), kExitUsage);
  }

  if (options.fixedStepFps > 0) win32::UseFixedStepClock(options.fixedStepFps);
  win32::SetClientAreaLimit(options.sizeWidth, options.sizeHeight);
  d3d8::UseNullDevice(options.device == host::Device::kNull);
  // The system asks for HAL first: --device hal takes any OpenGL 3.3; by default only
  // hardware-accelerated OpenGL on a display counts, so headless runs and captures keep the
  // software device; --device ref refuses HAL.
  if (options.device == host::Device::kHal) {
    d3d8::UseHardwareDevice(d3d8::HardwareDevice::kAnyOpenGl);
  } else if ((options.deviceGiven && options.device == host::Device::kRef) || options.device == host::Device::kNull ||
             options.headless || capturing) {
    d3d8::UseHardwareDevice(d3d8::HardwareDevice::kNever);
  } else {
    d3d8::UseHardwareDevice(d3d8::HardwareDevice::kAccelerated);
  }
  if (options.escapeAtMs >= 0) win32::ScheduleKeyPress(DWORD(options.escapeAtMs), VK_ESCAPE);

  if (!options.traceFile.empty()) {
    std::FILE* trace = std::fopen(options.traceFile.c_str(), "w");
    if (!trace) return Fail("cannot write trace file " + options.traceFile);
    trace::Open(trace);
  }
  std::vector<std::unique_ptr<host::FrameSink>> sinks;
  g_sinks = &sinks;
  if (capturing) {
    sinks.push_back(std::make_unique<host::VideoSink>(
        host::CaptureSettings{options.captureFile, options.sizeWidth, options.sizeHeight, options.rateNumerator,
                              options.rateDenominator, options.silent ? "" : "lab.mp3"}));
  }
  if (!options.framesDirectory.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(options.framesDirectory, ec);
    if (ec) return Fail("cannot make frame folder " + options.framesDirectory + ": " + ec.message());
    sinks.push_back(std::make_unique<host::PngSink>(options.framesDirectory, options.framesEvery));
  }
  platform::SetFramePixelsWanted(!sinks.empty());  // files or a video besides the window
  sinks.push_back(std::make_unique<host::WindowSink>());
  if (!partFile.present)
    std::fprintf(stderr, "vornhold: no part.txt in the current directory: no part will play\n");
  else if (!AnyPartPlays(partFile.flags))
    std::fprintf(stderr, "vornhold: part.txt names no part: no part will play\n");

  unsigned long frame = 0;
  RunStats stats;
  // The music starts with the first frame on the timeline, at `musicTick`. A capture without
  // --escape-at ends with the first frame at or past 147139 ms on the timeline.
  constexpr long kCaptureEndMs = 147139;
  long musicFrame = -1;
  DWORD musicTick = 0;
  bool endScheduled = false;
  platform::SetPresentHandler([&](HWND__* window, const platform::FrameImage* image) {
    const DWORD tick = GetTickCount();
    const DWORD* origin = win32::TimelineOrigin();
    const long t = origin ? static_cast<long>(static_cast<std::int32_t>(tick - *origin)) : 0;
    if (options.stats) stats.Frame(origin != nullptr, t);
    if (origin && musicFrame < 0) musicFrame = long(frame), musicTick = tick;
    trace::Write("Present", "frame=" + std::to_string(frame), "tick=" + std::to_string(tick),
                 origin ? "t=" + std::to_string(t) : std::string("t=-"));

    host::PresentedFrame presented{window, image, frame, musicFrame, -1};
    if (origin && options.escapeAtMs >= 0)
      presented.remainingMs = std::max(0L, long(musicTick + DWORD(options.escapeAtMs) - tick));
    else if (origin && capturing)
      presented.remainingMs = std::max(0L, kCaptureEndMs - t);
    for (const auto& sink : sinks) {
      std::string why;
      if (sink->Take(presented, why)) continue;
      for (const auto& s : sinks) s->Abandon();
      std::exit(Fail(why, kExitUsage));
    }
    ++frame;
    win32::AdvanceClockOneFrame();  // nothing on the real clock
    if (capturing && options.escapeAtMs < 0 && origin && !endScheduled &&
        static_cast<std::int32_t>(GetTickCount() - *origin) >= kCaptureEndMs) {
      win32::ScheduleKeyPress(GetTickCount() - musicTick, VK_ESCAPE);  // read by the next frame
      endScheduled = true;
    }
  });

  const int result = WinMain(nullptr, nullptr, nullptr, 1);
  trace::Open(nullptr);
  for (const auto& sink : sinks) {
    std::string why;
    if (!sink->Finish(why)) return Fail(why, kExitUsage);
  }
  if (options.stats) stats.Print();
  return result;
}
