// The default device on SDL's dummy audio driver, which consumes samples in real time like a
// sound card without one being there.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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

// SDL's disk driver writes what the device would have played into a file: the samples must
// arrive there as decoded, channels in order, at the rate asked for.
TEST_F(BassOutput, TheDeviceReceivesTheDecodedSound) {
  const std::string path = bass_test::SineMp3(44100, 2, 1.0, 440.0, 1000.0);
  BASS_TEST_REQUIRE_MP3(path);
  const std::string played = bass_test::TempDir() + "/played.raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", played.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "5", 1);  // ms per buffer of 2048 frames: about 9 times real time
  ASSERT_TRUE(BASS_Init(kDefaultDevice, 44100, 0, nullptr, nullptr));
  const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
  ASSERT_NE(stream, 0u);
  ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
  ASSERT_EQ(WaitForPosition(stream, 44100, std::chrono::seconds(5)), 44100u);
  ASSERT_TRUE(BASS_Free());
  unsetenv("SDL_DISKAUDIOFILE");
  unsetenv("SDL_DISKAUDIODELAY");

  std::ifstream in(played, std::ios::binary);
  std::vector<std::int16_t> pcm;
  std::int16_t sample = 0;
  while (in.read(reinterpret_cast<char*>(&sample), sizeof sample)) pcm.push_back(sample);
  // The file holds the silence the device played before the stream started, the stream, and
  // silence again after its end.
  std::size_t start = 0;
  while (start < pcm.size() && pcm[start] == 0) ++start;
  start -= start % 2;
  ASSERT_GE(pcm.size() - start, 2u * 44000u) << "leading silence: " << start / 2 << " frames";
  pcm.erase(pcm.begin(), pcm.begin() + static_cast<std::ptrdiff_t>(start));
  pcm.resize(2 * 44100);
  EXPECT_NEAR(bass_test::ZeroCrossings(pcm, 0), 880, 4);
  EXPECT_NEAR(bass_test::ZeroCrossings(pcm, 1), 2000, 4);
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

TEST_F(BassOutput, AnAlsaWithoutItsDeviceAddsNothingToOurOneLine) {
  // ALSA configured with a default device on a card that does not exist: ALSA's own error lines
  // would come before ours.
  const auto conf = std::filesystem::temp_directory_path() / "vornhold-no-card-alsa.conf";
  std::ofstream(conf) << "pcm.!default {\n  type hw\n  card \"nosuchcard\"\n}\n";
  setenv("ALSA_CONFIG_PATH", conf.c_str(), 1);
  setenv("SDL_AUDIODRIVER", "alsa", 1);
  testing::internal::CaptureStderr();
  const BOOL initialised = BASS_Init(kDefaultDevice, 44100, 0, nullptr, nullptr);
  const std::string said = testing::internal::GetCapturedStderr();
  unsetenv("ALSA_CONFIG_PATH");
  std::filesystem::remove(conf);
  ASSERT_TRUE(initialised);
  EXPECT_EQ(said.find("ALSA lib"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

}  // namespace
