// The library's calls on the silent device, where the test itself pulls the decoded sound.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/bass/bass.h"
#include "platform/bass/bass_host.h"
#include "platform_bass/mp3_fixtures.h"

namespace {

using bass_test::SineMp3;
using bass_test::ZeroCrossings;

constexpr int kDefaultDevice = -1;
constexpr int kSilentDevice = -2;

class BassApi : public ::testing::Test {
 protected:
  void SetUp() override { bass::UseSilentOutput(); }
  void TearDown() override {
    BASS_Free();
    bass::UseSilentOutput(false);
  }

  // Pulls everything that plays, in pieces of `piece` frames, until a piece comes back short.
  static std::vector<std::int16_t> PullAll(std::size_t piece = 4410) {
    std::vector<std::int16_t> all;
    std::vector<std::int16_t> buffer(2 * piece);
    for (;;) {
      const std::size_t got = bass::ReadDecodedSamples(buffer.data(), piece);
      all.insert(all.end(), buffer.begin(), buffer.begin() + 2 * got);
      if (got < piece) return all;
    }
  }

  static bool AllSilent(const std::vector<std::int16_t>& samples) {
    for (std::int16_t s : samples)
      if (s != 0) return false;
    return true;
  }
};

TEST_F(BassApi, CallsBeforeInitFailHarmlessly) {
  const std::string path = SineMp3(44100, 2, 1.0, 440.0, 1000.0);
  EXPECT_FALSE(BASS_StreamPlay(1, FALSE, 0));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
  EXPECT_FALSE(BASS_Start());
  EXPECT_FALSE(BASS_Stop());
  EXPECT_EQ(BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_MP3_SETPOS), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
  EXPECT_FALSE(BASS_Free());
  EXPECT_FALSE(BASS_Free());

  std::vector<std::int16_t> out(2 * 100, 7);
  EXPECT_EQ(bass::ReadDecodedSamples(out.data(), 100), 0u);
  EXPECT_TRUE(AllSilent(out));

  // None of that left anything behind: a normal start still works.
  EXPECT_TRUE(BASS_Init(kSilentDevice, 44100, BASS_DEVICE_NOSYNC, nullptr, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
}

TEST_F(BassApi, InitRefusesBadArgumentsAndASecondInit) {
  EXPECT_FALSE(BASS_Init(3, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
  EXPECT_FALSE(BASS_Init(kSilentDevice, 0, 0, nullptr, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
  EXPECT_FALSE(BASS_Init(kSilentDevice, 44100, 2, nullptr, nullptr));  // mono output
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);

  ASSERT_TRUE(BASS_Init(kDefaultDevice, 44100, 0, nullptr, nullptr));
  EXPECT_FALSE(BASS_Init(kSilentDevice, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
  // Free, then the library can be started again.
  EXPECT_TRUE(BASS_Free());
  EXPECT_TRUE(BASS_Init(kSilentDevice, 44100, 0, nullptr, nullptr));
}

TEST_F(BassApi, TheMusicSequencePlaysTheWholeFile) {
  const std::string path = SineMp3(44100, 2, 1.0, 440.0, 1000.0);
  BASS_TEST_REQUIRE_MP3(path);
  ASSERT_TRUE(BASS_Init(kSilentDevice, 44100, BASS_DEVICE_NOSYNC, nullptr, nullptr));
  const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_MP3_SETPOS);
  ASSERT_NE(stream, 0u);

  // Created but not started: nothing plays and the stream stays at its start.
  std::vector<std::int16_t> before(2 * 1000, 7);
  EXPECT_EQ(bass::ReadDecodedSamples(before.data(), 1000), 0u);
  EXPECT_TRUE(AllSilent(before));
  EXPECT_EQ(bass::StreamPosition(stream), 0u);

  EXPECT_TRUE(BASS_Start());
  EXPECT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
  const std::vector<std::int16_t> pcm = PullAll();
  EXPECT_EQ(pcm.size() / 2, 44100u);
  EXPECT_EQ(bass::StreamPosition(stream), 44100u);
  EXPECT_NEAR(ZeroCrossings(pcm, 0), 880, 4);
  EXPECT_NEAR(ZeroCrossings(pcm, 1), 2000, 4);

  // Ended: silence from then on.
  std::vector<std::int16_t> after(2 * 1000, 7);
  EXPECT_EQ(bass::ReadDecodedSamples(after.data(), 1000), 0u);
  EXPECT_TRUE(AllSilent(after));

  EXPECT_TRUE(BASS_Stop());
  EXPECT_TRUE(BASS_Free());
  EXPECT_EQ(bass::StreamPosition(stream), 0u);  // the handle is gone with the library
}

TEST_F(BassApi, StopHaltsStreamsAndPlayResumesOrRestarts) {
  const std::string path = SineMp3(44100, 2, 1.0, 440.0, 1000.0);
  BASS_TEST_REQUIRE_MP3(path);
  ASSERT_TRUE(BASS_Init(kSilentDevice, 44100, 0, nullptr, nullptr));
  const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
  ASSERT_NE(stream, 0u);
  ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));

  std::vector<std::int16_t> start(2 * 3000);
  ASSERT_EQ(bass::ReadDecodedSamples(start.data(), 3000), 3000u);

  ASSERT_TRUE(BASS_Stop());
  std::vector<std::int16_t> stopped(2 * 500, 7);
  EXPECT_EQ(bass::ReadDecodedSamples(stopped.data(), 500), 0u);
  EXPECT_TRUE(AllSilent(stopped));
  EXPECT_EQ(bass::StreamPosition(stream), 3000u);

  // BASS_Stop stopped the stream too: starting the output alone plays nothing.
  ASSERT_TRUE(BASS_Start());
  EXPECT_EQ(bass::ReadDecodedSamples(stopped.data(), 500), 0u);

  // Without flush the stream goes on where it stopped.
  ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
  std::vector<std::int16_t> resumed(2 * 100);
  ASSERT_EQ(bass::ReadDecodedSamples(resumed.data(), 100), 100u);
  EXPECT_EQ(bass::StreamPosition(stream), 3100u);
  EXPECT_NE(std::vector<std::int16_t>(start.begin(), start.begin() + 200), resumed);

  // With flush it starts again from its first sample.
  ASSERT_TRUE(BASS_StreamPlay(stream, TRUE, 0));
  std::vector<std::int16_t> again(2 * 3000);
  ASSERT_EQ(bass::ReadDecodedSamples(again.data(), 3000), 3000u);
  EXPECT_EQ(start, again);
}

TEST_F(BassApi, AFailedStreamChangesNothingElse) {
  const std::string path = SineMp3(44100, 2, 1.0, 440.0, 1000.0);
  BASS_TEST_REQUIRE_MP3(path);
  ASSERT_TRUE(BASS_Init(kSilentDevice, 44100, 0, nullptr, nullptr));
  const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
  ASSERT_NE(stream, 0u);
  ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
  std::vector<std::int16_t> head(2 * 1000);
  ASSERT_EQ(bass::ReadDecodedSamples(head.data(), 1000), 1000u);

  const std::string missing = bass_test::TempDir() + "/lab.mp3";
  EXPECT_EQ(BASS_StreamCreateFile(FALSE, missing.c_str(), 0, 0, BASS_MP3_SETPOS), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
  const std::string notMp3 = bass_test::WriteFile("notes.txt", std::string(3000, 'n'));
  EXPECT_EQ(BASS_StreamCreateFile(FALSE, notMp3.c_str(), 0, 0, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
  EXPECT_EQ(BASS_StreamCreateFile(TRUE, path.c_str(), 0, 100, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
  // As the show does with a missing file: play handle 0.
  EXPECT_FALSE(BASS_StreamPlay(0, FALSE, 0));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);

  // The first stream plays on from where it was.
  const std::vector<std::int16_t> rest = PullAll();
  EXPECT_EQ(rest.size() / 2, 44100u - 1000u);
  EXPECT_EQ(bass::StreamPosition(stream), 44100u);
}

TEST_F(BassApi, PlayingStreamsAreMixedWithSaturation) {
  const std::string path = SineMp3(44100, 2, 1.0, 440.0, 1000.0);
  BASS_TEST_REQUIRE_MP3(path);
  ASSERT_TRUE(BASS_Init(kSilentDevice, 44100, 0, nullptr, nullptr));
  const HSTREAM one = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
  ASSERT_TRUE(BASS_StreamPlay(one, FALSE, 0));
  std::vector<std::int16_t> alone(2 * 2000);
  ASSERT_EQ(bass::ReadDecodedSamples(alone.data(), 2000), 2000u);

  // Three copies of the same file, all from the start: three times each sample, clamped.
  ASSERT_TRUE(BASS_StreamPlay(one, TRUE, 0));
  for (int i = 0; i < 2; ++i) {
    const HSTREAM copy = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    ASSERT_NE(copy, 0u);
    ASSERT_NE(copy, one);
    ASSERT_TRUE(BASS_StreamPlay(copy, FALSE, 0));
  }
  std::vector<std::int16_t> mixed(2 * 2000);
  ASSERT_EQ(bass::ReadDecodedSamples(mixed.data(), 2000), 2000u);
  bool clamped = false;
  for (std::size_t i = 0; i < mixed.size(); ++i) {
    const int expected = std::clamp(3 * alone[i], -32768, 32767);
    ASSERT_EQ(mixed[i], expected) << "sample " << i;
    clamped = clamped || expected != 3 * alone[i];
  }
  EXPECT_TRUE(clamped) << "the sine should be loud enough to clip when tripled";
}

}  // namespace
