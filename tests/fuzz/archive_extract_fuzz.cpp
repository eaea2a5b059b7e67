// Fuzz target: the whole archive reader, from arbitrary archive bytes.
//
// The input is written to a file (the reader opens archives by name) and the last file entry the
// harness finds in it is extracted, with a password: in a solid archive every entry before it is
// decoded too, and enciphered entries go through the cipher with the password "pw" (short, for a
// cheap key schedule; plain entries ignore it).
// Then the first few entries are read in archive order without a password, so that the reader
// goes on from where the previous call stopped (in a solid archive with the decoder's state it
// kept), and each result must be what a fresh read gives: what the reader remembers between calls
// must never show in what it delivers.
// To keep one input cheap, inputs that declare an entry larger than kMaxEntryBytes are skipped;
// the reader's own checks against larger sizes are reached through entries over its 256 MiB
// limit, which it refuses before decoding. Results are not judged, only the promises of
// ArchiveExtract: a success delivers a readable buffer of the count given, a failure none.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/rar20_format.h"
#include "fuzz_support.h"
#include "fuzz_targets.h"
#include "platform/little_endian.h"

namespace vornhold::fuzz {
namespace {

// Inputs over it are skipped: they cost nothing and reach nothing past the harness's own walk.
constexpr std::uint32_t kMaxEntryBytes = 64u << 10;
constexpr std::uint32_t kReaderLimit = 256u << 20;  // what the reader refuses by itself
constexpr std::size_t kOrderedReads = 6;  // entries read in order, each also read fresh

using platform::ReadLe16;
using platform::ReadLe32;

// Walks the blocks as the reader does. Returns false when an entry's declared size would make the
// input slow; otherwise `name` is the last file entry's name ("a" when there is none) and `first`
// holds the first kOrderedReads names.
bool PickEntry(const std::uint8_t* data, std::size_t size, std::string* name, std::vector<std::string>* first) {
  *name = "a";
  if (size < 7 + 13) return true;
  std::uint64_t at = 7 + std::max<std::uint32_t>(ReadLe16(data + 7 + 5), 13);
  for (int blocks = 0; blocks < 4096 && at + 32 <= size; ++blocks) {
    const std::uint8_t* h = data + at;
    const std::uint32_t flags = ReadLe16(h + 3), headerSize = ReadLe16(h + 5);
    if (headerSize < 7) break;
    if (h[2] == rar20::kTypeFile) {
      const std::uint32_t unpacked = ReadLe32(h + 11);
      if (unpacked > kMaxEntryBytes && unpacked <= kReaderLimit) return false;
      const std::size_t nameSize = std::min<std::size_t>(ReadLe16(h + 26), size - at - 32);
      std::string stored(reinterpret_cast<const char*>(h + 32), nameSize);
      stored.resize(std::min(stored.size(), stored.find('\0')));
      if (!stored.empty() && stored.size() <= 259) {
        *name = stored;
        if (first->size() < kOrderedReads) first->push_back(stored);
      }
    }
    at += headerSize + ((flags & rar20::kLongBlock) ? ReadLe32(h + 7) : 0);
  }
  return true;
}

struct Extracted {
  int ok = 0;
  std::vector<std::uint8_t> bytes;
};

Extracted Extract(const std::string& name, const std::string& path) {
  unsigned char* out = nullptr;
  unsigned int count = 0;
  Extracted e;
  e.ok = ArchiveExtract(&out, &count, name.c_str(), path.c_str(), "");
  if (e.ok && count) e.bytes.assign(out, out + count);
  std::free(out);
  return e;
}

void ReadInOrderAndFresh(const std::vector<std::string>& names, const std::string& path) {
  ArchiveDropCache();  // the scratch file of the previous input may look unchanged
  std::vector<Extracted> ordered;
  for (const std::string& name : names) ordered.push_back(Extract(name, path));
  for (std::size_t i = 0; i < names.size(); ++i) {
    ArchiveDropCache();
    const Extracted fresh = Extract(names[i], path);
    Require(fresh.ok == ordered[i].ok && fresh.bytes == ordered[i].bytes,
            "an entry read after others is what a fresh read gives");
  }
  ArchiveDropCache();
}

}  // namespace

int ArchiveExtractFuzz(const std::uint8_t* data, std::size_t size) {
  std::string name;
  std::vector<std::string> first;
  if (!PickEntry(data, size, &name, &first)) return 0;
  const std::string path = WriteScratchFile("archive.rar", data, size);
  if (path.empty()) return 0;
  unsigned char* out = nullptr;
  unsigned int count = 0;
  if (ArchiveExtract(&out, &count, name.c_str(), path.c_str(), "pw")) {
    Require(out != nullptr, "a successful extraction delivers a buffer");
    if (count > 0) NoteAccepted();  // an empty entry is accepted whatever the key
    volatile unsigned char sink = count ? out[count - 1] : 0;  // the whole buffer is readable
    (void)sink;
  } else {
    Require(out == nullptr && count == 0, "a failed extraction leaves no buffer and no count");
  }
  std::free(out);
  ReadInOrderAndFresh(first, path);
  return 0;
}

}  // namespace vornhold::fuzz
