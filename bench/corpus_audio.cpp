// PCM audio in RIFF/WAVE files: a sequence of segments (a tone with harmonics, a chord, filtered
// or white noise, a short pause), each under an attack / decay / sustain / release envelope, over
// a faint noise floor. Stereo files pan each segment and detune the right channel slightly, so
// the channels are correlated but not equal, as in recorded music.
#include <cmath>

#include "bench/bench_math.h"
#include "bench/bench_random.h"
#include "bench/corpus.h"

namespace {

// Frequency of the equal-tempered note `semitones` above 55 Hz, by repeated multiplication.
double NoteFrequency(int semitones) {
  double f = 55.0;
  for (int i = 0; i < semitones; ++i) f *= 1.0594630943592953;
  return f;
}

struct Segment {
  enum Kind { kTone, kChord, kNoise, kPause } kind = kTone;
  double frequencies[4] = {};
  int voices = 0;
  int harmonics = 1;
  double lowPass = 1.0;  // one-pole coefficient for noise; 1 = white
  double gain = 0.5;
  double pan = 0.5;      // 0 = left, 1 = right
  std::uint32_t frames = 0;
};

Segment NextSegment(BenchRandom& rng, int sampleRate) {
  Segment s;
  const double kind = rng.Unit();
  s.kind = kind < 0.4 ? Segment::kTone : kind < 0.75 ? Segment::kChord
           : kind < 0.93 ? Segment::kNoise : Segment::kPause;
  const int root = rng.Range(12, 48);
  if (s.kind == Segment::kTone) {
    s.voices = 1;
    s.frequencies[0] = NoteFrequency(root);
    s.harmonics = rng.Range(1, 5);
  } else if (s.kind == Segment::kChord) {
    static constexpr int kMajor[] = {0, 4, 7, 12}, kMinor[] = {0, 3, 7, 10};
    const int* intervals = rng.Chance(0.5) ? kMajor : kMinor;
    s.voices = rng.Range(3, 4);
    for (int v = 0; v < s.voices; ++v) s.frequencies[v] = NoteFrequency(root + intervals[v]);
    s.harmonics = rng.Range(1, 3);
  } else if (s.kind == Segment::kNoise) {
    s.lowPass = rng.Chance(0.5) ? 1.0 : 0.02 + 0.3 * rng.Unit();
  }
  s.gain = 0.15 + 0.6 * rng.Unit();
  s.pan = 0.2 + 0.6 * rng.Unit();
  s.frames = static_cast<std::uint32_t>(sampleRate * (0.08 + 1.2 * rng.Unit()));
  return s;
}

// Linear attack and release, exponential-like decay to the sustain level; `i` of `n` frames.
double Envelope(std::uint32_t i, std::uint32_t n) {
  const double t = static_cast<double>(i) / n;
  if (t < 0.05) return t / 0.05;
  if (t > 0.9) return 0.6 * (1.0 - t) / 0.1;
  const double d = (t - 0.05) / 0.85;
  return 0.6 + 0.4 * (1.0 - d) * (1.0 - d) * (1.0 - d);
}

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutSample(std::vector<std::uint8_t>& out, double v, int bits, BenchRandom& rng) {
  v = std::fmax(-1.0, std::fmin(1.0, v));
  if (bits == 8) {
    out.push_back(static_cast<std::uint8_t>(128 + static_cast<int>(std::floor(v * 127.0 + 0.5))));
  } else {
    const double dither = (rng.Unit() - 0.5) * 2.0;
    PutLe(out, static_cast<std::uint32_t>(static_cast<int>(std::floor(v * 32000.0 + dither + 0.5))), 2);
  }
}

}  // namespace

std::vector<std::uint8_t> GenerateWave(std::size_t bytes, std::uint64_t seed, WaveFormat format) {
  BenchRandom rng(seed);
  const std::uint32_t frameBytes = static_cast<std::uint32_t>(format.channels * format.bitsPerSample / 8);
  const std::uint32_t frames = bytes > 44 ? static_cast<std::uint32_t>((bytes - 44) / frameBytes) : 0;
  const std::uint32_t dataBytes = frames * frameBytes;

  std::vector<std::uint8_t> out;
  out.reserve(44 + dataBytes);
  auto tag = [&](const char* t) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(t[i]));
  };
  tag("RIFF");
  PutLe(out, 36 + dataBytes, 4);
  tag("WAVE");
  tag("fmt ");
  PutLe(out, 16, 4);
  PutLe(out, 1, 2);  // PCM
  PutLe(out, format.channels, 2);
  PutLe(out, format.sampleRate, 4);
  PutLe(out, format.sampleRate * frameBytes, 4);
  PutLe(out, frameBytes, 2);
  PutLe(out, format.bitsPerSample, 2);
  tag("data");
  PutLe(out, dataBytes, 4);

  const double noiseFloor = 0.002 + 0.01 * rng.Unit();
  const double detune = 1.0 + 0.002 * rng.Unit();
  double phases[2][4][5] = {};
  double filtered = 0;
  Segment segment;
  std::uint32_t inSegment = 0;
  for (std::uint32_t f = 0; f < frames; ++f) {
    if (inSegment == segment.frames) {
      segment = NextSegment(rng, format.sampleRate);
      inSegment = 0;
    }
    const double envelope = segment.gain * Envelope(inSegment, segment.frames);
    double noise = 0;
    if (segment.kind == Segment::kNoise) {
      filtered += segment.lowPass * ((rng.Unit() - 0.5) * 2.0 - filtered);
      noise = filtered;
    }
    for (int c = 0; c < format.channels; ++c) {
      double v = noise;
      for (int voice = 0; voice < segment.voices; ++voice) {
        const double step = segment.frequencies[voice] * (c == 1 ? detune : 1.0) / format.sampleRate;
        for (int h = 0; h < segment.harmonics; ++h) {
          double& phase = phases[c][voice][h];
          phase += step * (h + 1);
          if (phase >= 1.0) phase -= std::floor(phase);
          v += BenchSine(phase) / ((h + 1) * (segment.voices + 1));
        }
      }
      const double pan = format.channels == 1 ? 1.0 : c == 0 ? 1.0 - segment.pan : segment.pan;
      v = v * envelope * (format.channels == 1 ? 1.0 : 2.0 * pan) + noiseFloor * (rng.Unit() - 0.5);
      PutSample(out, v, format.bitsPerSample, rng);
    }
    ++inSegment;
  }
  return out;
}
