#include "platform/bass/mp3_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform_bass/mp3_fixtures.h"

namespace {

using bass::Mp3Decoder;
using bass_test::SineMp3;
using bass_test::ZeroCrossings;

// Decodes the whole file in small pieces, as the audio thread does.
std::vector<std::int16_t> DecodeAll(Mp3Decoder& decoder, std::size_t piece = 1000) {
  std::vector<std::int16_t> all;
  std::vector<std::int16_t> buffer(2 * piece);
  for (;;) {
    const std::size_t got = decoder.Read(buffer.data(), piece);
    all.insert(all.end(), buffer.begin(), buffer.begin() + 2 * got);
    if (got < piece) break;
  }
  return all;
}

TEST(Mp3Decoder, DecodesStereoFileToItsLengthAndFrequencies) {
  const std::string path = SineMp3(44100, 2, 1.0, 440.0, 1000.0);
  BASS_TEST_REQUIRE_MP3(path);
  Mp3Decoder decoder;
  ASSERT_EQ(decoder.Open(path.c_str(), 44100), Mp3Decoder::OpenResult::kOk);
  const std::vector<std::int16_t> pcm = DecodeAll(decoder);
  EXPECT_TRUE(decoder.Ended());
  // Gapless decoding drops the encoder's delay and padding: the length is the WAV's.
  EXPECT_EQ(pcm.size() / 2, 44100u);
  // A sine of f Hz crosses zero 2f times a second; left and right must not be swapped.
  EXPECT_NEAR(ZeroCrossings(pcm, 0), 880, 4);
  EXPECT_NEAR(ZeroCrossings(pcm, 1), 2000, 4);
  // Nothing more after the end.
  std::int16_t more[8] = {};
  EXPECT_EQ(decoder.Read(more, 4), 0u);
}

TEST(Mp3Decoder, ConvertsMonoAtAnotherRateToStereoAtTheOutputRate) {
  // 11025 frames end early in the decoder's last piece for the resampler; 12278 end just before
  // a piece is full, which leaves the resampler's held-back tail the least room.
  for (const int fileFrames : {11025, 12278}) {
    SCOPED_TRACE(fileFrames);
    const std::string path = SineMp3(22050, 1, fileFrames / 22050.0, 660.0);
    BASS_TEST_REQUIRE_MP3(path);
    Mp3Decoder decoder;
    ASSERT_EQ(decoder.Open(path.c_str(), 44100), Mp3Decoder::OpenResult::kOk);
    const std::vector<std::int16_t> pcm = DecodeAll(decoder);
    EXPECT_EQ(pcm.size() / 2, 2u * fileFrames);
    // 660 Hz: 1320 crossings a second.
    EXPECT_NEAR(ZeroCrossings(pcm, 0), 1320.0 * fileFrames / 22050.0, 4);
    for (std::size_t i = 0; i < pcm.size(); i += 2)
      ASSERT_EQ(pcm[i], pcm[i + 1]) << "frame " << i / 2;
    // The resampled tail is the file's end, not silence the converter made up.
    bool endSounds = false;
    for (std::size_t i = pcm.size() - 200; i < pcm.size(); ++i)
      endSounds = endSounds || std::abs(pcm[i]) > 2000;
    EXPECT_TRUE(endSounds);
  }
}

TEST(Mp3Decoder, RewindReplaysTheSameSamples) {
  const std::string path = SineMp3(44100, 2, 1.0, 440.0, 1000.0);
  BASS_TEST_REQUIRE_MP3(path);
  Mp3Decoder decoder;
  ASSERT_EQ(decoder.Open(path.c_str(), 44100), Mp3Decoder::OpenResult::kOk);
  std::vector<std::int16_t> first(2 * 5000);
  ASSERT_EQ(decoder.Read(first.data(), 5000), 5000u);
  DecodeAll(decoder);
  ASSERT_TRUE(decoder.Ended());
  ASSERT_TRUE(decoder.Rewind());
  EXPECT_FALSE(decoder.Ended());
  std::vector<std::int16_t> again(2 * 5000);
  ASSERT_EQ(decoder.Read(again.data(), 5000), 5000u);
  EXPECT_EQ(first, again);
}

// A seek lands where reading from the start would: at the file's own rate (libmpg123 seeks) and
// through the resampler (which decodes its way there), inside the first MP3 frame, across frame
// boundaries, and past the end (nothing more to read).
TEST(Mp3Decoder, SeekToGivesWhatReadingFromTheStartGives) {
  struct Row {
    int fileRate, outputRate;
  };
  for (const Row row : {Row{44100, 44100}, Row{22050, 44100}}) {
    const std::string path = SineMp3(row.fileRate, 2, 1.0, 440.0, 1000.0);
    BASS_TEST_REQUIRE_MP3(path);
    Mp3Decoder decoder;
    ASSERT_EQ(decoder.Open(path.c_str(), row.outputRate), Mp3Decoder::OpenResult::kOk);
    const std::vector<std::int16_t> whole = DecodeAll(decoder);
    const std::size_t frames = whole.size() / 2;
    for (const std::size_t at : {std::size_t(0), std::size_t(100), std::size_t(1152 * 3 + 17), frames - 300}) {
      ASSERT_TRUE(decoder.SeekTo(at)) << row.fileRate << " Hz at " << at;
      std::vector<std::int16_t> got(2 * 300);
      ASSERT_EQ(decoder.Read(got.data(), 300), std::min<std::size_t>(300, frames - at));
      EXPECT_TRUE(std::equal(got.begin(), got.end(), whole.begin() + std::ptrdiff_t(2 * at)))
          << row.fileRate << " Hz: frame " << at;
    }
    ASSERT_TRUE(decoder.SeekTo(frames + 1000));
    std::int16_t none[2];
    EXPECT_EQ(decoder.Read(none, 1), 0u) << row.fileRate << " Hz: past the end";
  }
}

TEST(Mp3Decoder, RefusesWhatIsNotAReadableMp3) {
  Mp3Decoder decoder;
  const std::string dir = bass_test::TempDir();
  EXPECT_EQ(decoder.Open((dir + "/no such file.mp3").c_str(), 44100),
            Mp3Decoder::OpenResult::kCannotOpen);
  EXPECT_EQ(decoder.Open(dir.c_str(), 44100), Mp3Decoder::OpenResult::kCannotOpen);
  EXPECT_EQ(decoder.Open(nullptr, 44100), Mp3Decoder::OpenResult::kCannotOpen);
  EXPECT_EQ(decoder.Open(bass_test::WriteFile("empty.mp3", "").c_str(), 44100),
            Mp3Decoder::OpenResult::kNotMp3);
  const std::string text(4000, 'x');
  EXPECT_EQ(decoder.Open(bass_test::WriteFile("text.mp3", text).c_str(), 44100),
            Mp3Decoder::OpenResult::kNotMp3);
  // A refused file leaves a decoder that yields nothing rather than stale data.
  std::int16_t out[4] = {};
  EXPECT_EQ(decoder.Read(out, 2), 0u);
  EXPECT_FALSE(decoder.Rewind());
}

}  // namespace
