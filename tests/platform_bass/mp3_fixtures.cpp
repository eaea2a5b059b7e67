#include "platform_bass/mp3_fixtures.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <tuple>

namespace bass_test {
namespace {

void PutLe(std::ofstream& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void WriteSineWav(const std::string& path, int rate, int channels, double seconds, double leftHz,
                  double rightHz) {
  const auto frames = static_cast<std::uint32_t>(std::lround(rate * seconds));
  const std::uint32_t dataBytes = frames * channels * 2;
  std::ofstream out(path, std::ios::binary);
  out.write("RIFF", 4);
  PutLe(out, 36 + dataBytes, 4);
  out.write("WAVEfmt ", 8);
  PutLe(out, 16, 4);
  PutLe(out, 1, 2);  // PCM
  PutLe(out, channels, 2);
  PutLe(out, rate, 4);
  PutLe(out, rate * channels * 2, 4);
  PutLe(out, channels * 2, 2);
  PutLe(out, 16, 2);
  out.write("data", 4);
  PutLe(out, dataBytes, 4);
  for (std::uint32_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    for (int c = 0; c < channels; ++c) {
      const double hz = c == 0 ? leftHz : rightHz;
      const auto sample = static_cast<std::int16_t>(
          std::lround(12000.0 * std::sin(2.0 * std::numbers::pi * hz * t)));
      PutLe(out, static_cast<std::uint16_t>(sample), 2);
    }
  }
}

bool HaveLame() {
  static const bool have = std::system("command -v lame >/dev/null 2>&1") == 0;
  return have;
}

// Removes the directory with everything in it when the test program ends.
struct ScratchDir {
  std::string path;
  ScratchDir() {
    const auto base = std::filesystem::temp_directory_path() / "vornhold_bass_XXXXXX";
    std::string pattern = base.string();
    if (mkdtemp(pattern.data()) != nullptr) path = pattern;
  }
  ~ScratchDir() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
};

}  // namespace

const std::string& TempDir() {
  static const ScratchDir dir;
  if (dir.path.empty()) {
    std::fprintf(stderr, "cannot make a temporary directory\n");
    std::abort();
  }
  return dir.path;
}

std::string SineMp3(int rate, int channels, double seconds, double leftHz, double rightHz) {
  if (!HaveLame()) return {};
  static std::map<std::tuple<int, int, double, double, double>, std::string> made;
  const auto key = std::make_tuple(rate, channels, seconds, leftHz, rightHz);
  if (auto found = made.find(key); found != made.end()) return found->second;

  const std::string base = TempDir() + "/sine" + std::to_string(made.size());
  WriteSineWav(base + ".wav", rate, channels, seconds, leftHz, rightHz);
  const std::string command = "lame --quiet -b 128 '" + base + ".wav' '" + base + ".mp3'";
  if (std::system(command.c_str()) != 0) return {};
  made[key] = base + ".mp3";
  return base + ".mp3";
}

int ZeroCrossings(const std::vector<std::int16_t>& stereo, int channel, int threshold) {
  int crossings = 0;
  int lastSign = 0;
  for (std::size_t i = channel; i < stereo.size(); i += 2) {
    const int sign = stereo[i] > threshold ? 1 : stereo[i] < -threshold ? -1 : 0;
    if (sign == 0) continue;
    if (lastSign != 0 && sign != lastSign) ++crossings;
    lastSign = sign;
  }
  return crossings;
}

std::string WriteFile(const std::string& name, const std::string& text) {
  const std::string path = TempDir() + "/" + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

}  // namespace bass_test
