// VideoCapture: the show's presented frames and its soundtrack into one video file, encoded by
// Debian's ffmpeg run as a process, the raw frames and the PCM each through a pipe.
//
// By the file's extension: .mp4 (H.264 in yuv420p + AAC, plays in browsers) or .mkv (FFV1 + FLAC,
// lossless). ffmpeg writes a hidden file beside the target, which gets the target's name only once
// the video is complete; on any failure nothing is left under either name.
//
// Audio is laid on the fixed clock: frame k covers samples floor(k * 44100 / fps) up to those of
// frame k + 1; the soundtrack's sample n sits n / 44100 s after the start of the frame at which the
// music started, silence before it and after the soundtrack's end, cut at the last frame.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/present/present.h"

namespace host {

struct CaptureSettings {
  std::string path;        // .mp4 or .mkv
  int width = 0;           // pixels; a smaller frame is centred between black bars
  int height = 0;
  std::uint64_t rateNumerator = 60;  // frames per second = numerator / denominator
  std::uint64_t rateDenominator = 1;
  std::string soundtrack;  // MP3 file; empty: no audio track
  int quality = 18;                  // .mp4: x264's constant-quality number (CRF)
  std::string encoderPreset = "medium";  // .mp4: x264's preset
};

// Whether the path names a container we write; whether that is an MP4 (H.264, lossy).
bool IsCaptureFile(const std::string& path);
bool IsMp4Capture(const std::string& path);

class VideoCapture {
 public:
  VideoCapture() = default;
  ~VideoCapture();  // abandons a capture that was not finished
  VideoCapture(const VideoCapture&) = delete;
  VideoCapture& operator=(const VideoCapture&) = delete;

  // Decodes the soundtrack and starts ffmpeg; false with a one-line reason.
  bool Start(const CaptureSettings& settings, std::string& error);
  // The run's frame number `frameNumber` (frames presented before it, those not captured
  // included: a capture from a moment keeps the soundtrack where it is at that frame);
  // `musicStartFrame` is the number of the frame at which the music started, or -1 while it has not.
  bool Frame(const platform::FrameImage& image, std::uint64_t frameNumber, long musicStartFrame,
             std::string& error);
  // Ends the streams, waits for ffmpeg and names the file; false (no file left) on failure.
  bool Finish(std::string& error);
  // Stops ffmpeg and removes what it wrote.
  void Abandon();

  std::uint64_t frames() const { return frames_; }

 private:
  bool WriteStreams(const std::uint8_t* video, std::size_t videoBytes, const std::uint8_t* audio,
                    std::size_t audioBytes, std::string& error);
  bool FfmpegGaveUp();
  std::string FfmpegSays() const;

  CaptureSettings settings_;
  std::vector<std::int16_t> soundtrack_;  // interleaved stereo at 44100 Hz
  std::string partial_;                   // the hidden file ffmpeg writes
  std::string log_;                       // ffmpeg's messages
  pid_t ffmpeg_ = -1;
  int videoPipe_ = -1;
  int audioPipe_ = -1;
  std::uint64_t frames_ = 0;
  std::vector<std::int16_t> samples_;  // one frame's audio
  std::vector<std::uint32_t> padded_;  // a smaller frame centred in the video
};

}  // namespace host
