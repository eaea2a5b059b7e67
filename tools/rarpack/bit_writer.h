// Bit output, most significant bit first, as the RAR 2.0 decoder reads its input.
#pragma once

#include <cstdint>
#include <vector>

class BitWriter {
 public:
  // Appends the low `count` bits of `value` (count <= 32), highest of them first.
  void Put(std::uint32_t value, unsigned count) {
    if (count == 0) return;
    value &= count == 32 ? 0xFFFFFFFFu : (1u << count) - 1;
    pending_ = (pending_ << count) | value;
    pendingBits_ += count;
    while (pendingBits_ >= 8) {
      pendingBits_ -= 8;
      bytes_.push_back(std::uint8_t(pending_ >> pendingBits_));
    }
  }

  // Completes the last byte with zero bits.
  void AlignToByte() {
    if (pendingBits_ > 0) Put(0, 8 - pendingBits_);
  }

  std::uint64_t BitCount() const { return std::uint64_t(bytes_.size()) * 8 + pendingBits_; }
  // Bits already in the incomplete last byte (0..7).
  unsigned PendingBits() const { return pendingBits_; }

  // The bytes written so far; call AlignToByte first to include the incomplete last byte.
  std::vector<std::uint8_t>& Bytes() { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::uint64_t pending_ = 0;  // only the low pendingBits_ bits matter
  unsigned pendingBits_ = 0;
};
