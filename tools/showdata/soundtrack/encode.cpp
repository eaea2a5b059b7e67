// MP3 encoding with LAME, and MakeSoundtrack.
#include <lame/lame.h>

#include <algorithm>
#include <memory>

#include "tools/showdata/soundtrack.h"
#include "tools/showdata/soundtrack/score.h"
#include "tools/showdata/soundtrack/synth.h"

namespace showdata::soundtrack {
namespace {

struct LameDeleter {
  void operator()(lame_global_flags* flags) const { lame_close(flags); }
};

constexpr int kChunkFrames = 8192;

}  // namespace

std::vector<std::uint8_t> EncodeMp3(const std::vector<float>& pcm, std::string* error) {
  auto fail = [error](const char* message) {
    if (error) *error = message;
    return std::vector<std::uint8_t>();
  };
  if (pcm.size() % 2 != 0) return fail("soundtrack: PCM is not whole stereo frames");
  std::unique_ptr<lame_global_flags, LameDeleter> lame(lame_init());
  if (!lame) return fail("soundtrack: cannot start the MP3 encoder");
  lame_set_in_samplerate(lame.get(), kRate);
  lame_set_out_samplerate(lame.get(), kRate);
  lame_set_num_channels(lame.get(), 2);
  lame_set_mode(lame.get(), JOINT_STEREO);
  lame_set_brate(lame.get(), 192);
  lame_set_VBR(lame.get(), vbr_off);
  lame_set_quality(lame.get(), 3);
  // The info tag carries the encoder delay and padding, so that decoders play sample-exact.
  lame_set_bWriteVbrTag(lame.get(), 1);
  lame_set_write_id3tag_automatic(lame.get(), 0);
  if (lame_init_params(lame.get()) < 0) return fail("soundtrack: the MP3 encoder rejects its settings");

  std::vector<std::uint8_t> out;
  std::vector<unsigned char> buffer(static_cast<std::size_t>(kChunkFrames * 5 / 4 + 7200));
  const std::size_t frames = pcm.size() / 2;
  for (std::size_t at = 0; at < frames; at += kChunkFrames) {
    const int n = static_cast<int>(std::min<std::size_t>(kChunkFrames, frames - at));
    const int written = lame_encode_buffer_interleaved_ieee_float(
        lame.get(), pcm.data() + at * 2, n, buffer.data(), static_cast<int>(buffer.size()));
    if (written < 0) return fail("soundtrack: the MP3 encoder failed");
    out.insert(out.end(), buffer.begin(), buffer.begin() + written);
  }
  const int tail = lame_encode_flush(lame.get(), buffer.data(), static_cast<int>(buffer.size()));
  if (tail < 0) return fail("soundtrack: the MP3 encoder failed at the end");
  out.insert(out.end(), buffer.begin(), buffer.begin() + tail);

  // LAME left an empty first frame for the tag; fill it in now that the lengths are known.
  const std::size_t tagSize = lame_get_lametag_frame(lame.get(), buffer.data(), buffer.size());
  if (tagSize == 0 || tagSize > buffer.size() || tagSize > out.size())
    return fail("soundtrack: the MP3 encoder gave no info tag");
  std::copy(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(tagSize), out.begin());
  return out;
}

}  // namespace showdata::soundtrack

namespace showdata {

std::vector<std::uint8_t> MakeSoundtrack(std::string* error) {
  const std::vector<float> pcm = soundtrack::Render(0, soundtrack::TotalFrames());
  return soundtrack::EncodeMp3(pcm, error);
}

}  // namespace showdata
