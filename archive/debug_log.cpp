#include "archive/debug_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/win32/win32.h"

namespace {

struct DebugLogState {
  bool enabled = false;
  int folder = -1;   // the log's folder, held open (close-on-exec) while logging is on
  std::string leaf;  // the log's file name in it
  DWORD timeBase = 0;  // GetTickCount when the log was opened, ms
};

DebugLogState& Log() {
  static DebugLogState state;
  return state;
}

// Build paths differ between machines; the log names only the file.
const char* BaseName(const char* path) {
  const std::string_view p(path);
  const auto slash = p.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path + slash + 1;
}

constexpr std::string_view kTitle = " Vornhold archive reader RAR 2x ";
static_assert(kTitle.size() == 32);

// The log file for writing, or -1. Never through a link (O_NOFOLLOW), never waiting on a FIFO
// with no reader (O_NONBLOCK: the open fails at once), and only a regular file of one link is
// kept: a hard link would write into another name's file too. The look before the open spares a
// device the open; the check after it covers a file swapped in between. `flags` adds O_APPEND.
int OpenLogFile(const DebugLogState& log, int flags) {
  struct stat before;
  if (::fstatat(log.folder, log.leaf.c_str(), &before, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(before.st_mode))
    return -1;
  const int fd = ::openat(log.folder, log.leaf.c_str(),
                          O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | flags, 0644);
  if (fd < 0) return -1;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    text.remove_prefix(std::size_t(n));
  }
}

}  // namespace

void DebugLogOpen(const char* path) {
  DebugLogState& log = Log();
  log.timeBase = GetTickCount();
  const std::string_view p(path);
  const auto slash = p.find_last_of('/');
  const std::string folder = slash == std::string_view::npos ? "." : std::string(p.substr(0, slash));
  log.leaf = slash == std::string_view::npos ? std::string(p) : std::string(p.substr(slash + 1));
  // Only the folder's last component is checked for a link: the log's path is "temp/...".
  log.folder = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (log.folder < 0) return;
  const int fd = OpenLogFile(log, 0);
  if (fd < 0 || ::ftruncate(fd, 0) != 0) {
    if (fd >= 0) ::close(fd);
    ::close(log.folder);
    log.folder = -1;
    return;
  }
  log.enabled = true;
  char banner[160];
  std::snprintf(banner, sizeof banner, "%s\n~^~~~~~~~~~~~~~~~~~~~~~~~~~~~~^~\n(executable compiled on %s at %s)\n\n",
                kTitle.data(), __DATE__, __TIME__);
  WriteAll(fd, banner);
  ::close(fd);
}

void DebugLogLine(const char* message, const char* sourceFile, unsigned sourceLine) {
  DebugLogState& log = Log();
  if (!log.enabled) return;
  const int fd = OpenLogFile(log, O_APPEND);
  if (fd < 0) return;
  char head[256];
  std::snprintf(head, sizeof head, " %8u ms (line %u in %s):\n              - ", GetTickCount() - log.timeBase,
                sourceLine, BaseName(sourceFile));
  WriteAll(fd, std::string(head) + message + "\n");
  ::close(fd);
}

void DebugLogFormat(const char* sourceFile, unsigned sourceLine, const char* format, ...) {
  if (!Log().enabled) return;
  char message[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  DebugLogLine(message, sourceFile, sourceLine);
}
