// The window, PNG and video sinks, and the capture's progress line.
#include "host/frame_sinks.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "platform/png/png_writer.h"
#include "platform/win32/window_backend.h"

namespace host {

bool WindowSink::Take(const PresentedFrame& frame, std::string&) {
  if (frame.image) win32::GetWindowBackend().ShowFrame(frame.window, *frame.image);
  return true;
}

bool PngSink::Take(const PresentedFrame& frame, std::string& error) {
  if (!frame.image || frame.number % unsigned(every_) != 0) return true;
  char name[32];
  std::snprintf(name, sizeof name, "frame_%06lu.png", frame.number);
  return platform::WritePng((std::filesystem::path(folder_) / name).string(), *frame.image, error);
}

// On a terminal, in place: frames, seconds of video, speed against real time, time left; then one
// summary line. Quiet when stderr is not a terminal, but for the summary.
class VideoSink::Progress {
 public:
  using Clock = std::chrono::steady_clock;
  explicit Progress(double fps) : fps_(fps), terminal_(isatty(2)) {}

  void Frame(std::uint64_t frames, long remainingMs) {
    const Clock::time_point now = Clock::now();
    if (!terminal_ || now - shown_ < std::chrono::milliseconds(250)) return;
    shown_ = now;
    const double speed = Speed(frames);
    std::fprintf(stderr, "\rvornhold: capturing: %llu frames, %.1f s of video, %.2fx real time",
                 (unsigned long long)frames, frames / fps_, speed);
    if (remainingMs >= 0 && speed > 0) std::fprintf(stderr, ", about %.0f s left", remainingMs / 1000.0 / speed);
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

VideoSink::VideoSink(const CaptureSettings& settings)
    : settings_(settings),
      progress_(std::make_unique<Progress>(double(settings.rateNumerator) / double(settings.rateDenominator))) {}

VideoSink::~VideoSink() = default;

bool VideoSink::Take(const PresentedFrame& frame, std::string& error) {
  if (!frame.image) return true;
  if (capture_.frames() == 0) {
    CaptureSettings settings = settings_;
    if (settings.width <= 0) settings.width = frame.image->width, settings.height = frame.image->height;
    if (!capture_.Start(settings, error)) return false;
  }
  if (!capture_.Frame(*frame.image, frame.musicFrame, error)) return false;
  progress_->Frame(capture_.frames(), frame.remainingMs);
  return true;
}

bool VideoSink::Finish(std::string& error) {
  if (capture_.frames() == 0) return true;
  if (!capture_.Finish(error)) return false;
  progress_->Done(capture_.frames(), settings_.path);
  return true;
}

}  // namespace host
