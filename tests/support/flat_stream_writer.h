// Hand-made RAR 2.0 compressed streams for decoder tests, written independently of the archive
// writer's compressor: every table uses fixed-width codes (each symbol's code is its own value),
// so a test can spell out exactly the symbols, table blocks and extra bits the decoder must read.
//
// Flat code lengths: bit-length table 5 bits (19 symbols), literal/length 9 bits (298), distance
// 6 bits (48), repeat-length 5 bits (28), audio 9 bits (257). Canonical codes of one length in
// symbol order are just the symbol values.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "archive/rar20_format.h"

namespace testsupport {

class FlatStreamWriter {
 public:
  void Bits(std::uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) {
      if (bit_ == 0) bytes_.push_back(0);
      if ((value >> i) & 1) bytes_.back() |= std::uint8_t(0x80 >> bit_);
      bit_ = (bit_ + 1) & 7;
    }
  }

  // A table block of flat lengths. `delta` sets bit 0x4000 and codes the lengths against the
  // work area as the previous blocks left it; `lengths` overrides the flat lengths when given.
  void LzTables(bool delta = false) { Tables(false, 1, delta, FlatLz()); }
  void AudioTables(int channels, bool delta = false) { Tables(true, channels, delta, FlatAudio(channels)); }

  void Tables(bool audio, int channels, bool delta, const std::vector<std::uint8_t>& lengths) {
    Bits(audio ? 1 : 0, 1);
    Bits(delta ? 1 : 0, 1);
    if (audio) Bits(unsigned(channels - 1), 2);
    for (int i = 0; i < rar20::kBitLengthCount; ++i) Bits(5, 4);
    if (!delta) work_.fill(0);
    for (std::size_t i = 0; i < lengths.size(); ++i) {
      Bits((lengths[i] - work_[i]) & 0xF, 5);
      work_[i] = lengths[i];
    }
  }

  void Literal(int symbol) { Bits(unsigned(symbol), 9); }
  void Audio(int delta) { Bits(unsigned(delta), 9); }

  // Symbols 270..297: a length slot with its extra bits, then a distance slot with its extra bits.
  void Match(int lengthSlot, unsigned lengthExtra, int distanceSlot, unsigned distanceExtra) {
    Literal(rar20::kSymMatch + lengthSlot);
    Bits(lengthExtra, rar20::kLengthBits[lengthSlot]);
    Bits(unsigned(distanceSlot), 6);
    Bits(distanceExtra, rar20::kDistanceBits[distanceSlot]);
  }

  std::vector<std::uint8_t> Finish() {
    bit_ = 0;
    auto out = bytes_;
    bytes_.clear();
    return out;
  }

  static std::vector<std::uint8_t> FlatLz() {
    std::vector<std::uint8_t> l;
    l.insert(l.end(), rar20::kLiteralCount, 9);
    l.insert(l.end(), rar20::kDistanceCount, 6);
    l.insert(l.end(), rar20::kRepeatCount, 5);
    return l;
  }
  static std::vector<std::uint8_t> FlatAudio(int channels) {
    return std::vector<std::uint8_t>(std::size_t(rar20::kAudioCount * channels), 9);
  }

 private:
  std::vector<std::uint8_t> bytes_;
  int bit_ = 0;
  std::array<std::uint8_t, rar20::kLengthWorkArea> work_{};
};

}  // namespace testsupport
