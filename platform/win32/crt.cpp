#include "platform/win32/crt.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

namespace {

std::uint32_t g_randState = 1;

constexpr int kCtrlZ = 0x1A;

}  // namespace

int WinRand() {
  g_randState = g_randState * 214013u + 2531011u;
  return static_cast<int>((g_randState >> 16) & 0x7FFF);
}

void WinSrand(unsigned seed) { g_randState = seed; }

TextModeFile::TextModeFile(const char* name) {
  if (!name) return;
  // O_NONBLOCK: a FIFO would otherwise hold the open until some writer comes (on a regular file
  // the flag changes nothing).
  const int fd = ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || !(file_ = ::fdopen(fd, "rb")))
    ::close(fd);
}

TextModeFile::~TextModeFile() {
  if (file_) std::fclose(file_);
}

int TextModeFile::NextChar() {
  if (!file_ || ended_) return EOF;
  int c = std::fgetc(file_);
  if (c == EOF || c == kCtrlZ) {
    ended_ = true;
    return EOF;
  }
  if (c == '\r') {
    const int next = std::fgetc(file_);
    if (next == '\n') return '\n';
    if (next != EOF) std::ungetc(next, file_);
  }
  return c;
}

bool TextModeFile::ReadLine(std::string& line, std::size_t keep) {
  line.clear();
  int c = NextChar();
  if (c == EOF) return false;
  while (c != EOF && c != '\n') {
    if (line.size() < keep) line.push_back(static_cast<char>(c));
    c = NextChar();
  }
  return true;
}
