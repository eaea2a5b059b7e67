// Little-endian reads of 16- and 32-bit values from bytes, whatever the host's byte order and
// alignment: the archive, the image and .x decoders and the tools that read their formats.
#pragma once

#include <cstdint>

namespace platform {

constexpr std::uint16_t ReadLe16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

constexpr std::uint32_t ReadLe32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

}  // namespace platform
