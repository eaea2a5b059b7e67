// Sections: [helpers] noise, filter, envelope; [mix] placing notes, effects, master;
// [instruments] one function each.
#include "tools/showdata/soundtrack/synth.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace showdata::soundtrack {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;
constexpr int kEndFade = 256;   // frames of the fade to zero at every note's end
constexpr int kStartFade = 16;  // frames of the fade-in at every note's start

// ---- [helpers] ----

// sin(2 pi x) from a table with linear interpolation (error below 1e-6); x in cycles, any sign.
class SineTable {
 public:
  SineTable() {
    for (int i = 0; i <= kSize; ++i) table_[static_cast<std::size_t>(i)] = std::sin(kTwoPi * i / kSize);
  }
  double operator()(double x) const {
    std::int64_t whole = static_cast<std::int64_t>(x);  // floor without a library call
    if (x < static_cast<double>(whole)) --whole;
    x -= static_cast<double>(whole);
    const double at = x * kSize;
    const int i = static_cast<int>(at);
    const double frac = at - i;
    return table_[static_cast<std::size_t>(i)] +
           frac * (table_[static_cast<std::size_t>(i) + 1] - table_[static_cast<std::size_t>(i)]);
  }

 private:
  static constexpr int kSize = 8192;
  std::array<double, kSize + 1> table_;
};

double Sin(double cycles) {
  static const SineTable table;
  return table(cycles);
}

// exp(-t / tau) sampled once per frame by repeated multiplication.
struct Decay {
  Decay(double tau, double start = 1.0) : value(start), factor(std::exp(-1.0 / (tau * kRate))) {}
  double Next() {
    const double v = value;
    value *= factor;
    return v;
  }
  double value, factor;
};

// Deterministic white noise in [-1, 1): a 64-bit mix of a seed and a counter.
class Noise {
 public:
  explicit Noise(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
  float Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<float>(static_cast<double>(z >> 11) * (2.0 / 9007199254740992.0) - 1.0);
  }

 private:
  std::uint64_t state_;
};

// State-variable filter (trapezoidal integration): stable while its cutoff moves.
class Svf {
 public:
  void Set(double cutoff, double resonance) {
    cutoff = std::clamp(cutoff, 20.0, kRate * 0.45);
    const double g = std::tan(kPi * cutoff / kRate);
    k_ = 2.0 - 2.0 * std::clamp(resonance, 0.0, 0.97);
    a1_ = 1.0 / (1.0 + g * (g + k_));
    a2_ = g * a1_;
    a3_ = g * a2_;
  }
  // Runs one sample; low, band and high outputs are kept.
  void Run(double x) {
    const double v3 = x - ic2_;
    const double v1 = a1_ * ic1_ + a2_ * v3;
    const double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2.0 * v1 - ic1_;
    ic2_ = 2.0 * v2 - ic2_;
    low = v2;
    band = v1;
    high = x - k_ * v1 - v2;
  }
  double low = 0, band = 0, high = 0;

 private:
  double k_ = 2, a1_ = 0, a2_ = 0, a3_ = 0, ic1_ = 0, ic2_ = 0;
};

std::int64_t FrameOf(double time) { return static_cast<std::int64_t>(std::llround(time * kRate)); }
std::int64_t Frames(double seconds) { return static_cast<std::int64_t>(std::ceil(seconds * kRate)); }

// Correction of a naive saw/square edge (band-limits the step; t in [0, 1), dt = phase step).
double PolyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

struct Osc {
  double phase = 0;
  double Next(Wave wave, double dt) {
    double v = 0;
    switch (wave) {
      case Wave::kSaw:
        v = 2.0 * phase - 1.0 - PolyBlep(phase, dt);
        break;
      case Wave::kSquare: {
        v = phase < 0.5 ? 1.0 : -1.0;
        v += PolyBlep(phase, dt);
        double t2 = phase + 0.5;
        if (t2 >= 1.0) t2 -= 1.0;
        v -= PolyBlep(t2, dt);
        break;
      }
      case Wave::kTriangle:
        v = phase < 0.5 ? 4.0 * phase - 1.0 : 3.0 - 4.0 * phase;
        break;
      case Wave::kSine:
        v = Sin(phase);
        break;
    }
    phase += dt;
    if (phase >= 1.0) phase -= 1.0;
    return v;
  }
};

// Attack, exponential decay to sustain, hold until `length`, then a squared fall to zero over
// `release`. Next() gives one frame after the other.
class Adsr {
 public:
  Adsr(double attack, double decay, double sustain, double length, double release)
      : attackFrames_(std::max(1.0, attack * kRate)), sustain_(sustain),
        lengthFrames_(length * kRate), releaseFrames_(std::max(1.0, release * kRate)),
        decay_(std::max(decay, 1e-4)) {}
  double Next() {
    const double i = static_cast<double>(frame_++);
    if (i < lengthFrames_) {
      held_ = i < attackFrames_ ? i / attackFrames_ : sustain_ + (1.0 - sustain_) * decay_.Next();
      return held_;
    }
    const double u = std::min(1.0, (i - lengthFrames_) / releaseFrames_);
    return held_ * (1.0 - u) * (1.0 - u);
  }

 private:
  double attackFrames_, sustain_, lengthFrames_, releaseFrames_;
  Decay decay_;
  double held_ = 0;
  std::int64_t frame_ = 0;
};

std::uint64_t Seed(std::int64_t frame, std::uint64_t salt) {
  return static_cast<std::uint64_t>(frame) * 0x100000001B3ull ^ (salt * 0xC2B2AE3D27D4EB4Full);
}

void FadeEnds(std::vector<float>& buffer, bool fullLength) {
  const std::size_t n = buffer.size();
  for (std::size_t i = 0; i < std::min<std::size_t>(kStartFade, n); ++i)
    buffer[i] *= static_cast<float>(i) / kStartFade;
  if (!fullLength) return;  // cut at the window's end: the rest is never heard here
  const std::size_t fade = std::min<std::size_t>(kEndFade, n);
  for (std::size_t i = 0; i < fade; ++i)
    buffer[n - 1 - i] *= static_cast<float>(i) / static_cast<float>(fade);
}

// ---- [mix] ----

// Freeverb-style hall: eight damped combs and four all-passes per side.
class Reverb {
 public:
  Reverb() {
    static constexpr std::array<int, 8> kCombs = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static constexpr std::array<int, 4> kPasses = {556, 441, 341, 225};
    for (int side = 0; side < 2; ++side) {
      for (int i = 0; i < 8; ++i) combs_[side][i].buffer.assign(kCombs[i] + side * 23, 0.0f);
      for (int i = 0; i < 4; ++i) passes_[side][i].buffer.assign(kPasses[i] + side * 23, 0.0f);
    }
  }
  void Run(float in, float* left, float* right) {
    float out[2];
    for (int side = 0; side < 2; ++side) {
      float sum = 0;
      for (Comb& c : combs_[side]) {
        const float y = c.buffer[c.index];
        c.store = y * (1.0f - kDamp) + c.store * kDamp;
        c.buffer[c.index] = in + c.store * kFeedback;
        if (++c.index == c.buffer.size()) c.index = 0;
        sum += y;
      }
      for (Pass& p : passes_[side]) {
        const float b = p.buffer[p.index];
        p.buffer[p.index] = sum + b * 0.5f;
        sum = b - sum;
        if (++p.index == p.buffer.size()) p.index = 0;
      }
      out[side] = sum;
    }
    *left = out[0];
    *right = out[1];
  }

 private:
  static constexpr float kFeedback = 0.86f;
  static constexpr float kDamp = 0.3f;
  struct Comb {
    std::vector<float> buffer;
    std::size_t index = 0;
    float store = 0;
  };
  struct Pass {
    std::vector<float> buffer;
    std::size_t index = 0;
  };
  std::array<std::array<Comb, 8>, 2> combs_;
  std::array<std::array<Pass, 4>, 2> passes_;
};

}  // namespace

double NoteHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

Mix::Mix(std::int64_t first, std::int64_t count, std::int64_t warmup)
    : first_(first), count_(count), begin_(std::max<std::int64_t>(0, first - warmup)),
      end_(first + count) {
  const std::size_t n = static_cast<std::size_t>(end_ - begin_);
  dryL_.assign(n, 0.0f);
  dryR_.assign(n, 0.0f);
  reverb_.assign(n, 0.0f);
  delayL_.assign(n, 0.0f);
  delayR_.assign(n, 0.0f);
}

std::int64_t Mix::Needed(std::int64_t start_frame, std::int64_t length) const {
  return std::max<std::int64_t>(0, std::min(length, end_ - start_frame));
}

void Mix::Place(std::int64_t start_frame, std::vector<float>& mono, float gain, float pan,
                Sends sends) {
  // Constant power; both sides at 1 in the centre.
  const double angle = (std::clamp(pan, -1.0f, 1.0f) + 1.0) * kPi / 4.0;
  const float gl = static_cast<float>(std::cos(angle) * std::sqrt(2.0));
  const float gr = static_cast<float>(std::sin(angle) * std::sqrt(2.0));
  std::vector<float> right = mono;
  for (float& v : mono) v *= gl;
  for (float& v : right) v *= gr;
  PlaceStereo(start_frame, mono, right, gain, sends);
}

void Mix::PlaceStereo(std::int64_t start_frame, std::vector<float>& left, std::vector<float>& right,
                      float gain, Sends sends) {
  const bool whole = start_frame + static_cast<std::int64_t>(left.size()) < end_;
  FadeEnds(left, whole);
  FadeEnds(right, whole);
  const std::int64_t from = std::max(begin_, start_frame);
  const std::int64_t to = std::min(end_, start_frame + static_cast<std::int64_t>(left.size()));
  for (std::int64_t f = from; f < to; ++f) {
    const std::size_t i = static_cast<std::size_t>(f - start_frame);
    const std::size_t o = static_cast<std::size_t>(f - begin_);
    const float l = left[i] * gain, r = right[i] * gain;
    dryL_[o] += l;
    dryR_[o] += r;
    reverb_[o] += (l + r) * 0.5f * sends.reverb;
    delayL_[o] += l * sends.delay;
    delayR_[o] += r * sends.delay;
  }
}

std::vector<float> Mix::Finish() {
  Reverb reverb;
  constexpr std::size_t kEcho = 18600;  // frames: about three eighths of a beat at 106 bpm
  std::vector<float> echoL(kEcho, 0.0f), echoR(kEcho, 0.0f);
  std::size_t echoIndex = 0;
  float echoDampL = 0, echoDampR = 0;
  double dcInL = 0, dcOutL = 0, dcInR = 0, dcOutR = 0;
  constexpr double kMaster = 0.9;
  constexpr double kCeiling = 0.86;  // the limiter's asymptote: -1.3 dBFS

  std::vector<float> out(static_cast<std::size_t>(count_) * 2);
  const std::size_t n = dryL_.size();
  for (std::size_t o = 0; o < n; ++o) {
    float rl, rr;
    reverb.Run(reverb_[o] * 0.05f, &rl, &rr);
    // Ping-pong: each side's echo feeds the other side, a little darker each time.
    const float el = echoL[echoIndex], er = echoR[echoIndex];
    echoDampL += 0.5f * (er - echoDampL);
    echoDampR += 0.5f * (el - echoDampR);
    echoL[echoIndex] = delayL_[o] + echoDampL * 0.45f;
    echoR[echoIndex] = delayR_[o] * 0.3f + echoDampR * 0.45f;
    if (++echoIndex == kEcho) echoIndex = 0;

    const double l = dryL_[o] + rl * 0.9 + el * 0.7;
    const double r = dryR_[o] + rr * 0.9 + er * 0.7;
    // DC blocker (about 3 Hz).
    dcOutL = l - dcInL + 0.9996 * dcOutL;
    dcInL = l;
    dcOutR = r - dcInR + 0.9996 * dcOutR;
    dcInR = r;
    const std::int64_t frame = begin_ + static_cast<std::int64_t>(o);
    if (frame < first_) continue;
    const std::size_t w = static_cast<std::size_t>(frame - first_) * 2;
    out[w] = static_cast<float>(kCeiling * std::tanh(dcOutL * kMaster / kCeiling));
    out[w + 1] = static_cast<float>(kCeiling * std::tanh(dcOutR * kMaster / kCeiling));
  }
  return out;
}

// ---- [instruments] ----

void Synth(Mix& mix, double time, double length, double note, const Voice& voice, float gain,
           float pan, Sends sends) {
  const std::int64_t start = FrameOf(time);
  const std::int64_t total = Frames(length + voice.release);
  if (!mix.Touches(start, total)) return;
  const std::int64_t n = mix.Needed(start, total);

  const double hz = NoteHz(note);
  const int sides = voice.stereo ? 2 : 1;
  const int unison = std::max(1, voice.unison);
  std::vector<float> out[2];
  for (int side = 0; side < sides; ++side) {
    out[side].assign(static_cast<std::size_t>(n), 0.0f);
    std::vector<Osc> oscs(static_cast<std::size_t>(unison));
    std::vector<double> steps(oscs.size());
    for (int u = 0; u < unison; ++u) {
      // Spread evenly over the detune width; the right side sits between the left's voices.
      double spread = unison == 1 ? 0.0 : (u / double(unison - 1) - 0.5);
      if (side == 1) spread = -spread * 0.8 + (unison == 1 ? 0.0 : 0.1);
      steps[u] = hz * std::pow(2.0, spread * voice.detune / 1200.0) / kRate;
      oscs[u].phase = std::fmod(0.37 * u + 0.21 * side, 1.0);
    }
    Osc subOsc;
    Svf filter;
    Adsr env(voice.attack, voice.decay, voice.sustain, length, voice.release);
    double vib = 0;
    for (std::int64_t i = 0; i < n; ++i) {
      const double t = static_cast<double>(i) / kRate;
      if ((i & 15) == 0) {
        double base = voice.cutoff;
        if (voice.cutoffEnd > 0)
          base += (voice.cutoffEnd - voice.cutoff) * std::min(1.0, t / std::max(length, 1e-3));
        filter.Set(base + voice.cutoffEnv * std::exp(-t / voice.cutoffDecay), voice.resonance);
        vib = voice.vibrato > 0 && t > 0.25
                  ? std::pow(2.0, voice.vibrato * Sin(5.2 * t) *
                                      std::min(1.0, (t - 0.25) * 2.0) / 12.0)
                  : 1.0;
      }
      double s = 0;
      for (int u = 0; u < unison; ++u) s += oscs[u].Next(voice.wave, steps[u] * vib);
      s /= std::sqrt(static_cast<double>(unison));
      if (voice.sub > 0) s += voice.sub * subOsc.Next(Wave::kSine, steps[0] * 0.5);
      filter.Run(s);
      out[side][static_cast<std::size_t>(i)] = static_cast<float>(filter.low * env.Next());
    }
  }
  if (sides == 2)
    mix.PlaceStereo(start, out[0], out[1], gain, sends);
  else
    mix.Place(start, out[0], gain, pan, sends);
}

void Kick(Mix& mix, double time, float gain, float decay, float tone) {
  const std::int64_t start = FrameOf(time);
  const std::int64_t total = Frames(decay * 5.0);
  if (!mix.Touches(start, total)) return;
  std::vector<float> out(static_cast<std::size_t>(mix.Needed(start, total)));
  double phase = 0;
  Noise noise(Seed(start, 1));
  Decay sweep(0.028), body(decay), snap(0.0025);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double hz = (44.0 + 120.0 * sweep.Next()) * tone;
    phase += hz / kRate;
    const double boom = Sin(phase) * body.Next();
    const double click = noise.Next() * snap.Next() * 0.35;
    out[i] = static_cast<float>(0.5 * (std::tanh(1.6 * boom) + click));
  }
  mix.Place(start, out, gain, 0.0f, {0.04f, 0.0f});
}

void Snare(Mix& mix, double time, float gain, float pan, Sends sends) {
  const std::int64_t start = FrameOf(time);
  const std::int64_t total = Frames(0.4);
  if (!mix.Touches(start, total)) return;
  std::vector<float> out(static_cast<std::size_t>(mix.Needed(start, total)));
  Noise noise(Seed(start, 2));
  Svf band;
  band.Set(3200.0, 0.3);
  double phase = 0;
  Decay sweep(0.01), toneEnv(0.045), noiseEnv(0.09);
  for (std::size_t i = 0; i < out.size(); ++i) {
    phase += (180.0 + 60.0 * sweep.Next()) / kRate;
    const double tone = Sin(phase) * toneEnv.Next();
    band.Run(noise.Next());
    const double snap = (band.band * 1.4 + band.high * 0.5) * noiseEnv.Next();
    out[i] = static_cast<float>(0.6 * tone + snap);
  }
  mix.Place(start, out, gain, pan, sends);
}

void Hat(Mix& mix, double time, float gain, bool open, float pan) {
  const std::int64_t start = FrameOf(time);
  const double decay = open ? 0.16 : 0.028;
  const std::int64_t total = Frames(decay * 6.0);
  if (!mix.Touches(start, total)) return;
  std::vector<float> out(static_cast<std::size_t>(mix.Needed(start, total)));
  Noise noise(Seed(start, 3));
  Svf filter;
  filter.Set(8500.0, 0.35);
  Decay env(decay);
  for (std::size_t i = 0; i < out.size(); ++i) {
    filter.Run(noise.Next());
    out[i] = static_cast<float>((filter.high + 0.6 * filter.band) * env.Next());
  }
  mix.Place(start, out, gain, pan, {0.1f, 0.0f});
}

void Crash(Mix& mix, double time, float gain, float length) {
  const std::int64_t start = FrameOf(time);
  const std::int64_t total = Frames(length);
  if (!mix.Touches(start, total)) return;
  const std::size_t n = static_cast<std::size_t>(mix.Needed(start, total));
  std::vector<float> side[2];
  for (int s = 0; s < 2; ++s) {
    side[s].assign(n, 0.0f);
    Noise noise(Seed(start, 4 + s));
    Svf filter;
    filter.Set(5200.0 + 900.0 * s, 0.5);
    Decay ring(length * 0.3), hit(0.05);
    for (std::size_t i = 0; i < n; ++i) {
      filter.Run(noise.Next());
      const double env = ring.Next() * (0.6 + 0.4 * hit.Next());
      side[s][i] = static_cast<float>((filter.high * 0.7 + filter.band * 0.6) * env);
    }
  }
  mix.PlaceStereo(start, side[0], side[1], gain, {0.25f, 0.0f});
}

void Tom(Mix& mix, double time, double note, float gain, float pan) {
  const std::int64_t start = FrameOf(time);
  const std::int64_t total = Frames(0.6);
  if (!mix.Touches(start, total)) return;
  std::vector<float> out(static_cast<std::size_t>(mix.Needed(start, total)));
  const double hz = NoteHz(note);
  double phase = 0;
  Decay sweep(0.02), env(0.16);
  for (std::size_t i = 0; i < out.size(); ++i) {
    phase += hz * (1.0 + 0.6 * sweep.Next()) / kRate;
    out[i] = static_cast<float>(Sin(phase) * env.Next());
  }
  mix.Place(start, out, gain, pan, {0.3f, 0.0f});
}

void Rim(Mix& mix, double time, float gain, float pan) {
  const std::int64_t start = FrameOf(time);
  const std::int64_t total = Frames(0.08);
  if (!mix.Touches(start, total)) return;
  std::vector<float> out(static_cast<std::size_t>(mix.Needed(start, total)));
  Svf filter;
  filter.Set(1700.0, 0.9);
  Decay env(0.018);
  for (std::size_t i = 0; i < out.size(); ++i) {
    filter.Run(i < 30 ? 1.0 - i / 15.0 : 0.0);
    out[i] = static_cast<float>(filter.band * 4.0 * env.Next());
  }
  mix.Place(start, out, gain, pan, {0.35f, 0.2f});
}

void Pluck(Mix& mix, double time, double note, float gain, float pan, float brightness,
           Sends sends) {
  const std::int64_t start = FrameOf(time);
  const std::int64_t total = Frames(1.6);
  if (!mix.Touches(start, total)) return;
  std::vector<float> out(static_cast<std::size_t>(mix.Needed(start, total)));
  // The loss filter (average of two neighbours) delays by half a frame: the line is that much
  // shorter, so that the loop as a whole lasts one period of the note.
  const double period = kRate / NoteHz(note) - 0.5;
  const std::size_t size = static_cast<std::size_t>(period) + 2;
  std::vector<double> line(size, 0.0);
  Noise noise(Seed(start, 6));
  // Excitation: a burst of noise, darker for a low brightness.
  double smooth = 0;
  for (std::size_t i = 0; i < size; ++i) {
    smooth += (0.15 + 0.85 * brightness) * (noise.Next() - smooth);
    line[i] = smooth;
  }
  const double frac = period - std::floor(period);
  const std::size_t whole = static_cast<std::size_t>(period);
  std::size_t write = 0;
  double last = 0;
  const double damping = 0.992 + 0.006 * brightness;
  for (std::size_t i = 0; i < out.size(); ++i) {
    // Read `period` samples back with linear interpolation, then average (the string's loss).
    const std::size_t r0 = (write + size - whole) % size;
    const std::size_t r1 = (r0 + size - 1) % size;
    const double delayed = line[r0] * (1.0 - frac) + line[r1] * frac;
    const double y = damping * 0.5 * (delayed + last);
    last = delayed;
    line[write] = y;
    if (++write == size) write = 0;
    out[i] = static_cast<float>(y);
  }
  mix.Place(start, out, gain, pan, sends);
}

void Bell(Mix& mix, double time, double note, float gain, float pan, float ratio, float index,
          float decay, Sends sends) {
  const std::int64_t start = FrameOf(time);
  const std::int64_t total = Frames(decay * 4.0);
  if (!mix.Touches(start, total)) return;
  std::vector<float> out(static_cast<std::size_t>(mix.Needed(start, total)));
  const double hz = NoteHz(note);
  double carrier = 0, modulator = 0;
  Decay depth(decay * 0.4, index), env(decay);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = static_cast<double>(i) / kRate;
    // The modulation index is in radians; Sin takes cycles.
    const double v = Sin(carrier + depth.Next() * Sin(modulator) / kTwoPi);
    carrier += hz / kRate;
    modulator += hz * ratio / kRate;
    carrier -= std::floor(carrier);
    modulator -= std::floor(modulator);
    const double attack = std::min(1.0, t / 0.002);
    out[i] = static_cast<float>(v * attack * env.Next());
  }
  mix.Place(start, out, gain, pan, sends);
}

void Riser(Mix& mix, double time, double length, float gain) {
  const std::int64_t start = FrameOf(time);
  const std::int64_t total = Frames(length);
  if (!mix.Touches(start, total)) return;
  const std::size_t n = static_cast<std::size_t>(mix.Needed(start, total));
  std::vector<float> side[2];
  for (int s = 0; s < 2; ++s) {
    side[s].assign(n, 0.0f);
    Noise noise(Seed(start, 7 + s));
    Svf filter;
    for (std::size_t i = 0; i < n; ++i) {
      const double u = static_cast<double>(i) / static_cast<double>(total);
      if ((i & 15) == 0) filter.Set(300.0 * std::pow(30.0, u), 0.6);
      filter.Run(noise.Next());
      // Loudest just before the end, then a quick taper: the hit that follows covers the rest.
      const double taper = std::min(1.0, (1.0 - u) / 0.04);
      side[s][i] = static_cast<float>(filter.band * u * u * taper);
    }
  }
  mix.PlaceStereo(start, side[0], side[1], gain, {0.4f, 0.1f});
}

void Impact(Mix& mix, double time, float gain) {
  const std::int64_t start = FrameOf(time);
  const std::int64_t total = Frames(2.0);
  if (!mix.Touches(start, total)) return;
  std::vector<float> out(static_cast<std::size_t>(mix.Needed(start, total)));
  Noise noise(Seed(start, 9));
  Svf filter;
  filter.Set(900.0, 0.2);
  double phase = 0;
  Decay sweep(0.12), body(0.5), burst(0.12);
  for (std::size_t i = 0; i < out.size(); ++i) {
    phase += (32.0 + 60.0 * sweep.Next()) / kRate;
    filter.Run(noise.Next());
    out[i] = static_cast<float>(0.6 * (Sin(phase) * body.Next() + filter.low * 1.5 * burst.Next()));
  }
  mix.Place(start, out, gain, 0.0f, {0.5f, 0.0f});
}

}  // namespace showdata::soundtrack
