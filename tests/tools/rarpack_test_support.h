// Helpers shared by the archive writer, rarpack and extractor cross-check tests: scratch folders,
// files, running programs, and deterministic entry contents that compress in different ways.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/rarpack/rar_writer.h"

namespace rarpacktest {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// A fresh folder below the build tree for the running test, removed with everything in it.
class ScratchDir {
 public:
  ScratchDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string leaf = std::string(info->test_suite_name()) + "." + info->name() + "." +
                       std::to_string(getpid());
    std::replace(leaf.begin(), leaf.end(), '/', '_');  // parameterized names
    path_ = fs::path(VORNHOLD_BINARY_DIR) / "test-scratch" / leaf;
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const fs::path& path() const { return path_; }
  fs::path operator/(const std::string& leaf) const { return path_ / leaf; }

 private:
  fs::path path_;
};

inline Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const fs::path& path, const Bytes& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadText(const fs::path& path) {
  const Bytes bytes = ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

// For the shell: the argument in single quotes.
inline std::string Quote(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

struct RunResult {
  int exitCode = -1;
  std::string out, err;
};

// Runs a shell command line with its output captured in files of `scratch`.
inline RunResult Run(const std::string& commandLine, const ScratchDir& scratch) {
  const fs::path out = scratch / ".run.out", err = scratch / ".run.err";
  const int status = std::system((commandLine + " >" + Quote(out) + " 2>" + Quote(err)).c_str());
  RunResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadText(out);
  result.err = ReadText(err);
  fs::remove(out);
  fs::remove(err);
  return result;
}

inline bool HaveProgram(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// A small deterministic generator (xorshift), so contents are the same on every run.
class Noise {
 public:
  explicit Noise(std::uint32_t seed) : s_(seed * 2654435761u + 1) {}
  std::uint32_t Next() {
    s_ ^= s_ << 13;
    s_ ^= s_ >> 17;
    s_ ^= s_ << 5;
    return s_;
  }

 private:
  std::uint32_t s_;
};

// Text made of a small vocabulary: compresses well, with matches at all distances.
inline Bytes TextBytes(std::size_t size, std::uint32_t seed) {
  static const char* const kWords[] = {"vornhold ", "archive ", "window ", "solid ", "stream ",
                                       "table ",    "block ",   "the ",    "of ",    "and\n",
                                       "cipher ",   "mesh ",    "frame ",  "scene ", "0123 "};
  Noise noise(seed);
  Bytes bytes;
  while (bytes.size() < size) {
    const char* word = kWords[noise.Next() % std::size(kWords)];
    for (; *word && bytes.size() < size; ++word) bytes.push_back(static_cast<std::uint8_t>(*word));
  }
  return bytes;
}

inline Bytes RandomBytes(std::size_t size, std::uint32_t seed) {
  Noise noise(seed);
  Bytes bytes(size);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(noise.Next() >> 24);
  return bytes;
}

// Interleaved 8-bit PCM of `channels` sine waves with a little noise: the multimedia mode's data.
inline Bytes PcmBytes(std::size_t size, int channels, std::uint32_t seed) {
  Noise noise(seed);
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) {
    const int channel = static_cast<int>(i % channels);
    const double t = static_cast<double>(i / channels);
    const double wave = 100.0 * std::sin(t * 0.05 * (channel + 1) + channel);
    bytes[i] = static_cast<std::uint8_t>(128 + static_cast<int>(wave) + static_cast<int>(noise.Next() % 5));
  }
  return bytes;
}

inline ArchiveEntryInput FileEntry(const std::string& name, Bytes data) {
  ArchiveEntryInput entry;
  entry.name = name;
  entry.data = std::move(data);
  return entry;
}

inline ArchiveEntryInput DirectoryEntry(const std::string& name) {
  ArchiveEntryInput entry;
  entry.name = name;
  entry.directory = true;
  return entry;
}

// Writes the archive to `path`; the test fails when the writer refuses.
inline void WriteArchiveFile(const fs::path& path, const std::vector<ArchiveEntryInput>& entries,
                             const ArchiveWriterOptions& options) {
  Bytes archive;
  std::string error;
  ASSERT_TRUE(WriteRarArchive(entries, options, archive, error)) << error;
  WriteFile(path, archive);
}

}  // namespace rarpacktest
