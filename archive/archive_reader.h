// The container layer of the archive reader: checks the archive's start, walks its blocks, finds
// the requested entry and hands its data to the stored copy, the decoder or the cipher.
//
// One ArchiveReader serves one ArchiveExtract call and holds everything that call needs: the open
// file, the names, the password (wiped when the reader ends), the current headers, the 1 MiB
// window and the decoder (made at the first packed entry), so nothing of one call can leak into the next.
#pragma once

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

class ArchiveReader final : public PackedInput {
 public:
  ArchiveReader(std::string entryName, std::string archiveName, const char* password);
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

  std::string entryName_;
  std::string archiveName_;
  char password_[kMaxPassword + 1] = {};

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
  struct FreeWindow {
    void operator()(std::uint8_t* window) const { std::free(window); }
  };
  std::unique_ptr<std::uint8_t, FreeWindow> window_;  // calloc'ed
  std::unique_ptr<Unpack20> unpack_;
};

// Compares entry names as the archive does: letter case folded, '\', '/' and '_' alike. Returns 0
// when equal, else -1 or 1 by the first differing byte.
int EntryNamesEqual(const char* a, const char* b);
