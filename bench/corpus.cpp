// The corpus plan: for each of the four kinds two series of eleven files whose sizes double from
// 4 KiB to 4 MiB (each jittered by up to a quarter), so every kind holds about 16 MiB at the
// default 64 MiB and the sizes span "a few KiB" to "a few MiB". Other totals scale every size.
#include <algorithm>
#include <cstdio>

#include "bench/bench_random.h"
#include "bench/corpus.h"

namespace {

constexpr int kSeries = 2;
constexpr int kSteps = 11;
constexpr double kDefaultTotal = 64.0 * 1024 * 1024;

constexpr WaveFormat kWaveFormats[] = {{1, 8, 11025}, {2, 8, 22050}, {1, 16, 22050}, {2, 16, 44100}};
constexpr const char* kWaveNames[] = {"mono8", "stereo8", "mono16", "stereo16"};

std::string Numbered(const char* stem, int index, const char* extension) {
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), "%s_%02d.%s", stem, index, extension);
  return buffer;
}

CorpusFile MakeFile(CorpusKind kind, int series, int step, std::size_t bytes, std::uint64_t seed) {
  CorpusFile file;
  file.kind = kind;
  switch (kind) {
    case CorpusKind::kText: {
      const TextStyle style = series == 0 ? TextStyle::kProse : TextStyle::kManual;
      file.name = "text/" + Numbered(series == 0 ? "story" : "manual", step, "txt");
      file.data = GenerateText(bytes, seed, style);
      break;
    }
    case CorpusKind::kExecutable:
      file.name = "bin/" + Numbered(series == 0 ? "tool" : "module", step, series == 0 ? "exe" : "dll");
      file.data = GenerateExecutable(bytes, seed);
      break;
    case CorpusKind::kAudio: {
      const int format = (step + 2 * series) % 4;
      file.name = "audio/" + Numbered(kWaveNames[format], step + kSteps * series, "wav");
      file.data = GenerateWave(bytes, seed, kWaveFormats[format]);
      break;
    }
    case CorpusKind::kPicture:
      file.name = "pictures/" + Numbered("picture", step, series == 0 ? "bmp" : "tga");
      file.data = series == 0 ? GenerateBmp(bytes, seed) : GenerateTga(bytes, seed);
      break;
  }
  return file;
}

}  // namespace

const char* CorpusKindName(CorpusKind kind) {
  switch (kind) {
    case CorpusKind::kText: return "text";
    case CorpusKind::kExecutable: return "executable";
    case CorpusKind::kAudio: return "audio";
    case CorpusKind::kPicture: return "picture";
  }
  return "?";
}

std::vector<CorpusFile> GenerateCorpus(const CorpusOptions& options) {
  const double scale = static_cast<double>(options.totalBytes) / kDefaultTotal;
  BenchRandom sizes(options.seed);
  std::vector<CorpusFile> files;
  for (CorpusKind kind : {CorpusKind::kText, CorpusKind::kExecutable, CorpusKind::kAudio, CorpusKind::kPicture}) {
    for (int series = 0; series < kSeries; ++series) {
      for (int step = 0; step < kSteps; ++step) {
        const double jitter = 0.75 + 0.5 * sizes.Unit();
        const auto bytes = static_cast<std::size_t>(std::max(1024.0, 4096.0 * (1 << step) * scale * jitter));
        const std::uint64_t seed =
            options.seed ^ (0x9E3779B97F4A7C15ull * (1 + static_cast<int>(kind) * 100 + series * 20 + step));
        files.push_back(MakeFile(kind, series, step, bytes, seed));
      }
    }
  }
  // Name order, as an archiver or tar given the folder would store them.
  std::sort(files.begin(), files.end(), [](const CorpusFile& a, const CorpusFile& b) { return a.name < b.name; });
  return files;
}
