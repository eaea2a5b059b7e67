// Reads a whole file into memory, for the tools that take files by name (on the command line or
// named inside a script).
//
// Only regular files are read, and only up to a size cap: a folder, a FIFO or a device such as
// /dev/zero is refused without reading from it (a FIFO is opened without waiting for a writer), so a
// name in a script cannot make a tool wait forever or fill memory.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace tools {

// Enough for any picture, mesh or script the show's tools inspect.
constexpr std::size_t kMaxToolFileBytes = std::size_t{256} << 20;

// Replaces `bytes` with the file's bytes. False when the file cannot be read, with `why` saying why
// in a few words ("No such file or directory", "not a regular file", "larger than 256 MiB") and
// `bytes` empty.
inline bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& why,
                          std::size_t maxBytes = kMaxToolFileBytes) {
  bytes.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    why = std::strerror(errno);
    return false;
  }
  const std::string tooLarge = "larger than " + (maxBytes % (1 << 20) == 0 ? std::to_string(maxBytes >> 20) + " MiB"
                                                                           : std::to_string(maxBytes) + " bytes");
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    why = std::strerror(errno);
  } else if (!S_ISREG(info.st_mode)) {
    why = S_ISDIR(info.st_mode) ? "a folder, not a file" : "not a regular file";
  } else if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
    why = tooLarge;
  } else {
    why.clear();
    // The size is only a hint: the file may change while it is read, and files under /proc say 0.
    std::uint8_t buffer[65536];
    for (;;) {
      const ssize_t got = ::read(fd, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        why = std::strerror(errno);
        break;
      }
      if (got == 0) break;
      if (static_cast<std::size_t>(got) > maxBytes - bytes.size()) {
        why = tooLarge;
        break;
      }
      bytes.insert(bytes.end(), buffer, buffer + got);
    }
  }
  ::close(fd);
  if (!why.empty()) bytes.clear();
  return why.empty();
}

}  // namespace tools
