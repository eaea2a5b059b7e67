#include "platform/bass/mp3_decoder.h"

#include <SDL.h>
#include <mpg123.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <vector>

namespace bass {
namespace {

constexpr int kChannels = 2;
constexpr std::size_t kFrameBytes = kChannels * sizeof(std::int16_t);
constexpr int kMaxEmptyCalls = 64;
constexpr std::size_t kConvertChunkFrames = 4096;  // decoded per refill of the resampler

void InitLibraryOnce() {
  static std::once_flag once;
  // Needed by libmpg123 before 1.27; harmless afterwards.
  std::call_once(once, [] { mpg123_init(); });
}

}  // namespace

void Mp3Decoder::HandleDeleter::operator()(mpg123_handle_struct* handle) const {
  mpg123_close(handle);
  mpg123_delete(handle);
}

void Mp3Decoder::ConverterDeleter::operator()(_SDL_AudioStream* converter) const {
  SDL_FreeAudioStream(converter);
}

Mp3Decoder::Mp3Decoder() = default;
Mp3Decoder::~Mp3Decoder() = default;

Mp3Decoder::OpenResult Mp3Decoder::Open(const char* path, int rate) {
  handle_.reset();
  converter_.reset();
  nativeEnded_ = false;
  ended_ = false;
  nativeFrames_ = 0;
  convertedFrames_ = 0;
  if (path == nullptr) return OpenResult::kCannotOpen;

  // libmpg123 would also open a directory or a file it cannot read and fail later as "not an
  // MP3": check first so that the caller can tell the two apart.
  std::FILE* probe = std::fopen(path, "rb");
  if (probe == nullptr) return OpenResult::kCannotOpen;
  const int first = std::fgetc(probe);
  const bool unreadable = first == EOF && std::ferror(probe);
  std::fclose(probe);
  if (unreadable) return OpenResult::kCannotOpen;
  if (first == EOF) return OpenResult::kNotMp3;

  InitLibraryOnce();
  int error = MPG123_OK;
  std::unique_ptr<mpg123_handle_struct, HandleDeleter> handle(mpg123_new(nullptr, &error));
  if (!handle) return OpenResult::kNoMemory;

  mpg123_param(handle.get(), MPG123_FLAGS, MPG123_QUIET | MPG123_GAPLESS | MPG123_FORCE_STEREO, 0);
  // Any rate the file has, always as 16-bit stereo.
  mpg123_format_none(handle.get());
  const long* rates = nullptr;
  std::size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  for (std::size_t i = 0; i < rateCount; ++i)
    mpg123_format(handle.get(), rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
  if (mpg123_open(handle.get(), path) != MPG123_OK) return OpenResult::kCannotOpen;

  long fileRate = 0;
  int channels = 0;
  int encoding = 0;
  if (mpg123_getformat(handle.get(), &fileRate, &channels, &encoding) != MPG123_OK ||
      channels != kChannels || encoding != MPG123_ENC_SIGNED_16)
    return OpenResult::kNotMp3;
  // Later format changes would break the resampler's assumptions; the format stays as it is.
  mpg123_format_none(handle.get());
  mpg123_format(handle.get(), fileRate, MPG123_STEREO, MPG123_ENC_SIGNED_16);

  if (fileRate != rate) {
    converter_.reset(SDL_NewAudioStream(AUDIO_S16SYS, kChannels, static_cast<int>(fileRate),
                                        AUDIO_S16SYS, kChannels, rate));
    if (!converter_) return OpenResult::kNoMemory;
  }
  fileRate_ = static_cast<int>(fileRate);
  outputRate_ = rate;
  handle_ = std::move(handle);
  return OpenResult::kOk;
}

std::size_t Mp3Decoder::Read(std::int16_t* out, std::size_t frames) {
  if (!handle_ || ended_) return 0;
  const std::size_t got = converter_ ? ReadConverted(out, frames) : ReadNative(out, frames);
  if (got < frames) ended_ = true;
  return got;
}

std::size_t Mp3Decoder::ReadNative(std::int16_t* out, std::size_t frames) {
  if (nativeEnded_) return 0;
  auto* bytes = reinterpret_cast<unsigned char*>(out);
  std::size_t filled = 0;  // bytes
  const std::size_t wanted = frames * kFrameBytes;
  int emptyCalls = 0;  // calls that produced nothing (a skipped frame, a format message)
  while (filled < wanted) {
    std::size_t done = 0;
    const int result = mpg123_read(handle_.get(), bytes + filled, wanted - filled, &done);
    filled += done;
    const bool progressing = result == MPG123_OK || result == MPG123_NEW_FORMAT;
    emptyCalls = done > 0 ? 0 : emptyCalls + 1;
    // MPG123_DONE at the end; an error, or a decoder that stops producing, ends the stream too
    // rather than spinning on the audio thread.
    if (!progressing || emptyCalls > kMaxEmptyCalls) {
      nativeEnded_ = true;
      break;
    }
  }
  return filled / kFrameBytes;
}

std::size_t Mp3Decoder::ReadConverted(std::int16_t* out, std::size_t frames) {
  const int wanted = static_cast<int>(frames * kFrameBytes);
  std::vector<std::int16_t> chunk;
  while (SDL_AudioStreamAvailable(converter_.get()) < wanted && !nativeEnded_) {
    chunk.resize(kChannels * kConvertChunkFrames);
    const std::size_t got = ReadNative(chunk.data(), kConvertChunkFrames);
    nativeFrames_ += got;
    const int bytes = static_cast<int>(got * kFrameBytes);
    if (SDL_AudioStreamPut(converter_.get(), chunk.data(), bytes) != 0) nativeEnded_ = true;
    if (nativeEnded_) {
      // SDL's resampler keeps its last input frames back even through a flush: push them out
      // with a chunk of silence; the length cut below drops what the silence adds.
      chunk.assign(chunk.size(), 0);
      SDL_AudioStreamPut(converter_.get(), chunk.data(),
                         static_cast<int>(kConvertChunkFrames * kFrameBytes));
      SDL_AudioStreamFlush(converter_.get());
    }
  }
  const int gotBytes = SDL_AudioStreamGet(converter_.get(), out, wanted);
  std::size_t got = gotBytes > 0 ? static_cast<std::size_t>(gotBytes) / kFrameBytes : 0;
  if (nativeEnded_) {
    // The file's own duration at the output rate.
    const std::uint64_t total = (nativeFrames_ * outputRate_ + fileRate_ / 2) / fileRate_;
    const std::uint64_t left = total - std::min(total, convertedFrames_);
    got = static_cast<std::size_t>(std::min<std::uint64_t>(got, left));
  }
  convertedFrames_ += got;
  return got;
}

bool Mp3Decoder::Rewind() {
  if (!handle_) return false;
  if (mpg123_seek(handle_.get(), 0, SEEK_SET) < 0) return false;
  if (converter_) SDL_AudioStreamClear(converter_.get());
  nativeFrames_ = 0;
  convertedFrames_ = 0;
  nativeEnded_ = false;
  ended_ = false;
  return true;
}

// At the file's own rate libmpg123 seeks to the sample (it decodes the frames before the target
// that the bit reservoir needs). Through the resampler the converter's state depends on all that
// went before, so the frames before the target are decoded and dropped.
bool Mp3Decoder::SeekTo(std::uint64_t frame) {
  if (!Rewind()) return false;
  if (frame == 0) return true;
  if (!converter_) {
    const off_t at = mpg123_seek(handle_.get(), off_t(frame), SEEK_SET);
    if (at < 0) return false;
    nativeFrames_ = std::uint64_t(at);
    if (std::uint64_t(at) < frame) nativeEnded_ = ended_ = true;  // past the end
    return true;
  }
  std::vector<std::int16_t> dropped(2 * 4096);
  while (frame > 0) {
    const std::size_t got = Read(dropped.data(), std::size_t(std::min<std::uint64_t>(frame, 4096)));
    if (got == 0) break;  // past the end: nothing more to play
    frame -= got;
  }
  return true;
}

}  // namespace bass
