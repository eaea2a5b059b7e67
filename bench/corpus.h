// Synthetic data for the archive benchmark: a mixed corpus and a set of small demo-like assets.
//
// Everything is generated from fixed seeds with BenchRandom and integer / IEEE double arithmetic
// (no libm transcendental functions), so the same options give the same bytes on every machine.
// The kinds imitate what an archive of a real-time demo holds and what challenges a compressor
// differently: English-like text, x86-like executables, PCM audio in WAV files and uncompressed
// 24-bit BMP/TGA pictures. Names use '/' separators; sizes are in bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class CorpusKind { kText, kExecutable, kAudio, kPicture };

struct CorpusFile {
  std::string name;  // relative path, '/' separators, unique within a corpus
  CorpusKind kind = CorpusKind::kText;
  std::vector<std::uint8_t> data;
};

struct CorpusOptions {
  std::size_t totalBytes = 64u << 20;  // aimed at; the result lands within a few percent
  std::uint64_t seed = 0x564F524E484F4C44ull;
};

// About totalBytes split evenly between the four kinds, files from a few KiB to a few MiB.
std::vector<CorpusFile> GenerateCorpus(const CorpusOptions& options);

// `count` small assets like the demo's: .x text meshes, small BMP/TGA textures and raw video
// frames of exactly kVideoFrameBytes each, grouped by kind in catalogue order.
std::vector<CorpusFile> GenerateSmallAssets(int count, std::uint64_t seed);
inline constexpr std::size_t kVideoFrameBytes = 2800;

const char* CorpusKindName(CorpusKind kind);

// The single generators, each producing about `bytes` bytes (exactly, where a format allows).

enum class TextStyle { kProse, kManual };
std::vector<std::uint8_t> GenerateText(std::size_t bytes, std::uint64_t seed, TextStyle style);

std::vector<std::uint8_t> GenerateExecutable(std::size_t bytes, std::uint64_t seed);

struct WaveFormat {
  int channels = 1;       // 1 or 2
  int bitsPerSample = 8;  // 8 (unsigned) or 16 (signed little-endian)
  int sampleRate = 22050;  // Hz
};
// A RIFF/WAVE file of tones, chords and noise under envelopes; the size is rounded down to whole
// sample frames.
std::vector<std::uint8_t> GenerateWave(std::size_t bytes, std::uint64_t seed, WaveFormat format);

// Uncompressed 24-bit pictures of gradients, filled shapes and noise. The size picks the
// dimensions (width 4:3 to height), so the file is close to `bytes`, not equal.
std::vector<std::uint8_t> GenerateBmp(std::size_t bytes, std::uint64_t seed);
std::vector<std::uint8_t> GenerateTga(std::size_t bytes, std::uint64_t seed);

// Pictures of exact dimensions, for the small textures.
std::vector<std::uint8_t> GenerateBmpOfSize(int width, int height, std::uint64_t seed);
std::vector<std::uint8_t> GenerateTgaOfSize(int width, int height, std::uint64_t seed);
