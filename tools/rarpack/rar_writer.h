// RAR 2.x archive writer: builds a whole archive in memory.
//
// Marker, main header (optionally carrying extra bytes such as a comment; its CRC covers them),
// one file header per entry with correct header and data CRCs, entry names as given with '\'
// separators. Entries are stored or RAR 2.0-compressed (version needed 20, 1 MiB dictionary bits),
// optionally solid and optionally enciphered with the RAR 2.0 cipher.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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
  // Called before each entry is packed, with its index in `entries`; for progress lines.
  std::function<void(std::size_t index, const ArchiveEntryInput& entry)> progress;
};

inline constexpr std::size_t kMaxEntryNameLength = 259;  // bytes; the reader holds no more
inline constexpr std::size_t kMaxPasswordLength = 254;   // bytes

// Writes the archive into `out`. Returns false with a one-line reason in `error` for input the
// format cannot hold (a name over 259 bytes, a password over 254, an entry over 4 GiB, ...).
// Directories and empty files have empty data areas and are never enciphered. A non-solid archive
// stores an entry whose compressed form would not be smaller; a solid one sends every non-empty
// file through one compressed stream in entry order. `out` is left empty on failure.
bool WriteRarArchive(const std::vector<ArchiveEntryInput>& entries,
                     const ArchiveWriterOptions& options, std::vector<std::uint8_t>& out,
                     std::string& error);
