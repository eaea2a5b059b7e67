// soundtrack_preview [wav path] [--mp3 path]: renders the whole piece, writes it as 16-bit WAV
// (default /tmp/vornhold_soundtrack.wav), optionally also the MP3, and prints its length and,
// per section, the levels that tell whether the mix is sound: peak and RMS in dBFS, DC offset,
// the share of low / mid / high energy (below 200 Hz, to 2 kHz, above), and a click gauge at the
// section's end: the energy of the second difference (which stresses the highest frequencies)
// in the last 5 ms before the next section, over its mean in the 100 ms before that. A note cut
// off there would give a broadband step and a ratio far above 1; the next section's first hit
// starts exactly at the join, so it is not counted.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/showdata/soundtrack/score.h"
#include "tools/showdata/soundtrack/synth.h"

namespace {

using showdata::soundtrack::kRate;

double Db(double v) { return 20.0 * std::log10(std::max(v, 1e-9)); }

bool WriteWav(const std::string& path, const std::vector<float>& pcm) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  auto u32 = [f](std::uint32_t v) {
    const unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    std::fwrite(b, 1, 4, f);
  };
  auto u16 = [f](std::uint16_t v) {
    const unsigned char b[2] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)};
    std::fwrite(b, 1, 2, f);
  };
  const std::uint32_t dataBytes = static_cast<std::uint32_t>(pcm.size() * 2);
  std::fwrite("RIFF", 1, 4, f);
  u32(36 + dataBytes);
  std::fwrite("WAVEfmt ", 1, 8, f);
  u32(16);
  u16(1);
  u16(2);
  u32(kRate);
  u32(kRate * 4);
  u16(4);
  u16(16);
  std::fwrite("data", 1, 4, f);
  u32(dataBytes);
  std::vector<std::int16_t> samples(pcm.size());
  for (std::size_t i = 0; i < pcm.size(); ++i)
    samples[i] = static_cast<std::int16_t>(std::lround(std::clamp(pcm[i], -1.0f, 1.0f) * 32767.0f));
  std::fwrite(samples.data(), 2, samples.size(), f);
  return std::fclose(f) == 0;
}

void Report(const char* name, const std::vector<float>& pcm, std::size_t from, std::size_t to) {
  double peak = 0, sum = 0, dcL = 0, dcR = 0, low = 0, mid = 0, high = 0;
  double lowState = 0, midState = 0, edgeHf = 0, refHf = 0;
  const std::size_t edge = kRate / 200, ref = kRate / 10;
  const double aLow = 1.0 - std::exp(-2.0 * 3.14159265 * 200.0 / kRate);
  const double aMid = 1.0 - std::exp(-2.0 * 3.14159265 * 2000.0 / kRate);
  for (std::size_t f = from; f < to; ++f) {
    const double l = pcm[f * 2], r = pcm[f * 2 + 1];
    peak = std::max({peak, std::abs(l), std::abs(r)});
    sum += l * l + r * r;
    dcL += l;
    dcR += r;
    const double m = 0.5 * (l + r);
    lowState += aLow * (m - lowState);
    midState += aMid * (m - midState);
    low += lowState * lowState;
    mid += (midState - lowState) * (midState - lowState);
    high += (m - midState) * (m - midState);
    if (f >= 2 && f + edge + ref >= to) {
      const double d2 = m - (pcm[(f - 1) * 2] + pcm[(f - 1) * 2 + 1]) +
                        0.5 * (pcm[(f - 2) * 2] + pcm[(f - 2) * 2 + 1]);
      (f + edge >= to ? edgeHf : refHf) += d2 * d2;
    }
  }
  const double n = static_cast<double>(to - from);
  const double bands = std::max(low + mid + high, 1e-12);
  std::printf("%-12s %7.2f s  peak %6.1f dBFS  rms %6.1f dBFS  dc %+.5f %+.5f  low/mid/high %2.0f/%2.0f/%2.0f %%"
              "  click gauge %.2f\n",
              name, n / kRate, Db(peak), Db(std::sqrt(sum / (2 * n))), dcL / n, dcR / n,
              100 * low / bands, 100 * mid / bands, 100 * high / bands,
              (edgeHf / edge) / std::max(refHf / ref, 1e-20));
}

}  // namespace

int main(int argc, char** argv) {
  std::string wavPath = "/tmp/vornhold_soundtrack.wav";
  std::string mp3Path;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--mp3") == 0 && i + 1 < argc) {
      mp3Path = argv[++i];
    } else if (argv[i][0] == '-') {
      std::fprintf(stderr, "usage: soundtrack_preview [wav path] [--mp3 path]\n");
      return 2;
    } else {
      wavPath = argv[i];
    }
  }
  namespace st = showdata::soundtrack;
  const std::size_t total = st::TotalFrames();
  const std::vector<float> pcm = st::Render(0, total);
  if (!WriteWav(wavPath, pcm)) {
    std::fprintf(stderr, "soundtrack_preview: cannot write %s\n", wavPath.c_str());
    return 1;
  }
  std::printf("%s: %zu frames, %.3f s at %d Hz, stereo\n", wavPath.c_str(), total,
              static_cast<double>(total) / kRate, kRate);
  const auto& map = st::TempoMap();
  for (std::size_t i = 0; i + 1 < map.size(); ++i) {
    const std::size_t from = static_cast<std::size_t>(std::llround(map[i].startMs * kRate / 1000.0));
    const std::size_t to = static_cast<std::size_t>(std::llround(map[i + 1].startMs * kRate / 1000.0));
    Report(map[i].name, pcm, from, to);
  }
  Report("tail", pcm, static_cast<std::size_t>(std::llround(map.back().startMs * kRate / 1000.0)), total);
  Report("whole", pcm, 0, total);
  if (!mp3Path.empty()) {
    std::string error;
    const std::vector<std::uint8_t> mp3 = st::EncodeMp3(pcm, &error);
    std::FILE* f = mp3.empty() ? nullptr : std::fopen(mp3Path.c_str(), "wb");
    if (!f || std::fwrite(mp3.data(), 1, mp3.size(), f) != mp3.size() || std::fclose(f) != 0) {
      std::fprintf(stderr, "soundtrack_preview: %s\n",
                   error.empty() ? ("cannot write " + mp3Path).c_str() : error.c_str());
      return 1;
    }
    std::printf("%s: %zu bytes\n", mp3Path.c_str(), mp3.size());
  }
  return 0;
}
