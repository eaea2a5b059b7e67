// Read-only random access to the archive file, mapped into memory for the length of one call.
//
// Reads past the end deliver fewer bytes (or none); seeking past the end is allowed.
#pragma once

#include <cstddef>
#include <cstdint>

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

 private:
  bool open_ = false;
  const std::uint8_t* data_ = nullptr;
  std::uint64_t size_ = 0;
  std::uint64_t position_ = 0;
};
