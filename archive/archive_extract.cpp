// ArchiveExtract: one extraction, logged, with the reader's cache between calls.
#include <cstring>
#include <memory>

#include "archive/archive.h"
#include "archive/archive_reader.h"
#include "archive/debug_log.h"

namespace {

bool g_firstCall = true;

// Process-wide, as the debug log is: the reader serves one call at a time.
ReaderCache& Cache() {
  static ReaderCache cache;
  return cache;
}

// The log shows whether a password was given, never what it is nor how long.
const char* PasswordShown(const char* password) { return password && password[0] ? "***" : ""; }

// Names and password longer than the reader keeps fail the call instead of being cut.
const char* CheckLengths(const char* entryName, const char* archiveName, const char* password) {
  if (!entryName || strnlen(entryName, kMaxEntryName + 1) > kMaxEntryName) return "Entry name missing or too long!";
  if (!archiveName || strnlen(archiveName, kMaxArchiveName + 1) > kMaxArchiveName)
    return "Archive name missing or too long!";
  if (password && strnlen(password, kMaxPassword + 1) > kMaxPassword) return "Password too long!";
  return nullptr;
}

}  // namespace

int ArchiveExtract(unsigned char** data, unsigned int* size, const char* entryName,
                   const char* archiveName, const char* password) {
  if (g_firstCall) {
    g_firstCall = false;
    DebugLogOpen(kDebugLogPath);
  }
  if (!data || !size) {
    ARCHIVE_LOG("No place given for the extracted data!");
    Cache().Drop();
    return 0;
  }
  *data = nullptr;
  *size = 0;

  if (const char* problem = CheckLengths(entryName, archiveName, password)) {
    ARCHIVE_LOG(problem);
    Cache().Drop();
    return 0;
  }
  ARCHIVE_LOGF("Extracting >%s< from >%s< (password is >%s<)...", entryName, archiveName, PasswordShown(password));

  // A deciphered stream is not kept: calls with a password neither use the cache nor leave one.
  const bool withPassword = password && password[0];
  if (withPassword) Cache().Drop();
  auto reader = std::make_unique<ArchiveReader>(entryName, archiveName, password, withPassword ? nullptr : &Cache());
  const int result = reader->ScanAndExtract();
  if (result) {
    *size = reader->Delivered();
    *data = reader->ReleaseOutput();
    ARCHIVE_LOGF("Extracted %u Bytes.", *size);
  } else {
    ARCHIVE_LOGF("Error - couldn't extract >%s< and allocated %u Bytes of unused memory!", entryName,
                 reader->OutputCapacity());
  }
  return result;
}

void ArchiveDropCache() { Cache().Drop(); }
