// A block walker over a RAR 2.x archive held in memory, for listing and for keeping the entries of
// an archive that is being updated.
//
// It reads only what lies inside the given bytes: a header or data area that would reach past the
// end stops the walk with a warning, a header size below 7 or a header that does not advance the
// walk stops it likewise. Header CRCs are checked and reported, not enforced. Blocks other than
// file headers are counted and passed over by their sizes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct ListedEntry {
  std::string name;  // as stored ('\' separators), up to a NUL
  std::size_t blockOffset = 0;  // file offset of the block's first byte
  std::size_t dataOffset = 0;   // file offset of the data area (block start + header size)
  std::uint16_t flags = 0;
  std::uint32_t packedSize = 0;    // bytes of the data area
  std::uint32_t unpackedSize = 0;  // bytes
  std::uint8_t hostOs = 0;
  std::uint32_t dataCrc = 0;
  std::uint32_t dosTime = 0;  // MS-DOS date (high word) and time (low word)
  std::uint8_t versionNeeded = 0;
  std::uint8_t method = 0;  // 0x30 stored, 0x31..0x35 compressed
  std::uint32_t attributes = 0;
  bool headerCrcOk = false;

  bool Directory() const;
  bool Enciphered() const;
  bool ContinuesSolid() const;
  bool Stored() const;
};

struct ArchiveListing {
  std::uint16_t mainFlags = 0;
  bool mainHeaderCrcOk = false;
  std::vector<std::uint8_t> mainHeaderExtra;  // main-header bytes past its fixed 13
  std::vector<ListedEntry> entries;
  std::size_t otherBlocks = 0;  // blocks that are not file headers, passed over
  std::string warning;          // why the walk stopped before the end of the bytes; empty if it did not

  bool Solid() const;
};

// Walks `bytes` from the marker on. Returns false with a one-line reason when they do not start
// with the RAR marker and a whole main header; damage further on is a `warning` instead.
bool ListRarArchive(std::span<const std::uint8_t> bytes, ArchiveListing& listing,
                    std::string& error);

// The name as the archive reader compares names: '\' and '/' count as '_', letters a..z as A..Z.
std::string FoldedEntryName(const std::string& name);

// The name with each control byte (below 0x20, and 0x7F) written as "\xHH" (two lower-case hex
// digits), so that a name from any archive shows on one line and sends nothing to a terminal.
// Every other byte, the '\' separator included, stays as it is.
std::string ShownEntryName(const std::string& name);

// Whether ShownEntryName would change the name.
bool HasControlBytes(const std::string& name);

// DOS date and time as "YYYY-MM-DD hh:mm:ss".
std::string FormatDosTime(std::uint32_t dosTime);
