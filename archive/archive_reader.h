// The container layer of the archive reader: checks the archive's start, walks its blocks, finds
// the requested entry and hands its data to the stored copy, the decoder or the cipher.
//
// One ArchiveReader serves one ArchiveExtract call and holds what that call needs: the open file,
// the names, the password (wiped when the reader ends), the current headers, the 1 MiB window and
// the decoder (made at the first packed entry). What may carry over to the next call lives in a
// ReaderCache the caller lends: where the walk stopped and, in a solid archive, the decoder's state
// there. It never holds a password, and a call that fails leaves it empty.
#pragma once

#include <bitset>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "archive/archive_file.h"
#include "archive/cipher20.h"
#include "archive/unpack20.h"

inline constexpr unsigned kMaxEntryName = 259;
inline constexpr unsigned kMaxArchiveName = 255;
inline constexpr unsigned kMaxPassword = 254;
// No entry of a sound archive comes near this; a larger declared size means a damaged header.
inline constexpr std::uint32_t kMaxUnpackedSize = 256u << 20;

struct MainHeader {
  std::uint16_t crc = 0;
  std::uint8_t type = 0;
  std::uint16_t flags = 0;
  std::uint16_t size = 0;
  std::uint16_t reserved1 = 0;
  std::uint32_t reserved2 = 0;
};

// The fixed 32 bytes read at every block's start, decoded with the file-header layout.
struct BlockHeader {
  std::uint16_t crc = 0;
  std::uint8_t type = 0;
  std::uint16_t flags = 0;
  std::uint16_t size = 0;
  std::uint32_t packedSize = 0;
  std::uint32_t unpackedSize = 0;
  std::uint8_t hostOs = 0;
  std::uint32_t dataCrc = 0;
  std::uint32_t fileTime = 0;
  std::uint8_t version = 0;
  std::uint8_t method = 0;
  std::uint16_t nameSize = 0;
  std::uint32_t attributes = 0;
};

struct FreeWindow {
  void operator()(std::uint8_t* window) const { std::free(window); }
};
using WindowPtr = std::unique_ptr<std::uint8_t, FreeWindow>;  // calloc'ed

// The names of the entries a walk has passed, folded as EntryNamesEqual folds them, in a fixed
// 8 KiB Bloom filter: "may hold" can be wrong only towards yes, which costs a walk from the start,
// never a wrong entry. An archive of tens of thousands of entries fills it, and every request then
// starts from the beginning, as without a cache.
class EntryNameFilter {
 public:
  void Add(const char* name);
  bool MayHold(const char* name) const;
  void Clear() { bits_.reset(); }

 private:
  static constexpr std::size_t kBits = 1u << 16;
  std::bitset<kBits> bits_;
};

// Where the last successful call on an archive stopped, so that a request for an entry further on
// walks on from there instead of from the first block. In a solid archive the decoder's window and
// state after that entry come along, so the entries before it are not decoded again. Taken only
// when the archive is the same (path, and device, inode, size and times of the open file) and the
// requested name is none of the entries already passed: the first entry of a name wins, so a name
// met before must be looked for from the start. Holds one 1 MiB window at most, and no password.
struct ReaderCache {
  bool held = false;
  std::string archiveName;
  FileIdentity identity;
  MainHeader main;
  std::uint64_t nextBlock = 0;  // the block after the last entry delivered
  EntryNameFilter passed;        // every entry before nextBlock
  WindowPtr window;              // solid archives only; null until the first packed entry
  std::unique_ptr<Unpack20> unpack;

  void Drop();
};

class ArchiveReader final : public PackedInput {
 public:
  // `cache` may be null (no cache, as for calls with a password); the reader takes what fits its
  // request out of it and leaves it empty, then refills it only when the entry was delivered.
  ArchiveReader(std::string entryName, std::string archiveName, const char* password,
                ReaderCache* cache = nullptr);
  ~ArchiveReader();

  // Scans the archive and extracts the requested entry: 1 found and extracted, 0 not.
  int ScanAndExtract();

  // The extracted entry (malloc'ed; the caller takes ownership) and its byte count.
  unsigned char* ReleaseOutput();
  std::uint32_t Delivered() const { return output_.delivered; }
  std::uint32_t OutputCapacity() const { return outputBuffer_ ? output_.unpackedSize : 0; }

  unsigned ReadPackedData(std::uint8_t* buffer, unsigned length) override;

 private:
  enum class HeaderKind { kMain, kBlock };

  bool CheckArchiveStart();
  int NextFileBlock();
  int ParseBlockHeader(HeaderKind kind);
  bool WholeHeaderCrcMatches(std::uint8_t* scratch);
  bool CopyStoredEntry();
  bool ExtractCurrentEntry();
  bool RefuseEntrySize();
  int Fail(const char* message, const char* sourceFile, unsigned sourceLine);
  bool AllocateWindow();
  void ReleaseWindow();
  bool ResumeFromCache();
  void FillCache();

  std::string entryName_;
  std::string archiveName_;
  char password_[kMaxPassword + 1] = {};
  ReaderCache* cache_ = nullptr;
  EntryNameFilter passed_;  // the entries walked past, the found one included once delivered

  ArchiveFile file_;
  MainHeader main_;
  BlockHeader block_;
  std::uint64_t blockStart_ = 0;
  std::uint64_t nextBlock_ = 0;
  std::uint32_t headerCrc_ = 0;
  char currentName_[kMaxEntryName + 1] = {};
  bool nameCut_ = false;  // the stored name is longer than the part kept: it names no request

  bool found_ = false;
  int cryptVersion_ = 0;
  std::uint32_t remainingPacked_ = 0;
  bool fileEndedEarly_ = false;
  Rar20Cipher cipher_;

  unsigned char* outputBuffer_ = nullptr;  // malloc'ed; owned until released
  UnpackOutput output_;
  WindowPtr window_;
  std::unique_ptr<Unpack20> unpack_;
};

// Compares entry names as the archive does: letter case folded, '\', '/' and '_' alike. Returns 0
// when equal, else -1 or 1 by the first differing byte.
int EntryNamesEqual(const char* a, const char* b);
