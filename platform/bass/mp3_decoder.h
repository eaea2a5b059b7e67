// One MP3 file decoded on demand through libmpg123.
//
// The decoder always yields interleaved signed 16-bit stereo at the rate given to Open: libmpg123
// doubles mono files to both channels, and files at another rate go through SDL's resampler
// (libmpg123's own can only halve or quarter the rate). Nothing is decoded up front beyond the
// first frame that Open needs to learn the format; Read decodes only what it is asked for.
// Not thread-safe: the owner serialises every call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct mpg123_handle_struct;
struct _SDL_AudioStream;

namespace bass {

class Mp3Decoder {
 public:
  enum class OpenResult { kOk, kCannotOpen, kNotMp3, kNoMemory };

  Mp3Decoder();
  ~Mp3Decoder();
  Mp3Decoder(const Mp3Decoder&) = delete;
  Mp3Decoder& operator=(const Mp3Decoder&) = delete;

  // rate: output frames per second (Hz).
  OpenResult Open(const char* path, int rate);

  // Fills up to `frames` stereo frames (2 * frames samples); returns how many were written.
  // Fewer than asked means the file has ended (or became unreadable).
  std::size_t Read(std::int16_t* out, std::size_t frames);

  // Back to the first frame; false when the file cannot seek.
  bool Rewind();
  // To `frame` frames from the start, sample-exact: what Read gives next is what it would give
  // after reading `frame` frames from the start. False when the file cannot seek.
  bool SeekTo(std::uint64_t frame);

  bool Ended() const { return ended_; }

 private:
  struct HandleDeleter {
    void operator()(mpg123_handle_struct* handle) const;
  };
  struct ConverterDeleter {
    void operator()(_SDL_AudioStream* converter) const;
  };

  // Decodes straight from the file at its own rate; returns frames written.
  std::size_t ReadNative(std::int16_t* out, std::size_t frames);
  std::size_t ReadConverted(std::int16_t* out, std::size_t frames);

  std::unique_ptr<mpg123_handle_struct, HandleDeleter> handle_;
  std::unique_ptr<_SDL_AudioStream, ConverterDeleter> converter_;  // null at the output rate
  int fileRate_ = 0;    // Hz
  int outputRate_ = 0;  // Hz
  std::uint64_t nativeFrames_ = 0;     // decoded from the file since the start
  std::uint64_t convertedFrames_ = 0;  // handed out by ReadConverted since the start
  bool nativeEnded_ = false;  // the file has no more frames (the converter may still hold some)
  bool ended_ = false;        // nothing more to read at all
};

}  // namespace bass
