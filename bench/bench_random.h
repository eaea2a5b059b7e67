// Deterministic pseudo-random numbers for the benchmark corpus.
//
// The corpus must be the same bytes on every machine and every build, so nothing here uses the
// standard library's distributions (their algorithms are unspecified). The generator is
// xoshiro256** seeded through SplitMix64; every derived value is computed with integer or
// IEEE double arithmetic only.
#pragma once

#include <cstdint>

class BenchRandom {
 public:
  explicit BenchRandom(std::uint64_t seed) {
    for (auto& word : s_) {
      seed += 0x9E3779B97F4A7C15ull;
      std::uint64_t z = seed;
      z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
      z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
      word = z ^ (z >> 31);
    }
  }

  std::uint64_t Next() {
    const std::uint64_t result = Rotl(s_[1] * 5, 7) * 9;
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = Rotl(s_[3], 45);
    return result;
  }

  // Uniform in [0, bound); bound > 0. The modulo bias is irrelevant for synthetic data.
  std::uint32_t Below(std::uint32_t bound) { return static_cast<std::uint32_t>(Next() % bound); }

  // Uniform in [lo, hi], inclusive.
  int Range(int lo, int hi) { return lo + static_cast<int>(Below(static_cast<std::uint32_t>(hi - lo + 1))); }

  // Uniform in [0, 1) with 53 bits.
  double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

  // True with probability `p`.
  bool Chance(double p) { return Unit() < p; }

  std::uint8_t Byte() { return static_cast<std::uint8_t>(Next() >> 56); }

 private:
  static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  std::uint64_t s_[4];
};
