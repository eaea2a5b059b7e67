// CRC-32 of IEEE 802.3 (reflected polynomial 0xEDB88320), as the archive format uses it.
//
// Callers start with all ones and complement the result where a stored CRC is compared; header
// CRCs compare the low 16 bits of that complement. The table is also the cipher's mixing table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

using CrcTable = std::array<std::uint32_t, 256>;

// Entry i is i shifted right eight times, each time XOR 0xEDB88320 when the bit shifted out was 1.
constexpr CrcTable BuildCrcTable() {
  CrcTable table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    table[i] = c;
  }
  return table;
}

inline constexpr CrcTable kCrcTable = BuildCrcTable();

// crc := table[(crc XOR byte) AND 0xFF] XOR (crc >> 8) for each byte.
std::uint32_t ArchiveCrc32(std::uint32_t crc, const void* bytes, std::size_t length);

// The stored form of a whole buffer's CRC: start all ones, complement at the end.
inline std::uint32_t DataCrc32(const void* bytes, std::size_t length) {
  return ~ArchiveCrc32(0xFFFFFFFFu, bytes, length);
}
