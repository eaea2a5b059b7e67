// The peak resident memory (ru_maxrss) of loading one picture through D3DXCreateTextureFromFileInMemory on the
// software device, as the show loads its textures. Each picture is a run-length TGA (runs of 128 pixels, so that a
// 16384 x 16384 one is 10 MiB of file and packs to a few KB in an archive), built and loaded in a child process of its
// own: ru_maxrss only ever grows, so one process per figure keeps a large load from hiding the next. A measurement,
// not a test.
//   build-bench/bench/texture_load_bench [SIDE...]   (default: 1 512 4095 4096 8192 16384; side 1 is the baseline)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/texinfo/texinfo_report.h"

namespace {

// Side x side, 32 bits, type 10, bottom row first; every packet a run of up to 128 pixels of one colour.
std::vector<std::uint8_t> RunLengthTga(unsigned side) {
  std::vector<std::uint8_t> file = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  for (unsigned v : {side, side}) {
    file.push_back(static_cast<std::uint8_t>(v));
    file.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  file.insert(file.end(), {32, 0});
  const std::uint64_t pixels = std::uint64_t{side} * side;
  for (std::uint64_t at = 0; at < pixels; at += 128) {
    const unsigned run = static_cast<unsigned>(std::min<std::uint64_t>(128, pixels - at));
    const auto shade = static_cast<std::uint8_t>(at / 128);
    file.insert(file.end(), {static_cast<std::uint8_t>(0x80 | (run - 1)), shade, 0x40, 0x80, 0xFF});
  }
  return file;
}

// In the child: builds and loads the picture; exit 0 loaded, 1 refused, with the outcome on stdout.
[[noreturn]] void LoadInChild(unsigned side) {
  const std::vector<std::uint8_t> file = RunLengthTga(side);
  texinfo::TextureFacts facts;
  std::string error;
  const bool loaded = texinfo::TextureFromFile(file, &facts, error);
  const std::string outcome =
      loaded ? "texture " + std::to_string(facts.width) + "x" + std::to_string(facts.height) : error;
  std::printf("%9zu  %-40s", file.size(), outcome.c_str());
  std::fflush(stdout);
  std::_Exit(loaded ? 0 : 1);
}

// The child's peak resident memory in KiB, or -1 when it could not be run or died.
long PeakOfChild(unsigned side) {
  std::fflush(stdout);
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) LoadInChild(side);
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status)) return -1;
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<unsigned> sides;
  for (int i = 1; i < argc; ++i) {
    const long side = std::strtol(argv[i], nullptr, 10);
    if (side < 1 || side > 65535) {
      std::fprintf(stderr, "usage: texture_load_bench [SIDE (1..65535)...]\n");
      return 2;
    }
    sides.push_back(static_cast<unsigned>(side));
  }
  if (sides.empty()) sides = {1, 512, 4095, 4096, 8192, 16384};

  std::printf("Peak resident memory of one D3DXCreateTextureFromFileInMemory (run-length TGA, software device):\n");
  std::printf("%11s  %9s  %-40s  %10s\n", "picture", "file B", "outcome", "peak MiB");
  for (unsigned side : sides) {
    std::printf("%5ux%-5u  ", side, side);
    const long peak = PeakOfChild(side);
    if (peak < 0) {
      std::printf("  (the child failed)\n");
      continue;
    }
    std::printf("  %10.1f\n", static_cast<double>(peak) / 1024.0);
  }
  return 0;
}
