// The C runtime pieces whose results the system depends on, behaving as Microsoft's runtime does.
//
// - WinRand / WinSrand: the runtime's rand(): a 32-bit linear congruential generator
//   (state * 214013 + 2531011) returning bits 16..30 of the state, 0..32767. The state starts at 1
//   (never-seeded rand gives 41, 18467, 6334, ...). One state for the whole program.
// - TextModeFile: a file opened like fopen(name, "r") on Windows: CR LF reads as one '\n', and a
//   Ctrl-Z byte (0x1A) ends the file. A CR not followed by LF is kept. Only a regular file opens: a
//   FIFO, a device or a folder reads as a missing file (and opening never waits for a writer).
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

int WinRand();
void WinSrand(unsigned seed);

class TextModeFile {
 public:
  explicit TextModeFile(const char* name);
  ~TextModeFile();
  TextModeFile(const TextModeFile&) = delete;
  TextModeFile& operator=(const TextModeFile&) = delete;

  bool IsOpen() const { return file_ != nullptr; }
  // The next line without its newline; false at end of file (or when the file is not open). A
  // last line without a newline is still a line. At most `keep` characters of a line are kept and
  // the rest of it is read past, so a line without end costs time, never memory.
  bool ReadLine(std::string& line, std::size_t keep);

 private:
  int NextChar();  // one text-mode character, or EOF

  std::FILE* file_ = nullptr;
  bool ended_ = false;  // Ctrl-Z or the real end was seen
};
