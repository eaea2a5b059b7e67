// Little helpers shared by the decoders: bounded little-endian reads and channel widening.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/little_endian.h"

namespace d3dx {

using platform::ReadLe16;
using platform::ReadLe32;

// Widens a value of `bits` bits (1..32) to 8 bits: wider values keep their top bits, narrower
// ones repeat their bit pattern (5 bits abcde become abcdeabc), so full scale stays 255.
inline uint8_t WidenTo8(uint32_t value, unsigned bits) {
  if (bits == 0) return 0;
  if (bits >= 8) return static_cast<uint8_t>(value >> (bits - 8));
  uint32_t out = 0;
  int filled = 0;
  while (filled < 8) {
    out = (out << bits) | value;
    filled += static_cast<int>(bits);
  }
  return static_cast<uint8_t>(out >> (filled - 8));
}

inline uint32_t PackArgb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}

// A 16-bit X1R5G5B5 / A1R5G5B5 value; withAlpha false makes alpha 255.
inline uint32_t Argb1555(uint16_t v, bool withAlpha) {
  uint32_t a = withAlpha ? ((v & 0x8000) ? 255u : 0u) : 255u;
  return PackArgb(a, WidenTo8((v >> 10) & 31, 5), WidenTo8((v >> 5) & 31, 5), WidenTo8(v & 31, 5));
}

}  // namespace d3dx
