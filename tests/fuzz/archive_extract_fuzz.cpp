// libFuzzer target: the whole reader, from arbitrary archive bytes.
//
// The input is written to a file (the reader opens archives by name) and its first file entry is
// extracted with no password and with a password, so that both the plain and the cipher paths
// are reached. Any crash, sanitizer report or hang is a fault; results are not judged.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "archive/archive.h"

namespace {

// The name stored in the first file header, when the input is laid out like an archive with a
// 13-byte main header; otherwise a name that is absent.
std::string FirstEntryName(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t kHeader = 7 + 13;
  if (size < kHeader + 32) return "a";
  const std::size_t nameSize = data[kHeader + 26] | data[kHeader + 27] << 8;
  const std::size_t available = size - kHeader - 32;
  const std::size_t n = std::min<std::size_t>({nameSize, available, std::size_t{259}});
  std::string name(reinterpret_cast<const char*>(data + kHeader + 32), n);
  name.resize(std::min(name.size(), name.find('\0')));
  return name.empty() ? "a" : name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/vornhold-fuzz-" + std::to_string(getpid()) + ".rar";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);

  const std::string name = FirstEntryName(data, size);
  for (const char* password : {"", "password"}) {
    unsigned char* out = nullptr;
    unsigned int count = 0;
    if (ArchiveExtract(&out, &count, name.c_str(), path.c_str(), password)) {
      volatile unsigned char sink = count ? out[count - 1] : 0;  // the whole buffer is readable
      (void)sink;
    } else if (out || count) {
      std::abort();  // a failure must leave no buffer and no count
    }
    std::free(out);
  }
  return 0;
}
