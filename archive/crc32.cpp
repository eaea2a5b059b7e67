// Slicing-by-8 CRC-32: the same result as the byte-at-a-time update, eight bytes per step.
#include "archive/crc32.h"

#include <cstring>

namespace {

using SliceTables = std::array<CrcTable, 8>;

constexpr SliceTables BuildSliceTables() {
  SliceTables t{};
  t[0] = kCrcTable;
  for (int k = 1; k < 8; ++k)
    for (int i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] >> 8) ^ kCrcTable[t[k - 1][i] & 0xFF];
  return t;
}

constexpr SliceTables kSlices = BuildSliceTables();

}  // namespace

std::uint32_t ArchiveCrc32(std::uint32_t crc, const void* bytes, std::size_t length) {
  const auto* p = static_cast<const std::uint8_t*>(bytes);
  while (length >= 8) {
    std::uint32_t lo, hi;
    std::memcpy(&lo, p, 4);  // the archive format and this code assume a little-endian host
    std::memcpy(&hi, p + 4, 4);
    lo ^= crc;
    crc = kSlices[7][lo & 0xFF] ^ kSlices[6][(lo >> 8) & 0xFF] ^ kSlices[5][(lo >> 16) & 0xFF] ^
          kSlices[4][lo >> 24] ^ kSlices[3][hi & 0xFF] ^ kSlices[2][(hi >> 8) & 0xFF] ^
          kSlices[1][(hi >> 16) & 0xFF] ^ kSlices[0][hi >> 24];
    p += 8;
    length -= 8;
  }
  while (length--) crc = kCrcTable[(crc ^ *p++) & 0xFF] ^ (crc >> 8);
  return crc;
}
