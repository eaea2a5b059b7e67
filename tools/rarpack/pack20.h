// RAR 2.0 compressor: LZ77 over a 1 MiB window with Huffman-coded literals, lengths and distances,
// and a multimedia (audio) mode for interleaved 8-bit channels.
//
// One encoder serves one archive. Each PackEntry call produces the data area of one entry. In a
// solid archive the next call continues the stream of the previous one (window, match history,
// code tables, previous code lengths and audio state carry over), exactly as the reader's
// decoder carries them; otherwise every entry starts from a cleared state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

enum class MultimediaMode {
  kAuto,    // audio blocks where they pay off
  kForce,   // every block in audio mode (the best channel count)
  kForbid,  // LZ blocks only
};

struct Pack20Options {
  MultimediaMode multimedia = MultimediaMode::kAuto;
};

class Pack20Encoder {
 public:
  explicit Pack20Encoder(Pack20Options options = {});
  ~Pack20Encoder();
  Pack20Encoder(const Pack20Encoder&) = delete;
  Pack20Encoder& operator=(const Pack20Encoder&) = delete;

  // Compresses one entry. With continueSolid the entry continues the previous call's stream (the
  // archive marks it with the solid flag); without it the state is cleared first and the stream
  // opens with a table block. alignTo > 1 pads the result to a multiple of alignTo bytes (the
  // cipher's 16-byte blocks) with bytes that the decoder's end-of-entry table check cannot take
  // for a table block. The last symbol's byte is followed by two zero bytes for extractors
  // that read ahead. An empty entry yields an empty result and leaves the state as it was.
  // continueSolid needs an earlier non-empty entry from this encoder; without one the call
  // starts a new stream, and the archive must not mark that entry solid.
  std::vector<std::uint8_t> PackEntry(std::span<const std::uint8_t> data, bool continueSolid,
                                      std::size_t alignTo = 1);

 private:
  struct State;
  std::unique_ptr<State> state_;
};
