#include "tools/rarpack/rar_writer.h"

#include <algorithm>
#include <limits>
#include <memory>

#include "archive/cipher20.h"
#include "archive/crc32.h"
#include "archive/rar20_format.h"

namespace {

// Host system Win32: extractors then take '\' as the path separator and the attributes below as
// Windows file attributes.
constexpr std::uint8_t kHostWin32 = 2;
constexpr std::uint8_t kVersionNeeded = 20;
constexpr std::uint32_t kAttributeFile = 0x20;  // "archive"
constexpr std::uint32_t kAttributeDirectory = 0x10;
constexpr std::uint64_t kMaxSize32 = std::numeric_limits<std::uint32_t>::max();

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// Writes the header CRC into the header's first two bytes: the low 16 bits of the complemented
// CRC-32 of everything after them.
void SealHeader(std::uint8_t* header, std::size_t size) {
  const std::uint32_t crc = DataCrc32(header + 2, size - 2);
  header[0] = static_cast<std::uint8_t>(crc);
  header[1] = static_cast<std::uint8_t>(crc >> 8);
}

std::string StoredName(const std::string& name) {
  std::string stored = name;
  std::replace(stored.begin(), stored.end(), '/', '\\');
  return stored;
}

bool ValidateInput(const std::vector<ArchiveEntryInput>& entries,
                   const ArchiveWriterOptions& options, std::string& error) {
  if (options.password.size() > kMaxPasswordLength) {
    error = "password is longer than " + std::to_string(kMaxPasswordLength) + " bytes";
    return false;
  }
  if (options.password.find('\0') != std::string::npos) {
    error = "password contains a NUL byte";
    return false;
  }
  if (rar20::kMainHeaderSize + options.mainHeaderExtra.size() > 0xFFFF) {
    error = "main header extra bytes do not fit a 16-bit header size";
    return false;
  }
  for (const ArchiveEntryInput& entry : entries) {
    if (entry.name.empty()) {
      error = "an entry has an empty name";
      return false;
    }
    if (entry.name.size() > kMaxEntryNameLength) {
      error = "entry name longer than " + std::to_string(kMaxEntryNameLength) +
              " bytes: " + entry.name.substr(0, 40) + "...";
      return false;
    }
    if (entry.name.find('\0') != std::string::npos) {
      error = "entry name contains a NUL byte: " + entry.name.substr(0, entry.name.find('\0'));
      return false;
    }
    if (entry.directory && !entry.data.empty()) {
      error = "directory entry carries data: " + entry.name;
      return false;
    }
    if (entry.data.size() > kMaxSize32) {
      error = "entry is 4 GiB or larger: " + entry.name;
      return false;
    }
  }
  return true;
}

// One entry's data area as it goes into the archive.
struct PackedEntry {
  std::vector<std::uint8_t> area;
  std::uint8_t method = rar20::kMethodStored;
  bool enciphered = false;
  bool continuesSolid = false;
};

// The stored form: the data itself, zero-padded to whole cipher blocks when it will be enciphered.
std::vector<std::uint8_t> StoredArea(const std::vector<std::uint8_t>& data, bool encipher) {
  std::vector<std::uint8_t> area(data);
  if (encipher) {
    const std::size_t blocks = (area.size() + Rar20Cipher::kBlockSize - 1) / Rar20Cipher::kBlockSize;
    area.resize(blocks * Rar20Cipher::kBlockSize, 0);
  }
  return area;
}

// Every entry starts a fresh key schedule, as the reader prepares the keys for each entry.
void EncipherArea(std::vector<std::uint8_t>& area, const std::string& password) {
  Rar20Cipher cipher;
  cipher.PrepareCipherKeys(password.c_str());
  for (std::size_t at = 0; at < area.size(); at += Rar20Cipher::kBlockSize) {
    cipher.EncipherBlock(area.data() + at);
  }
}

// Chooses stored or compressed form for each entry in archive order and produces its (enciphered)
// data area; in a solid archive it remembers whether an earlier entry opened the stream.
class EntryPacker {
 public:
  explicit EntryPacker(const ArchiveWriterOptions& options) : options_(options) {}

  PackedEntry Pack(const ArchiveEntryInput& entry) {
    PackedEntry packed;
    if (entry.directory || entry.data.empty()) return packed;
    packed.enciphered = !options_.password.empty();
    const std::size_t alignTo = packed.enciphered ? Rar20Cipher::kBlockSize : 1;
    if (options_.store) {
      packed.area = StoredArea(entry.data, packed.enciphered);
    } else if (options_.solid) {
      packed.area = Encoder().PackEntry(entry.data, solidStarted_, alignTo);
      packed.method = rar20::kMethodBest;
      packed.continuesSolid = solidStarted_;
      solidStarted_ = true;
    } else {
      std::vector<std::uint8_t> stored = StoredArea(entry.data, packed.enciphered);
      std::vector<std::uint8_t> compressed = Encoder().PackEntry(entry.data, false, alignTo);
      if (compressed.size() < stored.size()) {
        packed.area = std::move(compressed);
        packed.method = rar20::kMethodBest;
      } else {
        packed.area = std::move(stored);
      }
    }
    if (packed.enciphered) EncipherArea(packed.area, options_.password);
    return packed;
  }

 private:
  Pack20Encoder& Encoder() {
    if (!encoder_) encoder_ = std::make_unique<Pack20Encoder>(Pack20Options{options_.multimedia});
    return *encoder_;
  }

  const ArchiveWriterOptions& options_;
  std::unique_ptr<Pack20Encoder> encoder_;  // made on first use: stored archives never need it
  bool solidStarted_ = false;
};

void AppendMainHeader(std::vector<std::uint8_t>& out, const ArchiveWriterOptions& options) {
  const std::size_t start = out.size();
  const std::size_t size = rar20::kMainHeaderSize + options.mainHeaderExtra.size();
  Put16(out, 0);  // CRC, sealed below
  out.push_back(rar20::kTypeMain);
  Put16(out, options.solid ? rar20::kMainSolid : 0);
  Put16(out, static_cast<std::uint32_t>(size));
  Put16(out, 0);  // reserved
  Put32(out, 0);  // reserved
  out.insert(out.end(), options.mainHeaderExtra.begin(), options.mainHeaderExtra.end());
  SealHeader(out.data() + start, size);
}

void AppendFileHeader(std::vector<std::uint8_t>& out, const ArchiveEntryInput& entry,
                      const std::string& name, const PackedEntry& packed) {
  std::uint16_t flags = rar20::kLongBlock;
  flags |= entry.directory ? rar20::kFileDirectory : rar20::kFileWindow1M;
  if (packed.enciphered) flags |= rar20::kFileEnciphered;
  if (packed.continuesSolid) flags |= rar20::kFileSolid;

  const std::size_t start = out.size();
  const std::size_t size = rar20::kFileHeaderSize + name.size();
  Put16(out, 0);  // CRC, sealed below
  out.push_back(rar20::kTypeFile);
  Put16(out, flags);
  Put16(out, static_cast<std::uint32_t>(size));
  Put32(out, static_cast<std::uint32_t>(packed.area.size()));
  Put32(out, static_cast<std::uint32_t>(entry.data.size()));
  out.push_back(kHostWin32);
  Put32(out, DataCrc32(entry.data.data(), entry.data.size()));
  Put32(out, entry.dosTime);
  out.push_back(kVersionNeeded);
  out.push_back(packed.method);
  Put16(out, static_cast<std::uint32_t>(name.size()));
  Put32(out, entry.directory ? kAttributeDirectory : kAttributeFile);
  out.insert(out.end(), name.begin(), name.end());
  SealHeader(out.data() + start, size);
}

}  // namespace

bool WriteRarArchive(const std::vector<ArchiveEntryInput>& entries,
                     const ArchiveWriterOptions& options, std::vector<std::uint8_t>& out,
                     std::string& error) {
  out.clear();
  if (!ValidateInput(entries, options, error)) return false;

  std::vector<std::uint8_t> archive(std::begin(rar20::kMarker), std::end(rar20::kMarker));
  AppendMainHeader(archive, options);
  EntryPacker packer(options);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const ArchiveEntryInput& entry = entries[i];
    if (options.progress) options.progress(i, entry);
    PackedEntry packed = packer.Pack(entry);
    if (packed.area.size() > kMaxSize32) {
      error = "packed entry is 4 GiB or larger: " + entry.name;
      return false;
    }
    AppendFileHeader(archive, entry, StoredName(entry.name), packed);
    archive.insert(archive.end(), packed.area.begin(), packed.area.end());
  }
  out = std::move(archive);
  return true;
}
