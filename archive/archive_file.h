// Read-only random access to the archive file, mapped into memory for the length of one call.
//
// Reads past the end deliver fewer bytes (or none); seeking past the end is allowed.
#pragma once

#include <cstddef>
#include <cstdint>

// What tells one file from another, or from itself after a change: taken from the open file, so
// it describes the bytes that are mapped. A file rewritten in place keeps its device and inode but
// gets a new size, modification or change time (times in nanoseconds, but only as fine as the
// kernel's clock tick, a few milliseconds: a same-size rewrite in place within one tick keeps all
// five).
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;  // bytes
  std::int64_t modifiedNs = 0;
  std::int64_t changedNs = 0;
  bool operator==(const FileIdentity&) const = default;
};

class ArchiveFile {
 public:
  ArchiveFile() = default;
  ~ArchiveFile() { Close(); }
  ArchiveFile(const ArchiveFile&) = delete;
  ArchiveFile& operator=(const ArchiveFile&) = delete;

  // False when the path cannot be opened for reading or is not a regular file.
  bool Open(const char* path);
  void Close();
  bool IsOpen() const { return open_; }

  std::size_t Read(void* destination, std::size_t length);
  void Seek(std::uint64_t position) { position_ = position; }
  std::uint64_t Tell() const { return position_; }
  std::uint64_t Size() const { return size_; }
  const FileIdentity& Identity() const { return identity_; }

 private:
  bool open_ = false;
  FileIdentity identity_;
  const std::uint8_t* data_ = nullptr;
  std::uint64_t size_ = 0;
  std::uint64_t position_ = 0;
};
