// Where the host sends the presented frames: the window, PNG files, a video file.
//
// Each is a FrameSink. The host hands every presented frame to each sink in turn, in the order it
// made them, and finishes them after the show has ended. A sink that cannot go on says why in one
// line; the host then stops the run and abandons every sink, so nothing half-written is left.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/host_options.h"
#include "host/video_capture.h"
#include "platform/present/present.h"

namespace host {

// A presented frame as the sinks see it.
struct PresentedFrame {
  HWND__* window = nullptr;
  const platform::FrameImage* image = nullptr;  // null from a device that draws nothing
  unsigned long number = 0;                     // frames presented before this one
  long musicFrame = -1;   // the number of the frame at which the music started; -1 while it has not
  long remainingMs = -1;  // timeline milliseconds the run still has to show; -1 while not known
};

class FrameSink {
 public:
  virtual ~FrameSink() = default;
  // False with a one-line reason when the sink cannot go on.
  virtual bool Take(const PresentedFrame& frame, std::string& error) = 0;
  // After the last frame: completes what was written; false with a reason when it cannot.
  virtual bool Finish(std::string& error) { return true; }
  // The run stops early: removes what the sink had begun.
  virtual void Abandon() {}
  // Whether the sink shows the run as it goes (the window): it also gets the loading screen of a
  // run that starts at a moment; files and videos begin at the moment.
  virtual bool ShowsTheRun() const { return false; }
};

// The frame in the device's window (nothing on a headless run).
class WindowSink final : public FrameSink {
 public:
  bool Take(const PresentedFrame& frame, std::string& error) override;
  bool ShowsTheRun() const override { return true; }
};

// On a terminal, in place: frames, seconds written, speed against real time, time left; then one
// summary line. Quiet when stderr is not a terminal, but for the summary.
class SinkProgress;

// Every `every`-th frame as <folder>/frame_NNNNNN.png, numbered by presented frame; shows its
// progress as a capture does, at the run's frame rate `fps`.
class PngSink final : public FrameSink {
 public:
  PngSink(std::string folder, int every, double fps);
  ~PngSink() override;
  bool Take(const PresentedFrame& frame, std::string& error) override;
  bool Finish(std::string& error) override;

 private:
  std::string folder_;
  int every_;
  std::uint64_t written_ = 0;
  std::unique_ptr<SinkProgress> progress_;
};

// The frames and the soundtrack into a video file (see VideoCapture), started by the first frame,
// whose size it takes unless `settings` gives one. Shows its progress on a terminal.
class VideoSink final : public FrameSink {
 public:
  explicit VideoSink(const CaptureSettings& settings);
  ~VideoSink() override;
  bool Take(const PresentedFrame& frame, std::string& error) override;
  bool Finish(std::string& error) override;
  void Abandon() override { capture_.Abandon(); }

 private:
  CaptureSettings settings_;
  VideoCapture capture_;
  std::unique_ptr<SinkProgress> progress_;
};

}  // namespace host
