// Test MP3 files, made at test time: a synthesized sine WAV encoded by the `lame` command.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bass_test {

// A fresh directory for this test program's files.
const std::string& TempDir();

// An MP3 of `seconds` of sine at `rate` Hz: left at leftHz, right at rightHz (mono: leftHz only).
// Cached per set of arguments. Empty when `lame` is not installed.
std::string SineMp3(int rate, int channels, double seconds, double leftHz, double rightHz = 0);

// Sign changes of one channel of interleaved stereo samples, ignoring values within +-threshold
// of zero so that encoder noise in quiet stretches does not count.
int ZeroCrossings(const std::vector<std::int16_t>& stereo, int channel, int threshold = 200);

// Writes `text` into a file under TempDir() and returns its path.
std::string WriteFile(const std::string& name, const std::string& text);

}  // namespace bass_test

// Skips the test when the encoder is missing instead of failing on a machine without it.
#define BASS_TEST_REQUIRE_MP3(path)                                             \
  do {                                                                          \
    if ((path).empty()) GTEST_SKIP() << "lame is not installed; no MP3 to test"; \
  } while (0)
