// vornhold: the host. Turns the command line into what the platform would have been (backend,
// clock, device, scripted input, frame sinks, trace) and into the viewer's answer to the setup
// dialog, unless the viewer answers it; then runs the system's entry as the operating system would
// and returns its exit code (1, or -1 seen as 255).
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "demo/demo.h"
#include "platform/d3d8/d3d8_host.h"
#include "platform/host/dialog_answer.h"
#include "platform/host/host_options.h"
#include "platform/host/png_writer.h"
#include "platform/host/video_capture.h"
#include "platform/host_glue/present_hub.h"
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

// Whether "part.txt" asks for the secret page, whose loop has no end: read by the show's own rule.
bool PartFileAsksForSecret() {
  DemoFlags flags{};
  ApplyPartKeywords("part.txt", flags);
  return flags.secret != 0;
}

// The capture's progress on a terminal, in place: frames, show time, speed, time left.
class CaptureProgress {
 public:
  using Clock = std::chrono::steady_clock;
  explicit CaptureProgress(double fps) : fps_(fps), terminal_(isatty(2)) {}

  // `leftMs`: timeline milliseconds still to render, or < 0 when not known yet.
  void Frame(std::uint64_t frames, long leftMs) {
    const Clock::time_point now = Clock::now();
    if (!terminal_ || now - shown_ < std::chrono::milliseconds(250)) return;
    shown_ = now;
    const double speed = Speed(frames);
    std::fprintf(stderr, "\rvornhold: capturing: %llu frames, %.1f s of video, %.2fx real time",
                 (unsigned long long)frames, frames / fps_, speed);
    if (leftMs >= 0 && speed > 0) std::fprintf(stderr, ", about %.0f s left", leftMs / 1000.0 / speed);
    std::fprintf(stderr, "   ");
    printed_ = true;
  }
  void Done(std::uint64_t frames, const std::string& file) {
    if (printed_) std::fputc('\n', stderr);
    std::fprintf(stderr, "vornhold: captured %llu frames (%.1f s) to %s in %.1f s, %.2fx real time\n",
                 (unsigned long long)frames, frames / fps_, file.c_str(), Seconds(), Speed(frames));
  }

 private:
  double Seconds() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }
  double Speed(std::uint64_t frames) const { return Seconds() > 0 ? frames / fps_ / Seconds() : 0; }

  double fps_;
  bool terminal_;
  bool printed_ = false;
  Clock::time_point start_ = Clock::now(), shown_;
};

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
  }

  void Print() const {
    std::printf("vornhold: loading screen %lu frames, longest pause %.3f s\n", loadingFrames_, longestLoadingPause_);
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

  unsigned long loadingFrames_ = 0, showFrames_ = 0;
  double longestLoadingPause_ = 0;
  double slowestFrame_ = 0;  // s
  long slowestFrameAt_ = 0;  // timeline ms
  Clock::time_point firstFrame_, lastLoadingFrame_, firstShowFrame_, lastShowFrame_;
};

}  // namespace

int main(int argc, char** argv) {
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
  if (capturing && options.escapeAtMs < 0 && PartFileAsksForSecret())
    return Fail("capturing the secret page needs --escape-at: the page has no end", kExitUsage);

  if (options.fixedStepFps > 0) win32::UseFixedStepClock(options.fixedStepFps);
  win32::SetClientAreaLimit(options.sizeWidth, options.sizeHeight);
  d3d8::UseNullDevice(options.device == host::Device::kNull);
  if (options.escapeAtMs >= 0) win32::ScheduleKeyPress(DWORD(options.escapeAtMs), VK_ESCAPE);

  if (!options.traceFile.empty()) {
    std::FILE* trace = std::fopen(options.traceFile.c_str(), "w");
    if (!trace) return Fail("cannot write trace file " + options.traceFile);
    platform::TraceOpen(trace);
  }
  if (!options.framesDirectory.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(options.framesDirectory, ec);
    if (ec) return Fail("cannot make frame folder " + options.framesDirectory + ": " + ec.message());
  }
  if (!std::filesystem::exists("part.txt"))
    std::fprintf(stderr, "vornhold: no part.txt in the current directory: no part will play\n");

  unsigned long frame = 0;
  bool frameWriteFailed = false;
  RunStats stats;
  // The capture: the music starts with the first frame on the timeline, at `musicTick`; without
  // --escape-at the show ends with the first frame at or past 147139 ms on its timeline.
  constexpr long kCaptureEndMs = 147139;
  host::VideoCapture capture;
  CaptureProgress progress(options.fixedStepFps);
  long musicFrame = -1;
  DWORD musicTick = 0;
  bool endScheduled = false;
  platform::SetPresentHandler([&](HWND__* window, const platform::FrameImage* image) {
    const DWORD tick = GetTickCount();
    const DWORD* origin = win32::TimelineOrigin();
    const long t = origin ? static_cast<long>(static_cast<std::int32_t>(tick - *origin)) : 0;
    stats.Frame(origin != nullptr, t);
    if (origin && musicFrame < 0) musicFrame = long(frame), musicTick = tick;
    if (capturing && image) {
      // The video's size is the first frame's, or --size.
      const auto start = [&](std::string& why) {
        return capture.Start({options.captureFile, options.sizeWidth > 0 ? options.sizeWidth : image->width,
                              options.sizeWidth > 0 ? options.sizeHeight : image->height, options.rateNumerator,
                              options.rateDenominator, options.silent ? "" : "lab.mp3"},
                             why);
      };
      std::string why;
      if ((capture.frames() == 0 && !start(why)) || !capture.Frame(*image, musicFrame, why)) {
        std::fprintf(stderr, "vornhold: %s\n", why.c_str());
        capture.Abandon();
        std::exit(kExitUsage);
      }
      const long endMs =
          options.escapeAtMs >= 0 ? long(musicTick + DWORD(options.escapeAtMs) - tick) : kCaptureEndMs - t;
      progress.Frame(capture.frames(), origin ? std::max(0L, endMs) : -1);
    }
    if (platform::TraceEnabled()) {
      if (origin)
        platform::TraceLine("Present frame=%lu tick=%lu t=%ld", frame, static_cast<unsigned long>(tick), t);
      else
        platform::TraceLine("Present frame=%lu tick=%lu t=-", frame, static_cast<unsigned long>(tick));
    }
    if (image && !options.framesDirectory.empty() && frame % unsigned(options.framesEvery) == 0 &&
        !frameWriteFailed) {
      char name[32];
      std::snprintf(name, sizeof name, "frame_%06lu.png", frame);
      std::string pngError;
      if (!host::WritePng((std::filesystem::path(options.framesDirectory) / name).string(), *image, pngError)) {
        std::fprintf(stderr, "vornhold: %s\n", pngError.c_str());
        frameWriteFailed = true;
      }
    }
    if (image) win32::GetWindowBackend().ShowFrame(window, *image);
    ++frame;
    win32::AdvanceClockOneFrame();  // nothing on the real clock
    if (capturing && options.escapeAtMs < 0 && origin && !endScheduled &&
        static_cast<std::int32_t>(GetTickCount() - *origin) >= kCaptureEndMs) {
      win32::ScheduleKeyPress(GetTickCount() - musicTick, VK_ESCAPE);  // read by the next frame
      endScheduled = true;
    }
  });

  const int result = WinMain(nullptr, nullptr, nullptr, 1);
  platform::TraceOpen(nullptr);
  if (capture.frames() > 0) {
    std::string why;
    if (!capture.Finish(why)) return Fail(why, kExitUsage);
    progress.Done(capture.frames(), options.captureFile);
  }
  if (options.stats) stats.Print();
  if (frameWriteFailed) return kExitFailure;
  return result;
}
