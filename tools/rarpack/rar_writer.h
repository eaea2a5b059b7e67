// RAR 2.x archive writer: builds a whole archive in memory.
//
// Marker, main header (optionally carrying extra bytes such as a comment; its CRC covers them),
// one file header per entry with correct header and data CRCs, entry names as given with '\'
// separators. Entries are stored or RAR 2.0-compressed (version needed 20, 1 MiB dictionary bits),
// optionally solid and optionally enciphered with the RAR 2.0 cipher.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/rarpack/pack20.h"

struct ArchiveEntryInput {
  std::string name;  // '/' separators are stored as '\'
  std::vector<std::uint8_t> data;
  bool directory = false;
  std::uint32_t dosTime = 0x5A210000;  // MS-DOS date and time; fixed so archives are reproducible
};

struct ArchiveWriterOptions {
  bool store = false;  // store every entry uncompressed
  bool solid = false;  // one compressed stream through all entries
  std::string password;  // empty: not enciphered
  MultimediaMode multimedia = MultimediaMode::kAuto;
  std::vector<std::uint8_t> mainHeaderExtra;  // bytes carried inside the main header
};

// Writes the archive into `out`. Returns false with a one-line reason in `error` for input the
// format cannot hold (a name over 259 bytes, a password over 254, an entry over 4 GiB, ...).
bool WriteRarArchive(const std::vector<ArchiveEntryInput>& entries,
                     const ArchiveWriterOptions& options, std::vector<std::uint8_t>& out,
                     std::string& error);
