#include "tools/rarpack/rar_listing.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "archive/crc32.h"
#include "archive/rar20_format.h"
#include "platform/little_endian.h"

bool ListedEntry::Directory() const {
  return (flags & rar20::kFileWindowMask) == rar20::kFileDirectory;
}
bool ListedEntry::Enciphered() const { return (flags & rar20::kFileEnciphered) != 0; }
bool ListedEntry::ContinuesSolid() const { return (flags & rar20::kFileSolid) != 0; }
bool ListedEntry::Stored() const { return method == rar20::kMethodStored; }

bool ArchiveListing::Solid() const { return (mainFlags & rar20::kMainSolid) != 0; }

namespace {

// Offsets within a block header.
constexpr std::size_t kBaseHeaderSize = 7;  // CRC, type, flags, header size
constexpr std::size_t kPackedSizeOffset = 7;

using platform::ReadLe16;
using platform::ReadLe32;

std::uint16_t HeaderCrc(const std::uint8_t* header, std::size_t size) {
  return static_cast<std::uint16_t>(DataCrc32(header + 2, size - 2));
}

// Archives that carry extra fields after the name or a comment inside the main header come in
// two kinds: CRC over the whole header, or over the fixed fields (and name) only. Both are sound.
bool HeaderCrcMatches(const std::uint8_t* header, std::size_t fixedSize, std::size_t wholeSize) {
  const std::uint16_t stored = ReadLe16(header);
  return HeaderCrc(header, wholeSize) == stored || HeaderCrc(header, fixedSize) == stored;
}

std::string Offset(std::size_t at) { return "offset " + std::to_string(at); }

ListedEntry DecodeFileHeader(const std::uint8_t* h, std::size_t blockOffset, std::size_t headerSize) {
  ListedEntry e;
  e.blockOffset = blockOffset;
  e.dataOffset = blockOffset + headerSize;
  e.flags = ReadLe16(h + 3);
  e.packedSize = ReadLe32(h + 7);
  e.unpackedSize = ReadLe32(h + 11);
  e.hostOs = h[15];
  e.dataCrc = ReadLe32(h + 16);
  e.dosTime = ReadLe32(h + 20);
  e.versionNeeded = h[24];
  e.method = h[25];
  e.attributes = ReadLe32(h + 28);
  return e;
}

bool IsControlByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

}  // namespace

bool ListRarArchive(std::span<const std::uint8_t> bytes, ArchiveListing& listing,
                    std::string& error) {
  listing = ArchiveListing{};
  const std::uint8_t* base = bytes.data();
  const std::size_t size = bytes.size();
  const std::size_t markerSize = sizeof(rar20::kMarker);
  if (size < markerSize || (std::memcmp(base, rar20::kMarker, markerSize) != 0 &&
                            std::memcmp(base, rar20::kAltMarker, markerSize) != 0)) {
    error = "not a RAR archive (no RAR marker at its start)";
    return false;
  }
  const std::size_t mainSize = size - markerSize < rar20::kMainHeaderSize
                                   ? 0
                                   : ReadLe16(base + markerSize + 5);
  if (mainSize < rar20::kMainHeaderSize || mainSize > size - markerSize) {
    error = "not a RAR archive (main header missing or cut short)";
    return false;
  }
  const std::uint8_t* mainHeader = base + markerSize;
  listing.mainFlags = ReadLe16(mainHeader + 3);
  listing.mainHeaderCrcOk = HeaderCrcMatches(mainHeader, rar20::kMainHeaderSize, mainSize);
  listing.mainHeaderExtra.assign(mainHeader + rar20::kMainHeaderSize, mainHeader + mainSize);

  std::size_t pos = markerSize + mainSize;
  while (pos < size) {
    const std::size_t left = size - pos;
    const std::uint8_t* h = base + pos;
    if (left < kBaseHeaderSize) {
      listing.warning = "archive ends inside a block header at " + Offset(pos);
      break;
    }
    const std::uint8_t type = h[2];
    const std::uint16_t flags = ReadLe16(h + 3);
    const std::size_t headerSize = ReadLe16(h + 5);
    if (headerSize < kBaseHeaderSize) {
      listing.warning = "block with a header size below 7 at " + Offset(pos);
      break;
    }
    if (headerSize > left) {
      listing.warning = "archive ends inside the block header at " + Offset(pos);
      break;
    }
    std::uint64_t dataSize = 0;
    if (flags & rar20::kLongBlock) {
      if (headerSize < kPackedSizeOffset + 4) {
        listing.warning = "block too short for its data size at " + Offset(pos);
        break;
      }
      dataSize = ReadLe32(h + kPackedSizeOffset);
    }
    const std::uint64_t next = static_cast<std::uint64_t>(pos) + headerSize + dataSize;

    if (type != rar20::kTypeFile) {
      ++listing.otherBlocks;
    } else {
      if (headerSize < static_cast<std::size_t>(rar20::kFileHeaderSize)) {
        listing.warning = "file header shorter than its fields at " + Offset(pos);
        break;
      }
      const std::size_t nameSize = ReadLe16(h + 26);
      const std::size_t fixedSize = rar20::kFileHeaderSize + nameSize;
      if (fixedSize > headerSize) {
        listing.warning = "file name runs past its header at " + Offset(pos);
        break;
      }
      ListedEntry entry = DecodeFileHeader(h, pos, headerSize);
      // A name with a Unicode form carries it after a NUL; the reader compares up to the NUL.
      const char* name = reinterpret_cast<const char*>(h) + rar20::kFileHeaderSize;
      entry.name.assign(name, strnlen(name, nameSize));
      entry.headerCrcOk = HeaderCrcMatches(h, fixedSize, headerSize);
      const bool cut = static_cast<std::uint64_t>(entry.dataOffset) + entry.packedSize > size;
      listing.entries.push_back(std::move(entry));
      if (cut) {
        listing.warning = "data of entry " + listing.entries.back().name +
                          " runs past the end of the archive";
        break;
      }
    }
    if (next > size) {
      listing.warning = "block at " + Offset(pos) + " runs past the end of the archive";
      break;
    }
    pos = static_cast<std::size_t>(next);
  }
  return true;
}

std::string FoldedEntryName(const std::string& name) {
  std::string folded = name;
  for (char& c : folded) {
    if (c == '\\' || c == '/') c = '_';
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return folded;
}

std::string ShownEntryName(const std::string& name) {
  std::string shown;
  shown.reserve(name.size());
  for (char c : name) {
    if (!IsControlByte(c)) {
      shown += c;
      continue;
    }
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(c));
    shown += escaped;
  }
  return shown;
}

bool HasControlBytes(const std::string& name) {
  return std::any_of(name.begin(), name.end(), IsControlByte);
}

std::string FormatDosTime(std::uint32_t dosTime) {
  const unsigned date = dosTime >> 16;
  const unsigned time = dosTime & 0xFFFF;
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", 1980 + (date >> 9),
                (date >> 5) & 15, date & 31, time >> 11, (time >> 5) & 63, (time & 31) * 2);
  return text;
}
