#include "host/video_capture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "host/stop_signals.h"
#include "platform/bass/mp3_decoder.h"

extern char** environ;

namespace host {
namespace {

constexpr int kAudioRate = 44100;  // Hz
constexpr int kChannels = 2;

bool EndsWith(const std::string& s, const char* tail) {
  const std::size_t n = std::strlen(tail);
  return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

bool IsMp4(const std::string& path) { return EndsWith(path, ".mp4") || EndsWith(path, ".m4v"); }

// The first sample (per channel) of frame `frame` at the capture's rate.
std::uint64_t FirstSampleOf(std::uint64_t frame, const CaptureSettings& s) {
  return frame * kAudioRate * s.rateDenominator / s.rateNumerator;
}

}  // namespace

bool IsCaptureFile(const std::string& path) { return IsMp4(path) || EndsWith(path, ".mkv"); }
bool IsMp4Capture(const std::string& path) { return IsMp4(path); }

VideoCapture::~VideoCapture() {
  if (ffmpeg_ > 0) Abandon();
}

bool VideoCapture::Start(const CaptureSettings& settings, std::string& error) {
  settings_ = settings;
  if (!settings.soundtrack.empty()) {
    bass::Mp3Decoder decoder;
    if (decoder.Open(settings.soundtrack.c_str(), kAudioRate) != bass::Mp3Decoder::OpenResult::kOk) {
      error = "cannot capture: " + settings.soundtrack + " is missing or not an MP3 file";
      return false;
    }
    std::int16_t block[2 * 4096];
    for (std::size_t n; (n = decoder.Read(block, 4096)) > 0;)
      soundtrack_.insert(soundtrack_.end(), block, block + 2 * n);
  }

  // The hidden file beside the target: made here first, so an unwritable folder is said plainly.
  const std::filesystem::path target(settings.path);
  const std::string hidden = "." + target.filename().string() + ".part" + target.extension().string();
  partial_ = (target.parent_path() / hidden).string();
  const int probe = ::open(partial_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (probe < 0) {
    error = "cannot write " + settings.path + ": " + std::strerror(errno);
    return false;
  }
  ::close(probe);
  log_ = partial_ + ".log";

  const std::string size = std::to_string(settings.width) + "x" + std::to_string(settings.height);
  const std::string rate = std::to_string(settings.rateNumerator) + "/" + std::to_string(settings.rateDenominator);
  // The inputs are opened one after the other and read concurrently after that: with no probing,
  // opening the video never waits for more audio than one frame brings, nor the other way round.
  std::vector<std::string> args = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
                                   "-probesize", "32", "-analyzeduration", "0", "-thread_queue_size", "64",
                                   "-f", "rawvideo", "-pix_fmt", "bgr0", "-s", size, "-r", rate, "-i", "pipe:0"};
  const bool audio = !settings.soundtrack.empty();
  if (audio)
    args.insert(args.end(), {"-probesize", "32", "-analyzeduration", "0", "-thread_queue_size", "1024", "-f", "s16le",
                             "-ar", "44100", "-ac", "2", "-i", "pipe:3"});
  if (IsMp4(settings.path)) {
    // ffmpeg turns the frames into YUV with BT.601's matrix in limited range (its default); the
    // stream says so, so that players show the colours as drawn (an untagged HD stream is shown
    // as BT.709 by most).
    args.insert(args.end(), {"-c:v", "libx264", "-preset", settings.encoderPreset, "-crf",
                             std::to_string(settings.quality), "-pix_fmt", "yuv420p", "-colorspace", "smpte170m",
                             "-color_primaries", "smpte170m", "-color_trc", "smpte170m", "-color_range", "tv"});
    if (audio) args.insert(args.end(), {"-c:a", "aac", "-b:a", "192k"});
    args.insert(args.end(), {"-movflags", "+faststart", "-f", "mp4"});
  } else {
    args.insert(args.end(), {"-c:v", "ffv1", "-level", "3", "-pix_fmt", "bgr0"});
    if (audio) args.insert(args.end(), {"-c:a", "flac"});
    args.insert(args.end(), {"-f", "matroska"});
  }
  args.push_back(partial_);

  int video[2], sound[2] = {-1, -1};
  if (::pipe2(video, O_CLOEXEC) != 0 || (audio && ::pipe2(sound, O_CLOEXEC) != 0)) {
    error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
    Abandon();
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, video[0], 0);
  if (audio) posix_spawn_file_actions_adddup2(&actions, sound[0], 3);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  // In a process group of its own: a Ctrl-C at the terminal is ours to turn into the show's end,
  // after which ffmpeg still has to finish the file.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  const int spawned = posix_spawnp(&ffmpeg_, "ffmpeg", &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  ::close(video[0]);
  if (audio) ::close(sound[0]);
  videoPipe_ = video[1];
  audioPipe_ = sound[1];
  if (spawned != 0) {
    ffmpeg_ = -1;
    Abandon();
    error = spawned == ENOENT ? "cannot capture: ffmpeg is not installed (Debian: apt-get install ffmpeg)"
                              : std::string("cannot start ffmpeg: ") + std::strerror(spawned);
    return false;
  }
  SetAbruptEndCleanup(ffmpeg_, partial_, log_);
  ::signal(SIGPIPE, SIG_IGN);  // a failing ffmpeg shows as a write error
  ::fcntl(videoPipe_, F_SETFL, O_NONBLOCK);
  if (audioPipe_ >= 0) ::fcntl(audioPipe_, F_SETFL, O_NONBLOCK);
  return true;
}

bool VideoCapture::Frame(const platform::FrameImage& image, std::uint64_t frameNumber, long musicStartFrame,
                         std::string& error) {
  if (image.width > settings_.width || image.height > settings_.height) {
    error = "cannot capture: a frame of " + std::to_string(image.width) + "x" + std::to_string(image.height) +
            " in a video of " + std::to_string(settings_.width) + "x" + std::to_string(settings_.height);
    return false;
  }
  const std::uint32_t* pixels = image.xrgb.data();
  if (image.width != settings_.width || image.height != settings_.height) {  // centred between black bars
    padded_.assign(std::size_t(settings_.width) * std::size_t(settings_.height), 0);
    const int left = (settings_.width - image.width) / 2, top = (settings_.height - image.height) / 2;
    for (int y = 0; y < image.height; ++y) {
      const std::size_t to = std::size_t(top + y) * std::size_t(settings_.width) + std::size_t(left);
      std::copy_n(pixels + std::size_t(y) * std::size_t(image.width), image.width,
                  padded_.begin() + std::ptrdiff_t(to));
    }
    pixels = padded_.data();
  }
  samples_.clear();
  if (audioPipe_ >= 0) {
    const std::uint64_t first = FirstSampleOf(frameNumber, settings_), end = FirstSampleOf(frameNumber + 1, settings_);
    const std::uint64_t music = musicStartFrame < 0 ? end : FirstSampleOf(std::uint64_t(musicStartFrame), settings_);
    for (std::uint64_t s = first; s < end; ++s) {
      const std::uint64_t n = s - music;  // wraps before the music: then out of range
      for (int c = 0; c < kChannels; ++c)
        samples_.push_back(s >= music && 2 * n + c < soundtrack_.size() ? soundtrack_[2 * n + c] : 0);
    }
  }
  ++frames_;
  return WriteStreams(reinterpret_cast<const std::uint8_t*>(pixels),
                      std::size_t(settings_.width) * std::size_t(settings_.height) * 4,
                      reinterpret_cast<const std::uint8_t*>(samples_.data()), samples_.size() * 2, error);
}

// Both pipes at once, so that ffmpeg never waits on one while we wait on the other.
bool VideoCapture::WriteStreams(const std::uint8_t* video, std::size_t videoBytes, const std::uint8_t* audio,
                                std::size_t audioBytes, std::string& error) {
  while (videoBytes > 0 || audioBytes > 0) {
    pollfd fds[2] = {{videoBytes ? videoPipe_ : -1, POLLOUT, 0}, {audioBytes ? audioPipe_ : -1, POLLOUT, 0}};
    const int ready = ::poll(fds, 2, 250);
    if (ready < 0 && errno != EINTR) break;
    if (ready == 0 && FfmpegGaveUp()) {
      error = "ffmpeg could not write " + settings_.path + FfmpegSays();
      return false;
    }
    for (int i = 0; i < 2; ++i) {
      if (!fds[i].revents) continue;
      const std::uint8_t*& data = i == 0 ? video : audio;
      std::size_t& left = i == 0 ? videoBytes : audioBytes;
      const ssize_t n = ::write(fds[i].fd, data, left);
      if (n < 0 && errno != EAGAIN && errno != EINTR) {
        error = "ffmpeg stopped taking the video" + FfmpegSays();
        return false;
      }
      if (n > 0) data += n, left -= std::size_t(n);
    }
  }
  return true;
}

bool VideoCapture::Finish(std::string& error) {
  ::close(videoPipe_);
  if (audioPipe_ >= 0) ::close(audioPipe_);
  videoPipe_ = audioPipe_ = -1;
  int status = 0;
  const pid_t done = ::waitpid(ffmpeg_, &status, 0);
  ffmpeg_ = -1;
  std::error_code ec;
  if (done < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    error = "ffmpeg could not write " + settings_.path + FfmpegSays();
    Abandon();
    return false;
  }
  std::filesystem::rename(partial_, settings_.path, ec);
  SetAbruptEndCleanup(-1, "", "");  // the file is complete: a late signal leaves it
  std::filesystem::remove(log_);
  if (ec) {
    error = "cannot write " + settings_.path + ": " + ec.message();
    Abandon();
    return false;
  }
  return true;
}

void VideoCapture::Abandon() {
  if (videoPipe_ >= 0) ::close(videoPipe_);
  if (audioPipe_ >= 0) ::close(audioPipe_);
  videoPipe_ = audioPipe_ = -1;
  if (ffmpeg_ > 0) {
    ::kill(ffmpeg_, SIGKILL);  // its output is thrown away; a stuck ffmpeg ignores a first SIGTERM
    ::waitpid(ffmpeg_, nullptr, 0);
    ffmpeg_ = -1;
  }
  SetAbruptEndCleanup(-1, "", "");
  std::error_code ec;
  if (!partial_.empty()) std::filesystem::remove(partial_, ec);
  if (!log_.empty()) std::filesystem::remove(log_, ec);
}

// Whether ffmpeg has stopped for good while we wait to write. An ffmpeg whose output failed (a full
// disk, say) may stay alive without reading its inputs any more; at our log level, whatever it has
// said is an error, and the raw inputs give it nothing else to complain of.
bool VideoCapture::FfmpegGaveUp() {
  if (::waitpid(ffmpeg_, nullptr, WNOHANG) == ffmpeg_) {
    ffmpeg_ = -1;
    return true;
  }
  std::error_code ec;
  return std::filesystem::file_size(log_, ec) > 0 && !ec;
}

// ffmpeg's last line, as ": ..." (it says why, e.g. "No space left on device").
std::string VideoCapture::FfmpegSays() const {
  std::ifstream in(log_);
  std::string line, last;
  while (std::getline(in, line))
    if (!line.empty()) last = line;
  return last.empty() ? "" : ": " + last;
}

}  // namespace host
