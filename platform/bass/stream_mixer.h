// The library's streams and their sum: what the output (or the capture hook) plays.
//
// Each stream owns its decoder, its play state and its position in frames. Mix adds every playing
// stream into one stereo buffer, saturating at the 16-bit limits. Not thread-safe: the library
// holds its lock around every call, the audio thread's included.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/bass/mp3_decoder.h"

namespace bass {

class StreamMixer {
 public:
  // Takes an opened decoder; returns its handle (never 0).
  std::uint32_t Add(std::unique_ptr<Mp3Decoder> decoder);
  bool Contains(std::uint32_t handle) const { return streams_.count(handle) != 0; }
  // restart: from the first frame. A stream that has ended restarts in any case.
  // False when the handle is unknown or the stream cannot go back to its start.
  bool Play(std::uint32_t handle, bool restart);
  void StopAll();
  // Every playing stream to `frame` frames from its start; false when one cannot seek.
  bool SeekPlaying(std::uint64_t frame);
  void Clear();
  // Fills 2 * frames samples; returns the frames that any stream contributed to.
  std::size_t Mix(std::int16_t* out, std::size_t frames);
  std::uint64_t Position(std::uint32_t handle) const;

 private:
  struct Stream {
    std::unique_ptr<Mp3Decoder> decoder;
    bool playing = false;
    std::uint64_t position = 0;  // frames played since the start
  };
  std::map<std::uint32_t, Stream> streams_;
  std::uint32_t nextHandle_ = 1;
  std::vector<std::int16_t> scratch_;
};

}  // namespace bass
