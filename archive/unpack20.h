// RAR 2.0 decompression of one entry's data area into the 1 MiB window.
//
// The decoder pulls packed bytes through a PackedInput (the archive reader, which also deciphers)
// and pushes new window bytes to the output only for the requested entry. In a solid archive one
// decoder carries its state (window, positions, match history, tables, audio model) from entry to
// entry; an entry that does not continue a solid stream clears it. Corrupt input cannot make it
// read or write out of bounds: window offsets are masked, decoded symbols index their tables
// only within range, and output is bounded by the entry's unpacked size.
#pragma once

#include <array>
#include <cstdint>

#include "archive/audio_predictor.h"
#include "archive/rar20_format.h"

class PackedInput {
 public:
  // Reads up to `length` packed bytes of the current entry; returns the count read (0 once the
  // entry's data is used up) or kReadError.
  virtual unsigned ReadPackedData(std::uint8_t* buffer, unsigned length) = 0;
  static constexpr unsigned kReadError = 0xFFFFFFFFu;

 protected:
  ~PackedInput() = default;
};

// Where decoded bytes go. `buffer` is null for an entry decoded only to advance a solid stream.
struct UnpackOutput {
  std::uint8_t* buffer = nullptr;
  std::uint32_t unpackedSize = 0;  // bytes the entry decodes to
  std::uint32_t delivered = 0;     // bytes copied into buffer so far
};

// A Huffman decode table for canonical codes of at most 15 bits.
struct DecodeTable {
  static constexpr int kMaxSymbols = rar20::kLiteralCount;
  static constexpr int kQuickBits = 10;  // codes this short decode with one lookup

  int symbolCount = 0;
  std::uint32_t limit[16] = {};  // first left-justified 16-bit code past the codes of length <= k
  std::uint32_t first[16] = {};  // index in `symbols` of the first symbol of length k
  std::uint16_t symbols[kMaxSymbols] = {};
  // Lookup by the top kQuickBits of the peek: code length (0 = longer code) and symbol.
  std::uint8_t quickLength[1 << kQuickBits] = {};
  std::uint16_t quickSymbol[1 << kQuickBits] = {};
};

class Unpack20 {
 public:
  // `window` is the caller's 1 MiB buffer; it must outlive the decoder. A window known to be all
  // zeros spares the first entry clearing it again.
  explicit Unpack20(std::uint8_t* window, bool windowZeroed = false)
      : window_(window), windowDirty_(!windowZeroed) {}

  // Decodes one entry. `continuesSolid`: the entry carries the solid flag and continues the
  // previous entry's stream in this decoder.
  void UnpackEntry(PackedInput& input, UnpackOutput& output, bool continuesSolid);

 private:
  void ResetUnpackState(bool continuesSolid);
  bool RefillInput(bool first);
  bool ReadCodeTables();
  void ReadTrailingTables();
  int DecodeSymbol(const DecodeTable& table);
  void FlushWindow();
  void CopyMatch(std::uint32_t length, std::uint32_t distance);
  void DecodeLoop();
  void StopBroken();
  bool PastInputEnd() const;

  unsigned Peek() const;
  void TakeBits(unsigned n);
  unsigned ReadBits(unsigned n);

  std::uint8_t* window_;
  bool windowDirty_;
  PackedInput* input_ = nullptr;
  UnpackOutput* output_ = nullptr;

  // Input buffer: 8 KiB refilled in place, with slack for the three-byte peek.
  static constexpr unsigned kInputSize = 8192;
  std::uint8_t in_[kInputSize + 8] = {};  // slack for peeks past the read top
  unsigned inPos_ = 0;  // byte position
  unsigned inBit_ = 0;  // bit position 0..7
  unsigned readTop_ = 0;
  bool broken_ = false;  // the stream ended early or held an undecodable table

  std::int64_t remaining_ = 0;  // bytes still to produce, minus one
  std::uint32_t writePos_ = 0;
  std::uint32_t flushPos_ = 0;

  std::uint32_t oldDistances_[4] = {};
  unsigned ringIndex_ = 0;
  std::uint32_t lastDistance_ = 0;
  std::uint32_t lastLength_ = 0;

  DecodeTable literalTable_, distanceTable_, repeatTable_, bitLengthTable_;
  DecodeTable audioTables_[rar20::kMaxChannels];
  std::array<std::uint8_t, rar20::kLengthWorkArea> previousLengths_{};

  bool audio_ = false;
  int channels_ = 1;
  int currentChannel_ = 0;
  AudioPredictor predictor_;
};

// Builds the decode table of `count` code lengths (each taken modulo 16).
void BuildDecodeTable(const std::uint8_t* lengths, DecodeTable& table, int count);
