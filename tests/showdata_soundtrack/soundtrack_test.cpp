// The soundtrack: its tempo map against the show's timeline, the rendered levels, and the MP3 as
// the show's own player decodes it (format, length, time zero, accents). The whole piece is
// rendered, encoded and decoded once, in one test (each test runs in a process of its own), and
// that test checks it in steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/bass/mp3_decoder.h"
#include "tools/showdata/soundtrack/score.h"
#include "tools/showdata/soundtrack/synth.h"

namespace st = showdata::soundtrack;

namespace {

constexpr int kRate = 44100;

std::size_t FrameAtMs(double ms) { return static_cast<std::size_t>(std::llround(ms * kRate / 1000.0)); }

// Decodes MP3 bytes through the show's own decoder (libmpg123 with gapless playback).
std::vector<float> Decode(const std::vector<std::uint8_t>& mp3) {
  char path[] = "/tmp/soundtrack_testXXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return {};
  const bool written = write(fd, mp3.data(), mp3.size()) == static_cast<ssize_t>(mp3.size());
  close(fd);
  std::vector<float> out;
  bass::Mp3Decoder decoder;
  if (written && decoder.Open(path, kRate) == bass::Mp3Decoder::OpenResult::kOk) {
    std::vector<std::int16_t> chunk(2 * 8192);
    while (std::size_t got = decoder.Read(chunk.data(), 8192))
      for (std::size_t i = 0; i < 2 * got; ++i) out.push_back(chunk[i] / 32768.0f);
  }
  unlink(path);
  return out;
}

struct Piece {
  std::vector<float> pcm;
  std::vector<std::uint8_t> mp3;
  std::string error;
  std::vector<float> decoded;
};

double Energy(const std::vector<float>& pcm, std::size_t from, std::size_t to) {
  double sum = 0;
  for (std::size_t f = from; f < to && 2 * f + 1 < pcm.size(); ++f)
    sum += pcm[2 * f] * pcm[2 * f] + pcm[2 * f + 1] * pcm[2 * f + 1];
  return sum;
}

}  // namespace

TEST(SoundtrackTempoMap, SectionsStartWithTheShowsPartsAndTunnelBeats) {
  const std::vector<st::Section>& map = st::TempoMap();
  auto startsAt = [&map](double ms) {
    return std::any_of(map.begin(), map.end(), [ms](const st::Section& s) { return s.startMs == ms; });
  };
  for (double part : {0.0, 18041.0, 36083.0, 45162.0, 50793.0, 54172.0, 72190.0, 107010.0, 126223.0,
                      136382.0})
    EXPECT_TRUE(startsAt(part)) << part;
  for (std::size_t i = 0; i + 1 < map.size(); ++i) {
    const double beatMs = (map[i + 1].startMs - map[i].startMs) / map[i].beats;
    EXPECT_GT(beatMs, 540.0) << map[i].name;  // about 106 beats a minute, slower at the end
    EXPECT_LT(beatMs, 700.0) << map[i].name;
  }
  // The tunnel's seven beat cues fall on its bar lines, one bar per cue.
  const std::vector<double> accents = st::AccentTimesMs();
  for (double cue : {55286.0, 57539.0, 59791.0, 62043.0, 64296.0, 66548.0, 68800.0})
    EXPECT_TRUE(std::any_of(accents.begin(), accents.end(),
                            [cue](double a) { return std::abs(a - cue) <= 1.0; }))
        << cue;
  // The finale runs on well past its start, for at least another minute of music.
  EXPECT_GE(map.back().startMs, 136382.0 + 60000.0);
  EXPECT_EQ(st::TotalFrames(), FrameAtMs(map.back().startMs + st::kTailSeconds * 1000.0));
}

TEST(SoundtrackRender, WindowsAreDeterministicAndMatchALongerWindow) {
  const std::size_t first = FrameAtMs(55000.0), count = kRate / 2;
  const std::vector<float> a = st::Render(first, count);
  const std::vector<float> b = st::Render(first, count);
  ASSERT_EQ(a.size(), 2 * count);
  EXPECT_EQ(a, b);
  // Against a window that starts two seconds earlier: the same notes at the same frames; only
  // echoes from more than three seconds back may differ.
  const std::size_t earlier = 2 * kRate;
  const std::vector<float> longer = st::Render(first - earlier, count + earlier);
  double worst = 0;
  for (std::size_t i = 0; i < a.size(); ++i)
    worst = std::max(worst, std::abs(double(a[i]) - longer[2 * earlier + i]));
  EXPECT_LT(worst, 0.01);
  EXPECT_GT(Energy(a, 0, count), 1.0);  // not a window of silence
  // Past the end there is only silence.
  const std::vector<float> after = st::Render(st::TotalFrames() + 10, 100);
  EXPECT_TRUE(std::all_of(after.begin(), after.end(), [](float v) { return v == 0.0f; }));
}

namespace {

// Levels stay below -1 dBFS, without offset, every section is heard, and the end is silent.
void CheckLevels(const Piece& piece) {
  const std::vector<float>& pcm = piece.pcm;
  ASSERT_EQ(pcm.size(), 2 * st::TotalFrames());
  const float ceiling = std::pow(10.0f, -1.0f / 20.0f);  // -1 dBFS
  const std::vector<st::Section>& map = st::TempoMap();
  for (std::size_t i = 0; i + 1 < map.size(); ++i) {
    const std::size_t from = FrameAtMs(map[i].startMs), to = FrameAtMs(map[i + 1].startMs);
    float peak = 0;
    double dcL = 0, dcR = 0;
    for (std::size_t f = from; f < to; ++f) {
      ASSERT_TRUE(std::isfinite(pcm[2 * f]) && std::isfinite(pcm[2 * f + 1]));
      peak = std::max({peak, std::abs(pcm[2 * f]), std::abs(pcm[2 * f + 1])});
      dcL += pcm[2 * f];
      dcR += pcm[2 * f + 1];
    }
    const double n = static_cast<double>(to - from);
    EXPECT_LT(peak, ceiling) << map[i].name;
    EXPECT_LT(std::abs(dcL / n), 0.002) << map[i].name;
    EXPECT_LT(std::abs(dcR / n), 0.002) << map[i].name;
    // Every section is heard: RMS above -30 dBFS.
    EXPECT_GT(Energy(pcm, from, to) / (2 * n), std::pow(10.0, -3.0)) << map[i].name;
    // No click where the section hands over: in the last 5 ms before the next section the
    // highest frequencies (second difference) carry no more energy than in the 100 ms before.
    const std::size_t edge = kRate / 200, ref = kRate / 10;
    double edgeHf = 0, refHf = 0;
    for (std::size_t f = to - edge - ref; f < to; ++f) {
      const double d2 = pcm[2 * f] - 2 * pcm[2 * f - 2] + pcm[2 * f - 4] + pcm[2 * f + 1] -
                        2 * pcm[2 * f - 1] + pcm[2 * f - 3];
      (f + edge >= to ? edgeHf : refHf) += d2 * d2;
    }
    EXPECT_LT((edgeHf / edge) / (refHf / ref), 3.0) << map[i].name;
  }
  // The reverb tail dies away before the file ends: the last 100 ms lie below -60 dBFS.
  const std::size_t total = st::TotalFrames();
  for (std::size_t f = total - kRate / 10; f < total; ++f) {
    ASSERT_LT(std::abs(pcm[2 * f]), 0.001f) << f;
    ASSERT_LT(std::abs(pcm[2 * f + 1]), 0.001f) << f;
  }
}

// Every frame is MPEG-1 layer III at 44100 Hz, 192 kbit/s, joint stereo; the info tag is there.
void CheckMp3Frames(const Piece& piece) {
  const std::vector<std::uint8_t>& mp3 = piece.mp3;
  std::size_t at = 0, frames = 0;
  while (at + 4 <= mp3.size()) {
    // Sync, MPEG-1, layer III; bit-rate index 11 (192 kbit/s), rate index 0 (44100 Hz),
    // channel mode 1 (joint stereo).
    ASSERT_EQ(mp3[at], 0xFF) << at;
    ASSERT_EQ(mp3[at + 1] & 0xFE, 0xFA) << at;
    ASSERT_EQ(mp3[at + 2] >> 4, 11) << at;
    ASSERT_EQ((mp3[at + 2] >> 2) & 3, 0) << at;
    ASSERT_EQ(mp3[at + 3] >> 6, 1) << at;
    const std::size_t padding = (mp3[at + 2] >> 1) & 1;
    at += 144 * 192000 / kRate + padding;
    ++frames;
  }
  EXPECT_EQ(at, mp3.size());  // no trailing tag or garbage
  // The first frame holds the info tag with the encoder delay and padding.
  const std::string head(mp3.begin(), mp3.begin() + 200);
  EXPECT_NE(head.find("Info"), std::string::npos);
  EXPECT_NE(head.find("LAME"), std::string::npos);
  EXPECT_GE(frames * 1152, st::TotalFrames());
}

// Decoded, the piece has exactly the rendered length, with time zero in place.
void CheckDecodedTiming(const Piece& piece) {
  // Gapless decoding drops the encoder delay and padding: frame for frame the rendered piece.
  ASSERT_EQ(piece.decoded.size(), piece.pcm.size());
  // The encoder's overshoot stays inside 16 bits: no sample decodes to full scale.
  float peak = 0;
  for (float v : piece.decoded) peak = std::max(peak, std::abs(v));
  EXPECT_LT(peak, 32767.0f / 32768.0f);
  // The decoded sound lines up with the rendered one: the best match lies at no offset (within
  // 2 ms), around several accents across the piece.
  for (double ms : {18041.0, 55286.0, 72190.0, 136382.0, 160000.0}) {
    const std::size_t from = FrameAtMs(ms) - 400, length = 4410;
    int bestLag = 0;
    double best = -1e30;
    for (int lag = -300; lag <= 300; ++lag) {
      double sum = 0;
      for (std::size_t f = from; f < from + length; ++f) {
        const double d = piece.decoded[2 * (f + lag)] + piece.decoded[2 * (f + lag) + 1];
        sum += d * (piece.pcm[2 * f] + piece.pcm[2 * f + 1]);
      }
      if (sum > best) best = sum, bestLag = lag;
    }
    EXPECT_LE(std::abs(bestLag), 88) << "at " << ms << " ms";
  }
}

// Every accent is heard at its time: much more energy just after it than just before.
void CheckAccents(const Piece& piece) {
  const std::size_t window = FrameAtMs(40.0);
  for (double ms : st::AccentTimesMs()) {
    if (ms == 0.0) continue;
    const std::size_t at = FrameAtMs(ms);
    const double before = Energy(piece.decoded, at - window, at);
    const double after = Energy(piece.decoded, at, at + window);
    EXPECT_GT(after, 2.0 * before) << "accent at " << ms << " ms";
  }
}

}  // namespace

TEST(SoundtrackWholePiece, RendersEncodesAndDecodesIntoTheShowsTimeline) {
  Piece piece;
  piece.pcm = st::Render(0, st::TotalFrames());
  piece.mp3 = st::EncodeMp3(piece.pcm, &piece.error);
  ASSERT_FALSE(piece.mp3.empty()) << piece.error;
  piece.decoded = Decode(piece.mp3);
  {
    SCOPED_TRACE("levels");
    CheckLevels(piece);
  }
  {
    SCOPED_TRACE("MP3 frames");
    CheckMp3Frames(piece);
  }
  {
    SCOPED_TRACE("decoded timing");
    CheckDecodedTiming(piece);
  }
  {
    SCOPED_TRACE("accents");
    CheckAccents(piece);
  }
}

TEST(SoundtrackMp3, AClickIsDecodedAtTheTimeItWasEncoded) {
  // A single transient in half a second of silence, through the same encoder settings.
  std::vector<float> pcm(2 * kRate / 2, 0.0f);
  const std::size_t clickFrame = FrameAtMs(250.0);
  for (int i = 0; i < 8; ++i) pcm[2 * (clickFrame + i)] = pcm[2 * (clickFrame + i) + 1] = 0.8f;
  std::string error;
  const std::vector<std::uint8_t> mp3 = st::EncodeMp3(pcm, &error);
  ASSERT_FALSE(mp3.empty()) << error;
  EXPECT_EQ(st::EncodeMp3(pcm, &error), mp3);  // the encoder is deterministic too
  const std::vector<float> decoded = Decode(mp3);
  ASSERT_EQ(decoded.size(), pcm.size());
  std::size_t loudest = 0;
  for (std::size_t f = 0; f < decoded.size() / 2; ++f)
    if (std::abs(decoded[2 * f]) > std::abs(decoded[2 * loudest])) loudest = f;
  EXPECT_LE(std::abs(static_cast<long>(loudest) - static_cast<long>(clickFrame + 4)), 88);
}

TEST(SoundtrackMp3, RejectsPcmThatIsNotWholeStereoFrames) {
  std::string error;
  EXPECT_TRUE(st::EncodeMp3(std::vector<float>(3, 0.0f), &error).empty());
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(error.find('\n'), std::string::npos);
}
