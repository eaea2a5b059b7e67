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

// The frames given so far and the run's timeline still to come, as the line shows them.
class SinkProgress {
 public:
  using Clock = std::chrono::steady_clock;
  // doing: "capturing"; done: "captured" (the summary line's verb).
  SinkProgress(double fps, const char* doing, const char* done)
      : fps_(fps), doing_(doing), done_(done), terminal_(isatty(2)) {}

  void Frame(std::uint64_t frames, long remainingMs) {
    const Clock::time_point now = Clock::now();
    if (!terminal_ || now - shown_ < std::chrono::milliseconds(250)) return;
    shown_ = now;
    const double speed = Speed(frames);
    std::fprintf(stderr, "\rvornhold: %s: %llu frames, %.1f s of the show, %.2fx real time", doing_,
                 (unsigned long long)frames, frames / fps_, speed);
    if (remainingMs >= 0 && speed > 0) std::fprintf(stderr, ", about %.0f s left", remainingMs / 1000.0 / speed);
    std::fprintf(stderr, "   ");
    printed_ = true;
  }
  void Done(std::uint64_t frames, const std::string& where) {
    if (printed_) std::fputc('\n', stderr);
    std::fprintf(stderr, "vornhold: %s %llu frames (%.1f s) to %s in %.1f s, %.2fx real time\n", done_,
                 (unsigned long long)frames, frames / fps_, where.c_str(), Seconds(), Speed(frames));
  }

 private:
  double Seconds() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }
  double Speed(std::uint64_t frames) const { return Seconds() > 0 ? frames / fps_ / Seconds() : 0; }

  double fps_;
  const char* doing_;
  const char* done_;
  bool terminal_;
  bool printed_ = false;
  Clock::time_point start_ = Clock::now(), shown_;
};

PngSink::PngSink(std::string folder, int every, double fps)
    : folder_(std::move(folder)),
      every_(every),
      progress_(std::make_unique<SinkProgress>(fps, "writing frames", "wrote")) {}

PngSink::~PngSink() = default;

bool PngSink::Take(const PresentedFrame& frame, std::string& error) {
  if (!frame.image) return true;
  ++written_;  // frames of the show seen, whether each one is written or not
  progress_->Frame(written_, frame.remainingMs);
  if (frame.number % unsigned(every_) != 0) return true;
  char name[32];
  std::snprintf(name, sizeof name, "frame_%06lu.png", frame.number);
  return platform::WritePng((std::filesystem::path(folder_) / name).string(), *frame.image, error);
}

bool PngSink::Finish(std::string&) {
  if (written_ > 0) progress_->Done(written_, folder_);
  return true;
}

VideoSink::VideoSink(const CaptureSettings& settings)
    : settings_(settings),
      progress_(std::make_unique<SinkProgress>(double(settings.rateNumerator) / double(settings.rateDenominator),
                                               "capturing", "captured")) {}

VideoSink::~VideoSink() = default;

bool VideoSink::Take(const PresentedFrame& frame, std::string& error) {
  if (!frame.image) return true;
  if (capture_.frames() == 0) {
    CaptureSettings settings = settings_;
    if (settings.width <= 0) settings.width = frame.image->width, settings.height = frame.image->height;
    if (!capture_.Start(settings, error)) return false;
  }
  if (!capture_.Frame(*frame.image, frame.number, frame.musicFrame, error)) return false;
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
