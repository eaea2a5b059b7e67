// The soundtrack's instruments and mix: pitch, placement to the frame, panning, note ends, and
// the master stage's limits. Each case renders a few notes alone into a short window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/showdata/soundtrack/synth.h"

namespace st = showdata::soundtrack;

namespace {

constexpr int kRate = st::kRate;
constexpr st::Sends kDry = {0.0f, 0.0f};

// Frequency from the autocorrelation peak near the expected period (parabolic refinement).
double MeasuredHz(const std::vector<float>& stereo, std::size_t from, std::size_t frames,
                  double expectedHz) {
  std::vector<double> mono(frames);
  for (std::size_t i = 0; i < frames; ++i) mono[i] = stereo[2 * (from + i)] + stereo[2 * (from + i) + 1];
  const double period = kRate / expectedHz;
  auto corr = [&mono](std::size_t lag) {
    double sum = 0;
    for (std::size_t i = 0; i + lag < mono.size(); ++i) sum += mono[i] * mono[i + lag];
    return sum / static_cast<double>(mono.size() - lag);
  };
  std::size_t best = 0;
  double bestValue = -1e30;
  for (std::size_t lag = static_cast<std::size_t>(period * 0.85); lag <= period * 1.15; ++lag) {
    const double v = corr(lag);
    if (v > bestValue) bestValue = v, best = lag;
  }
  const double a = corr(best - 1), b = bestValue, c = corr(best + 1);
  const double shift = 0.5 * (a - c) / (a - 2 * b + c);
  return kRate / (static_cast<double>(best) + shift);
}

}  // namespace

TEST(SoundtrackSynth, VoicesSoundAtTheirNotesPitch) {
  st::Mix mix(0, kRate, 0);
  st::Voice sine;
  sine.wave = st::Wave::kSine;
  sine.sustain = 1.0f;
  sine.cutoff = 8000.0f;
  st::Synth(mix, 0.0, 0.9, 69, sine, 0.3f, 0.0f, kDry);
  const std::vector<float> out = mix.Finish();
  EXPECT_NEAR(MeasuredHz(out, 2000, 20000, 440.0), 440.0, 0.5);

  // The plucked string's loop (delay line and loss filter) must add up to the note's period.
  for (int note : {45, 60, 76, 88}) {
    st::Mix pluckMix(0, kRate / 2, 0);
    st::Pluck(pluckMix, 0.0, note, 0.5f, 0.0f, 0.8f, kDry);
    const std::vector<float> p = pluckMix.Finish();
    const double want = st::NoteHz(note);
    EXPECT_NEAR(MeasuredHz(p, 1000, 8000, want) / want, 1.0, 0.003) << "note " << note;
  }
  st::Mix bellMix(0, kRate / 2, 0);
  st::Bell(bellMix, 0.0, 57, 0.5f, 0.0f, 1.0f, 0.5f, 1.0f, kDry);
  EXPECT_NEAR(MeasuredHz(bellMix.Finish(), 1000, 8000, 220.0), 220.0, 0.5);
}

TEST(SoundtrackSynth, HitsStartOnTheirFrameAndNotesEndInSilence) {
  // A kick at 0.1 s: silence up to its frame, sound from there on.
  const double time = 0.1;
  const std::size_t frame = static_cast<std::size_t>(std::llround(time * kRate));
  st::Mix mix(0, kRate / 2, 0);
  st::Kick(mix, time, 0.8f);
  const std::vector<float> out = mix.Finish();
  for (std::size_t f = 0; f < frame; ++f) ASSERT_EQ(out[2 * f], 0.0f) << f;
  float early = 0;
  for (std::size_t f = frame; f < frame + 40; ++f) early = std::max(early, std::abs(out[2 * f]));
  EXPECT_GT(early, 0.05f);

  // A held saw note and its release: nothing left after the release, and the last frames of
  // the release fade smoothly (no step of more than a small amount between frames).
  st::Mix held(0, kRate, 0);
  st::Voice saw;
  saw.release = 0.1f;
  st::Synth(held, 0.0, 0.3, 57, saw, 0.5f, 0.0f, kDry);
  const std::vector<float> h = held.Finish();
  const std::size_t end = static_cast<std::size_t>(0.4 * kRate) + 2;
  for (std::size_t f = end; f < h.size() / 2; ++f) ASSERT_LT(std::abs(h[2 * f]), 1e-3f) << f;
  float maxStep = 0;
  for (std::size_t f = end - 300; f < end; ++f)
    maxStep = std::max(maxStep, std::abs(h[2 * f] - h[2 * f - 2]));
  EXPECT_LT(maxStep, 0.02f);
}

TEST(SoundtrackSynth, PanKeepsPowerAndPlacesTheNote) {
  auto sides = [](float pan) {
    st::Mix mix(0, kRate / 4, 0);
    // Quiet enough for the limiter to stay linear.
    st::Bell(mix, 0.0, 69, 0.05f, pan, 1.0f, 0.0f, 1.0f, kDry);
    const std::vector<float> out = mix.Finish();
    double l = 0, r = 0;
    for (std::size_t f = 0; f < out.size() / 2; ++f) {
      l += out[2 * f] * out[2 * f];
      r += out[2 * f + 1] * out[2 * f + 1];
    }
    return std::pair(l, r);
  };
  const auto [leftL, leftR] = sides(-1.0f);
  const auto [midL, midR] = sides(0.0f);
  const auto [rightL, rightR] = sides(1.0f);
  EXPECT_LT(leftR, leftL * 1e-6);
  EXPECT_LT(rightL, rightR * 1e-6);
  EXPECT_NEAR(midL, midR, midL * 1e-6);
  EXPECT_NEAR(leftL, midL + midR, leftL * 0.005);  // the same power wherever it stands
}

TEST(SoundtrackSynth, MasterStaysBelowTheCeilingAndRemovesOffset) {
  // Far too many loud notes at once: the limiter holds the peaks below -1 dBFS.
  st::Mix loud(0, kRate / 2, 0);
  for (int i = 0; i < 12; ++i) {
    st::Kick(loud, 0.01 * i, 1.0f);
    st::Synth(loud, 0.0, 0.4, 33 + i, st::Voice{}, 1.0f, 0.0f, {0.5f, 0.5f});
  }
  const std::vector<float> l = loud.Finish();
  float peak = 0;
  for (float v : l) peak = std::max(peak, std::abs(v));
  EXPECT_LT(peak, std::pow(10.0f, -1.0f / 20.0f));
  EXPECT_GT(peak, 0.5f);  // and it was really driven hard

  // A constant offset fed in dies away.
  st::Mix offset(0, 2 * kRate, 0);
  std::vector<float> flat(2 * kRate, 0.3f);
  offset.Place(0, flat, 1.0f, 0.0f, kDry);
  const std::vector<float> o = offset.Finish();
  const std::size_t at = static_cast<std::size_t>(1.9 * kRate);
  EXPECT_LT(std::abs(o[2 * at]), 0.01f);
}
