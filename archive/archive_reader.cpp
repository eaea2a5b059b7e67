// The container layer: the archive's start, the block walk, name matching, stored entries, the
// hand-over to the decoder and the cipher, and the CRC check.
//
// Everything a damaged archive can declare is checked before it is trusted: a header cut short
// ends the walk, sizes are bounded before anything is allocated, data is read from where the
// header says it starts (block start + header size, past any fields that follow the name), and
// no read or write leaves the buffers, whatever the bytes say.
#include "archive/archive_reader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "archive/crc32.h"
#include "archive/debug_log.h"
#include "platform/little_endian.h"

using namespace rar20;

namespace {

using platform::ReadLe16;
using platform::ReadLe32;

// Each bit of RAR 2.0 data yields at most one symbol, and no symbol yields more than 260 bytes.
constexpr std::uint64_t kMaxBytesPerPackedByte = 8 * 260;

}  // namespace

#define FAIL(message) Fail((message), __FILE__, __LINE__)

ArchiveReader::ArchiveReader(std::string entryName, std::string archiveName, const char* password,
                             ReaderCache* cache)
    : entryName_(std::move(entryName)), archiveName_(std::move(archiveName)), cache_(cache) {
  if (password) std::strncpy(password_, password, kMaxPassword);
}

ArchiveReader::~ArchiveReader() {
  // The password does not outlive the call.
  volatile char* p = password_;
  for (std::size_t i = 0; i < sizeof password_; ++i) p[i] = 0;
  std::free(outputBuffer_);
}

unsigned char* ArchiveReader::ReleaseOutput() {
  unsigned char* out = outputBuffer_;
  outputBuffer_ = nullptr;
  return out;
}

int ArchiveReader::Fail(const char* message, const char* sourceFile, unsigned sourceLine) {
  DebugLogLine(message, sourceFile, sourceLine);
  ReleaseWindow();
  file_.Close();
  return 0;
}

// The window is made when the first packed entry is decoded: stored entries, and archives that
// fail before any decoding, never need it. Nothing has touched the stream before, so a fresh
// decoder on a zeroed window is the state a solid stream starts from.
bool ArchiveReader::AllocateWindow() {
  // Zeroed, so that a damaged entry claiming to continue a solid stream reads defined bytes; by
  // calloc, which has memory fresh from the system zero already and need not write it: an entry
  // that decodes to a few KiB then touches a few pages of the window, not all 1 MiB.
  window_.reset(static_cast<std::uint8_t*>(std::calloc(kWindowSize, 1)));
  if (!window_) {
    FAIL("Can't allocate memory for decompression!");
    return false;
  }
  unpack_ = std::make_unique<Unpack20>(window_.get(), true);
  return true;
}

void ArchiveReader::ReleaseWindow() {
  unpack_.reset();
  window_.reset();
}

void ReaderCache::Drop() {
  held = false;
  archiveName.clear();
  identity = {};
  main = {};
  nextBlock = 0;
  passed.Clear();
  unpack.reset();
  window.reset();
}

// Takes the cache's state when it was left by this archive, unchanged, at a point the requested
// entry lies beyond; the cache is empty afterwards either way. Returns true when the walk can go
// on from the cached block.
bool ArchiveReader::ResumeFromCache() {
  if (!cache_) return false;
  const bool fits = cache_->held && cache_->archiveName == archiveName_ && cache_->identity == file_.Identity() &&
                    !cache_->passed.MayHold(entryName_.c_str());
  if (fits) {
    main_ = cache_->main;
    passed_ = cache_->passed;
    window_ = std::move(cache_->window);
    unpack_ = std::move(cache_->unpack);
    file_.Seek(cache_->nextBlock);
  }
  cache_->Drop();
  return fits;
}

// After a delivered entry: the walk's position and names and, in a solid archive, the decoder,
// whose state is now what a walk from the start would have after this entry. A non-solid archive
// needs no decoder state, and keeping its window would only cost clearing it for the next entry.
void ArchiveReader::FillCache() {
  if (!cache_) return;
  cache_->held = true;
  cache_->archiveName = archiveName_;
  cache_->identity = file_.Identity();
  cache_->main = main_;
  cache_->nextBlock = nextBlock_;
  cache_->passed = passed_;
  if (main_.flags & kMainSolid) {
    cache_->window = std::move(window_);
    cache_->unpack = std::move(unpack_);
  }
}

int ArchiveReader::ScanAndExtract() {
  found_ = false;
  if (!file_.Open(archiveName_.c_str())) {
    if (cache_) cache_->Drop();
    ARCHIVE_LOG("Error opening file.");
    return 0;
  }
  if (!ResumeFromCache()) {
    if (!CheckArchiveStart()) {
      ARCHIVE_LOG("Not a RAR file");
      file_.Close();
      return 0;
    }
    file_.Seek(file_.Tell() + (main_.size - kMainHeaderSize));
  }
  for (;;) {
    if (NextFileBlock() <= 0) return FAIL("Couldn't read next filename from archive (I/O error).");
    if (block_.type == kTypeSubBlock) return FAIL("Sorry, sub-headers not supported.");

    found_ = !nameCut_ && EntryNamesEqual(entryName_.c_str(), currentName_) == 0;
    // A cut name matches no request, so it need not be remembered.
    if (!nameCut_) passed_.Add(currentName_);
    if (found_) {
      if (RefuseEntrySize()) return 0;
      // Zeroed: a short or broken decode leaves defined bytes for the CRC check to reject.
      outputBuffer_ = static_cast<unsigned char*>(std::calloc(std::max<std::uint32_t>(block_.unpackedSize, 1), 1));
      if (!outputBuffer_) return FAIL("can't allocate memory for the file decompression");
      output_ = UnpackOutput{outputBuffer_, block_.unpackedSize, 0};
    } else {
      output_ = UnpackOutput{nullptr, block_.unpackedSize, 0};
    }

    if ((main_.flags & kMainSolid) || found_) {
      if (!ExtractCurrentEntry()) return 0;
    }
    file_.Seek(nextBlock_);
    if (found_) {
      FillCache();
      ReleaseWindow();
      file_.Close();
      return 1;
    }
  }
}

// Checks the requested entry's declared sizes before its buffer is allocated, against the packed
// bytes the file really holds, so that a tiny damaged file cannot ask for a huge allocation.
// Returns true (failure reported) to refuse.
bool ArchiveReader::RefuseEntrySize() {
  const std::uint64_t dataStart = blockStart_ + block_.size;
  const std::uint64_t inFile = file_.Size() > dataStart ? file_.Size() - dataStart : 0;
  const std::uint64_t packed = std::min<std::uint64_t>((block_.flags & kLongBlock) ? block_.packedSize : 0, inFile);
  const char* refusal = nullptr;
  if (block_.unpackedSize > kMaxUnpackedSize)
    refusal = "Unpacked size over 256 MiB refused!";
  else if (block_.method == kMethodStored && block_.unpackedSize > packed)
    refusal = "Stored file larger than its packed data!";
  else if (block_.method != kMethodStored && block_.unpackedSize > packed * kMaxBytesPerPackedByte)
    refusal = "Unpacked size impossible for the packed data!";
  if (!refusal) return false;
  FAIL(refusal);
  return true;
}

// Decodes the current entry: into the output when it is the requested one, else (solid archives)
// only into the window. Returns false after a failure has been reported.
bool ArchiveReader::ExtractCurrentEntry() {
  if (block_.version < kMinVersion || block_.version > kMaxVersion) {
    FAIL("unknown compression method");
    return false;
  }
  if (password_[0] && (block_.flags & kFileEnciphered)) {
    cryptVersion_ = block_.version;
    cipher_.PrepareCipherKeys(password_);
  } else {
    cryptVersion_ = 0;
  }
  remainingPacked_ = (block_.flags & kLongBlock) ? block_.packedSize : 0;
  fileEndedEarly_ = false;
  file_.Seek(blockStart_ + block_.size);

  if (block_.method == kMethodStored) {
    // A stored entry before the requested one in a solid stream does not touch the window.
    if (found_) CopyStoredEntry();
  } else {
    if (block_.unpackedSize > kMaxUnpackedSize) {
      FAIL("Unpacked size over 256 MiB refused!");
      return false;
    }
    if (!window_ && !AllocateWindow()) return false;
    unpack_->UnpackEntry(*this, output_, (block_.flags & kFileSolid) != 0);
  }

  if (outputBuffer_) {
    const bool complete = output_.delivered == block_.unpackedSize;
    if (!complete || DataCrc32(outputBuffer_, block_.unpackedSize) != block_.dataCrc) {
      FAIL("CRC32 error - file couldn't be decompressed correctly!");
      return false;
    }
  }
  return true;
}

bool ArchiveReader::CopyStoredEntry() {
  const std::uint32_t size = block_.unpackedSize;
  unsigned count;
  if (cryptVersion_ == 20 && size % Rar20Cipher::kBlockSize != 0) {
    // The data area holds whole cipher blocks: decipher the last one whole, deliver its start.
    const std::uint32_t whole = size & ~std::uint32_t(Rar20Cipher::kBlockSize - 1);
    count = ReadPackedData(outputBuffer_, whole);
    std::uint8_t last[Rar20Cipher::kBlockSize];
    const unsigned n = ReadPackedData(last, Rar20Cipher::kBlockSize);
    if (count != PackedInput::kReadError && n != PackedInput::kReadError) {
      const unsigned tail = std::min(n, size - whole);
      std::memcpy(outputBuffer_ + whole, last, tail);
      count += tail;
    }
  } else {
    count = ReadPackedData(outputBuffer_, size);
  }
  if (count == PackedInput::kReadError || fileEndedEarly_) {
    ARCHIVE_LOG("Read error of stored file!");
    output_.delivered = count == PackedInput::kReadError ? 0 : count;
    return false;
  }
  output_.delivered = count;
  return true;
}

unsigned ArchiveReader::ReadPackedData(std::uint8_t* buffer, unsigned length) {
  unsigned count = 0;
  if (length > 0) {
    if (!file_.IsOpen()) return 0;
    const unsigned want = std::min(length, remainingPacked_);
    count = unsigned(file_.Read(buffer, want));
    remainingPacked_ -= count;
    if (count < want) fileEndedEarly_ = true;
  }
  if (cryptVersion_ == 0) return count;
  if (cryptVersion_ < 20) {
    ARCHIVE_LOG("Old Crypt() not supported!");
    return count;
  }
  // Only whole blocks: a trailing part of a block exists only in a damaged archive and stays as
  // it is rather than being deciphered beyond the bytes read.
  for (unsigned offset = 0; offset + Rar20Cipher::kBlockSize <= count; offset += Rar20Cipher::kBlockSize)
    cipher_.DecipherBlock(buffer + offset);
  return count;
}

bool ArchiveReader::CheckArchiveStart() {
  std::uint8_t start[7];
  if (file_.Read(start, 7) < 7) return false;
  if (std::memcmp(start, kMarker, 7) == 0 || std::memcmp(start, kAltMarker, 7) == 0)
    return ParseBlockHeader(HeaderKind::kMain) == kMainHeaderSize && main_.size >= kMainHeaderSize;
  if (std::memcmp(start, kOldMarker, 4) == 0) {
    ARCHIVE_LOG("Attention: format as OLD detected! Can't handel archive!");
    return false;
  }
  ARCHIVE_LOG("unknown archive type (only plain RAR "
              "supported (normal and solid "
              "archives), SFX and Volumes "
              "are NOT supported!)");
  return false;
}

int ArchiveReader::ParseBlockHeader(HeaderKind kind) {
  std::uint8_t h[kFileHeaderSize] = {};  // bytes missing at the end of the file read as zero
  if (kind == HeaderKind::kMain) {
    const int n = int(file_.Read(h, kMainHeaderSize));
    main_ = MainHeader{ReadLe16(h), h[2], ReadLe16(h + 3), ReadLe16(h + 5), ReadLe16(h + 7), ReadLe32(h + 9)};
    headerCrc_ = ArchiveCrc32(0xFFFFFFFFu, h + 2, kMainHeaderSize - 2);
    return n;
  }
  const int n = int(file_.Read(h, kFileHeaderSize));
  block_ = BlockHeader{ReadLe16(h),      h[2],          ReadLe16(h + 3),  ReadLe16(h + 5),  ReadLe32(h + 7),
                       ReadLe32(h + 11), h[15],         ReadLe32(h + 16), ReadLe32(h + 20), h[24],
                       h[25],         ReadLe16(h + 26), ReadLe32(h + 28)};
  headerCrc_ = ArchiveCrc32(0xFFFFFFFFu, h + 2, kFileHeaderSize - 2);
  return n;
}

// Moves to the next file header (or sub-block) and reads its name. Returns the bytes of header
// and name read, or 0 when no further entry can be read (end of file, or a damaged header).
int ArchiveReader::NextFileBlock() {
  const BlockHeader saved = block_;
  int n;
  for (;;) {
    blockStart_ = file_.Tell();
    n = ParseBlockHeader(HeaderKind::kBlock);
    if (n == 0) break;
    // Fewer than the seven bytes every block has: a cut header at the end of the file.
    if (n < 7 || block_.size < 7) return 0;
    nextBlock_ = blockStart_ + block_.size + ((block_.flags & kLongBlock) ? block_.packedSize : 0);
    if (block_.type == kTypeFile || block_.type == kTypeSubBlock) break;
    file_.Seek(nextBlock_);
  }

  if (n > 0 && block_.type == kTypeFile) {
    // A file header cut short, or one too small for its own name, cannot be trusted.
    if (n < kFileHeaderSize || block_.size < kFileHeaderSize + block_.nameSize) {
      ARCHIVE_LOG("file header broken");
      return 0;
    }
    std::uint8_t name[0x10000];
    const std::size_t got = file_.Read(name, block_.nameSize);
    if (got < block_.nameSize) return 0;
    headerCrc_ = ArchiveCrc32(headerCrc_, name, got);

    // The name ends at its first NUL (a Unicode form may follow it inside the field).
    const std::size_t length = strnlen(reinterpret_cast<const char*>(name), got);
    nameCut_ = length > kMaxEntryName;
    const std::size_t kept = std::min<std::size_t>(length, kMaxEntryName);
    std::memcpy(currentName_, name, kept);
    currentName_[kept] = 0;

    if (std::uint16_t(~headerCrc_) != block_.crc && !WholeHeaderCrcMatches(name)) ARCHIVE_LOG("file header broken");
    return n + int(got);
  }

  const std::uint8_t type = block_.type;
  block_ = saved;
  block_.type = type;
  file_.Seek(blockStart_);
  return n;
}

// The header CRC covers the fixed fields and the name; headers with fields after the name (such
// as extended times) are covered whole instead. Uses `scratch` (64 KiB) and restores the position.
bool ArchiveReader::WholeHeaderCrcMatches(std::uint8_t* scratch) {
  const std::size_t extra = block_.size - kFileHeaderSize - block_.nameSize;
  if (extra == 0) return false;
  const std::uint64_t position = file_.Tell();
  const std::size_t got = file_.Read(scratch, extra);
  file_.Seek(position);
  return got == extra && std::uint16_t(~ArchiveCrc32(headerCrc_, scratch, got)) == block_.crc;
}

namespace {

unsigned char FoldNameByte(unsigned char c) {
  if (c == '\\' || c == '/') return '_';
  if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
  return c;
}

// FNV-1a over the folded name, then a final mix so that all 64 bits depend on every byte.
std::uint64_t FoldedNameHash(const char* name) {
  std::uint64_t h = 0xCBF29CE484222325ull;
  for (const char* p = name; *p; ++p) h = (h ^ FoldNameByte(static_cast<unsigned char>(*p))) * 0x100000001B3ull;
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  return h;
}

}  // namespace

// Three probes of 16 bits each: with the show's ~500 entries, a name not among them is taken for
// one about once in 80,000 requests.
void EntryNameFilter::Add(const char* name) {
  const std::uint64_t h = FoldedNameHash(name);
  for (int i = 0; i < 3; ++i) bits_.set((h >> (16 * i)) % kBits);
}

bool EntryNameFilter::MayHold(const char* name) const {
  const std::uint64_t h = FoldedNameHash(name);
  for (int i = 0; i < 3; ++i)
    if (!bits_.test((h >> (16 * i)) % kBits)) return false;
  return true;
}

int EntryNamesEqual(const char* a, const char* b) {
  for (std::size_t i = 0;; ++i) {
    const unsigned char ca = FoldNameByte(static_cast<unsigned char>(a[i]));
    const unsigned char cb = FoldNameByte(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
}
