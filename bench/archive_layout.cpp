#include "bench/archive_layout.h"

#include <cstring>

#include "archive/rar20_format.h"

namespace {

std::uint32_t Le(const std::uint8_t* p, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

}  // namespace

bool ListPackedEntries(const std::vector<std::uint8_t>& archive, std::vector<PackedEntryInfo>& entries) {
  entries.clear();
  const std::size_t size = archive.size();
  if (size < sizeof(rar20::kMarker) + rar20::kMainHeaderSize ||
      std::memcmp(archive.data(), rar20::kMarker, sizeof(rar20::kMarker)) != 0)
    return false;
  std::size_t pos = sizeof(rar20::kMarker);
  pos += Le(&archive[pos + 5], 2);
  while (pos < size) {
    if (size - pos < 7) return false;
    const std::uint8_t* block = &archive[pos];
    const std::uint16_t flags = static_cast<std::uint16_t>(Le(block + 3, 2));
    const std::uint32_t headerSize = Le(block + 5, 2);
    if (headerSize < 7 || size - pos < headerSize) return false;
    std::uint64_t next = pos + static_cast<std::uint64_t>(headerSize);
    if (block[2] == rar20::kTypeFile) {
      if (headerSize < rar20::kFileHeaderSize) return false;
      const std::uint32_t nameSize = Le(block + 26, 2);
      if (rar20::kFileHeaderSize + nameSize > headerSize) return false;
      PackedEntryInfo info;
      info.packedSize = Le(block + 7, 4);
      info.unpackedSize = Le(block + 11, 4);
      info.name.assign(reinterpret_cast<const char*>(block + rar20::kFileHeaderSize), nameSize);
      entries.push_back(std::move(info));
    }
    if (flags & rar20::kLongBlock) next += Le(block + 7, 4);
    if (next > size) return false;
    pos = static_cast<std::size_t>(next);
  }
  return true;
}
