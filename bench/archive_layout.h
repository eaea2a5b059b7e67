// Reads the per-entry sizes out of an archive our writer produced, so that the benchmark can
// break the packed size down by kind of data. Only walks the block headers; no data is read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PackedEntryInfo {
  std::string name;  // as stored ('\' separators)
  std::uint32_t packedSize = 0;
  std::uint32_t unpackedSize = 0;
};

// Returns false when the bytes are not an archive of the expected layout (marker, main header,
// then blocks whose header sizes chain to the end of the buffer).
bool ListPackedEntries(const std::vector<std::uint8_t>& archive, std::vector<PackedEntryInfo>& entries);
