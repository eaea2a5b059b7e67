// The default device on SDL's dummy audio driver, which consumes samples in real time like a
// sound card without one being there.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/bass/bass.h"
#include "platform/bass/bass_host.h"
#include "platform_bass/mp3_fixtures.h"

namespace {

constexpr int kDefaultDevice = -1;

class BassOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    bass::UseSilentOutput(false);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }
  void TearDown() override {
    BASS_Free();
    unsetenv("SDL_AUDIODRIVER");
  }

  // Waits (at most `limit`) until the stream's position passes `frames`; returns the position.
  static std::uint64_t WaitForPosition(HSTREAM stream, std::uint64_t frames,
                                       std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (bass::StreamPosition(stream) < frames && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return bass::StreamPosition(stream);
  }
};

TEST_F(BassOutput, AStartedStreamPlaysInTheBackgroundUntilStopped) {
  const std::string path = bass_test::SineMp3(44100, 2, 3.0, 440.0, 1000.0);
  BASS_TEST_REQUIRE_MP3(path);
  ASSERT_TRUE(BASS_Init(kDefaultDevice, 44100, 0, nullptr, nullptr));
  const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_MP3_SETPOS);
  ASSERT_NE(stream, 0u);

  // Nothing is taken from a stream that was not started, however long the device runs.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(bass::StreamPosition(stream), 0u);

  ASSERT_TRUE(BASS_Start());
  ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
  // No further calls: the audio thread keeps taking samples (a tenth of a second here).
  EXPECT_GE(WaitForPosition(stream, 4410, std::chrono::seconds(2)), 4410u);

  ASSERT_TRUE(BASS_Stop());
  const std::uint64_t stoppedAt = bass::StreamPosition(stream);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_EQ(bass::StreamPosition(stream), stoppedAt);
  EXPECT_LT(stoppedAt, 3u * 44100u);

  EXPECT_TRUE(BASS_Free());
  EXPECT_FALSE(BASS_Free());
}

TEST_F(BassOutput, WithoutAnAudioDeviceTheDefaultDeviceIsSilent) {
  const std::string path = bass_test::SineMp3(44100, 2, 1.0, 440.0, 1000.0);
  BASS_TEST_REQUIRE_MP3(path);
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  testing::internal::CaptureStderr();
  const BOOL initialised = BASS_Init(kDefaultDevice, 44100, 0, nullptr, nullptr);
  const std::string said = testing::internal::GetCapturedStderr();
  ASSERT_TRUE(initialised);
  EXPECT_NE(said.find("no audio output"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;

  // The silent device: the stream exists and plays only when pulled.
  const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
  ASSERT_NE(stream, 0u);
  ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(bass::StreamPosition(stream), 0u);
  std::vector<std::int16_t> out(2 * 512);
  EXPECT_EQ(bass::ReadDecodedSamples(out.data(), 512), 512u);
  EXPECT_EQ(bass::StreamPosition(stream), 512u);
}

}  // namespace
