#include "archive/archive_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

bool ArchiveFile::Open(const char* path) {
  Close();
  // O_NONBLOCK: a FIFO in the archive's place is refused below instead of waiting for a writer.
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  size_ = std::uint64_t(st.st_size);
  const auto ns = [](const timespec& t) { return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec; };
  identity_ = FileIdentity{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), size_, ns(st.st_mtim), ns(st.st_ctim)};
  if (size_ > 0) {
    void* map = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
    if (map == MAP_FAILED) {
      ::close(fd);
      size_ = 0;
      return false;
    }
    data_ = static_cast<const std::uint8_t*>(map);
  }
  ::close(fd);  // the mapping stays valid
  open_ = true;
  position_ = 0;
  return true;
}

void ArchiveFile::Close() {
  if (data_) ::munmap(const_cast<std::uint8_t*>(data_), size_);
  data_ = nullptr;
  size_ = 0;
  position_ = 0;
  open_ = false;
  identity_ = {};
}

std::size_t ArchiveFile::Read(void* destination, std::size_t length) {
  if (position_ >= size_) return 0;
  const std::size_t n = std::size_t(std::min<std::uint64_t>(length, size_ - position_));
  std::memcpy(destination, data_ + position_, n);
  position_ += n;
  return n;
}
