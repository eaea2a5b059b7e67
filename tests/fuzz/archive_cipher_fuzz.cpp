// Fuzz target: the reader's cipher path. The input is the plain packed data of enciphered entries;
// the harness enciphers it with a fixed password, wraps it in an archive and extracts it with that
// password. A mutation of the input is thus a mutation of what the decoder sees after
// deciphering, which random ciphertext would never reach.
//
// Input layout (little-endian):
//   byte 0      bit 0: stored (else normal compression); bit 1: a solid archive of two entries,
//               the second (requested) continuing the first; bit 2: the data area is not padded to
//               whole cipher blocks (as in a damaged archive)
//   bytes 1-3   unpacked size of the requested entry (at most 64 KiB is used)
//   bytes 4-7   its CRC-32
//   bytes 8-11  two entries only: the first entry's unpacked size (at most 64 KiB), then the
//               share of the remaining bytes (0..255 of 256) that is the first entry's data
//   the rest    packed data
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/cipher20.h"
#include "archive/rar20_format.h"
#include "fuzz_support.h"
#include "fuzz_targets.h"

namespace vornhold::fuzz {
namespace {

// Short: the key schedule costs in proportion to the password's length, once per entry.
constexpr char kPassword[] = "pw";
constexpr std::uint32_t kSizeMask = 0xFFFF;  // 64 KiB at most per entry: fast, yet many tables and matches

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(std::uint8_t(v));
  out.push_back(std::uint8_t(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

struct Entry {
  char name;
  std::uint16_t flags;
  std::uint32_t unpackedSize;
  std::uint32_t crc;
  std::vector<std::uint8_t> packed;
};

// Enciphers `packed` in place: whole blocks, a short last block enciphered whole and then cut
// (`pad` false) or padded with zeros (`pad` true).
void Encipher(std::vector<std::uint8_t>& packed, bool pad) {
  const std::size_t length = packed.size();
  packed.resize((length + Rar20Cipher::kBlockSize - 1) / Rar20Cipher::kBlockSize * Rar20Cipher::kBlockSize);
  static const Rar20Cipher prepared = [] {
    Rar20Cipher c;
    c.PrepareCipherKeys(kPassword);
    return c;
  }();
  Rar20Cipher cipher = prepared;
  for (std::size_t at = 0; at < packed.size(); at += Rar20Cipher::kBlockSize) cipher.EncipherBlock(&packed[at]);
  if (!pad) packed.resize(length);
}

void AppendEntry(std::vector<std::uint8_t>& archive, const Entry& e, std::uint8_t method) {
  Put16(archive, 0);  // header CRC: a mismatch is only logged
  archive.push_back(rar20::kTypeFile);
  Put16(archive, e.flags);
  Put16(archive, rar20::kFileHeaderSize + 1);
  Put32(archive, std::uint32_t(e.packed.size()));
  Put32(archive, e.unpackedSize);
  archive.push_back(2);  // host OS
  Put32(archive, e.crc);
  Put32(archive, 0);  // file time
  archive.push_back(rar20::kMaxVersion);
  archive.push_back(method);
  Put16(archive, 1);
  Put32(archive, 0x20);  // attributes
  archive.push_back(std::uint8_t(e.name));
  archive.insert(archive.end(), e.packed.begin(), e.packed.end());
}

}  // namespace

int ArchiveCipherFuzz(const std::uint8_t* data, std::size_t size) {
  if (size < 12) return 0;  // no room for the header above: nothing to run
  const bool stored = data[0] & 1, solid = data[0] & 2, pad = !(data[0] & 4);
  const std::uint8_t method = stored ? rar20::kMethodStored : 0x33;
  const std::uint16_t flags = rar20::kLongBlock | rar20::kFileEnciphered | rar20::kFileWindow1M;
  Entry wanted{'b', flags, (data[1] | data[2] << 8 | std::uint32_t(data[3]) << 16) & kSizeMask,
               std::uint32_t(data[4] | data[5] << 8 | data[6] << 16 | std::uint32_t(data[7]) << 24), {}};
  const std::uint8_t* payload = data + 12;
  const std::size_t payloadSize = size - 12;

  std::vector<std::uint8_t> archive(std::begin(rar20::kMarker), std::end(rar20::kMarker));
  Put16(archive, 0);
  archive.push_back(rar20::kTypeMain);
  Put16(archive, solid ? rar20::kMainSolid : 0);
  Put16(archive, rar20::kMainHeaderSize);
  Put16(archive, 0);
  Put32(archive, 0);

  std::size_t firstShare = 0;
  if (solid) {
    firstShare = payloadSize * data[11] / 256;
    Entry first{'a', flags, (data[8] | data[9] << 8 | std::uint32_t(data[10]) << 16) & kSizeMask, 0,
                std::vector<std::uint8_t>(payload, payload + firstShare)};
    Encipher(first.packed, pad);
    AppendEntry(archive, first, method);
    wanted.flags |= rar20::kFileSolid;
  }
  wanted.packed.assign(payload + firstShare, payload + payloadSize);
  Encipher(wanted.packed, pad);
  AppendEntry(archive, wanted, method);

  const std::string path = WriteScratchFile("enciphered.rar", archive.data(), archive.size());
  if (path.empty()) return 0;
  unsigned char* out = nullptr;
  unsigned int count = 0;
  if (ArchiveExtract(&out, &count, "b", path.c_str(), kPassword)) {
    Require(out != nullptr && count == wanted.unpackedSize, "a successful extraction delivers the declared size");
    if (count > 0) NoteAccepted();  // an empty entry is accepted whatever the key
    volatile unsigned char sink = count ? out[count - 1] : 0;
    (void)sink;
  } else {
    Require(out == nullptr && count == 0, "a failed extraction leaves no buffer and no count");
  }
  std::free(out);
  return 0;
}

}  // namespace vornhold::fuzz
