#include "platform/bass/stream_mixer.h"

#include <algorithm>
#include <limits>

namespace bass {

std::uint32_t StreamMixer::Add(std::unique_ptr<Mp3Decoder> decoder) {
  const std::uint32_t handle = nextHandle_++;
  if (nextHandle_ == 0) nextHandle_ = 1;
  streams_[handle].decoder = std::move(decoder);
  return handle;
}

bool StreamMixer::Play(std::uint32_t handle, bool restart) {
  const auto found = streams_.find(handle);
  if (found == streams_.end()) return false;
  Stream& stream = found->second;
  if (restart || stream.decoder->Ended()) {
    if (!stream.decoder->Rewind()) return false;
    stream.position = 0;
  }
  stream.playing = true;
  return true;
}

bool StreamMixer::SeekPlaying(std::uint64_t frame) {
  bool all = true;
  for (auto& [handle, stream] : streams_) {
    if (!stream.playing) continue;
    if (stream.decoder->SeekTo(frame))
      stream.position = frame;
    else
      all = false;
  }
  return all;
}

void StreamMixer::StopAll() {
  for (auto& [handle, stream] : streams_) stream.playing = false;
}

void StreamMixer::Clear() { streams_.clear(); }

std::size_t StreamMixer::Mix(std::int16_t* out, std::size_t frames) {
  std::fill(out, out + 2 * frames, std::int16_t{0});
  scratch_.resize(2 * frames);
  constexpr int kLow = std::numeric_limits<std::int16_t>::min();
  constexpr int kHigh = std::numeric_limits<std::int16_t>::max();
  std::size_t longest = 0;
  for (auto& [handle, stream] : streams_) {
    if (!stream.playing) continue;
    const std::size_t got = stream.decoder->Read(scratch_.data(), frames);
    if (got < frames) stream.playing = false;  // ended
    stream.position += got;
    longest = std::max(longest, got);
    for (std::size_t i = 0; i < 2 * got; ++i) {
      out[i] = static_cast<std::int16_t>(std::clamp(out[i] + scratch_[i], kLow, kHigh));
    }
  }
  return longest;
}

std::uint64_t StreamMixer::Position(std::uint32_t handle) const {
  const auto found = streams_.find(handle);
  return found == streams_.end() ? 0 : found->second.position;
}

}  // namespace bass
