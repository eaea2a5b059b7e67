// The piece, section by section, in the order the show plays them. Each section function reads
// like its bar chart: chords, drums, bass, then the section's own voice.
// Key: D minor. Beats are counted from the section start (beat 0 = its downbeat).
#include "tools/showdata/soundtrack/score.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <cstring>
#include <string>

#include "tools/showdata/soundtrack/synth.h"

namespace showdata::soundtrack {
namespace {

constexpr std::int64_t kWarmupFrames = 3 * kRate;

// ---- Tempo map ----
// Every part of the show starts a section, at about 106 beats a minute (the beat stretches a
// little from section to section so that each start lands on a downbeat). Short sections lead
// into the next scene's first hit (the tunnel's, the credits'); the tunnel plays one bar per
// beat cue (a bar of 2252.3 ms); the jellyfish hall changes section with its camera; after the
// finale's title words the music runs on, and then a calm outro at 88 beats a minute carries
// the open-ended last scene for another minute.

const std::vector<Section> kTempoMap = {
    {"corridor", 0.0, 32},      {"knot", 18041.0, 32},       {"balls", 36083.0, 16},
    {"ripples", 45162.0, 10},   {"echo", 50793.0, 6},        {"tunnel-in", 54172.0, 2},
    {"tunnel", 55286.0, 28},    {"cuts", 71053.0, 2},        {"room", 72190.0, 62},
    {"jelly-rise", 107010.0, 16}, {"jelly-close", 116099.0, 8}, {"jelly-orbit", 120604.0, 10},
    {"credits-in", 126223.0, 2}, {"credits", 127384.0, 16},  {"finale", 136382.0, 12},
    {"finale-high", 143139.0, 16}, {"outro", 152148.0, 96},  {"end", 217428.0, 0},
};

// The tunnel's cuts and the finale's title words: hits off the beat grid, on the show's times.
constexpr std::array<double, 3> kCutHitsMs = {71308.0, 71563.0, 71819.0};
constexpr std::array<double, 3> kWordHitsMs = {141897.0, 142152.0, 142524.0};

// One section as the composer sees it: beat and step times in seconds.
struct Sec {
  double t0;    // seconds
  double beat;  // seconds per beat
  int beats;
  double T(double b) const { return t0 + b * beat; }
  double Step(int bar, int step) const { return T(bar * 4 + step * 0.25); }
  bool Inside(int bar, int step) const { return bar * 16 + step < beats * 4; }
};

Sec SectionAt(std::size_t i) {
  const Section& s = kTempoMap[i];
  const double next = kTempoMap[i + 1].startMs;
  return {s.startMs / 1000.0, (next - s.startMs) / 1000.0 / s.beats, s.beats};
}

// ---- Harmony ----

struct Chord {
  int root;                 // bass note (octave 2)
  std::array<int, 4> pad;   // voicing around middle C
};
const Chord kDm9 = {38, {57, 60, 64, 65}};
const Chord kBbMaj7 = {34, {57, 58, 62, 65}};
const Chord kFMaj9 = {41, {55, 57, 60, 64}};
const Chord kCAdd9 = {36, {55, 60, 62, 64}};
const Chord kGm9 = {43, {58, 62, 65, 69}};
const Chord kAsus = {45, {55, 57, 62, 64}};

const std::array<Chord, 4> kNight = {kDm9, kBbMaj7, kFMaj9, kCAdd9};
const std::array<Chord, 4> kDrive = {kDm9, kDm9, kBbMaj7, kCAdd9};
const std::array<Chord, 4> kFloat = {kGm9, kDm9, kBbMaj7, kAsus};

// ---- Voices ----

Voice PadVoice(float cutoff, float cutoffEnd = 0.0f) {
  Voice v;
  v.unison = 3;
  v.detune = 22.0f;
  v.attack = 0.5f;
  v.decay = 1.0f;
  v.sustain = 1.0f;
  v.release = 1.4f;
  v.cutoff = cutoff;
  v.cutoffEnd = cutoffEnd;
  v.resonance = 0.1f;
  v.stereo = true;
  return v;
}

Voice BassVoice(float cutoff = 280.0f, float env = 900.0f) {
  Voice v;
  v.sub = 0.5f;
  v.attack = 0.004f;
  v.decay = 0.25f;
  v.sustain = 0.65f;
  v.release = 0.06f;
  v.cutoff = cutoff;
  v.cutoffEnv = env;
  v.cutoffDecay = 0.12f;
  v.resonance = 0.3f;
  return v;
}

Voice AcidVoice() {
  Voice v;
  v.attack = 0.003f;
  v.decay = 0.15f;
  v.sustain = 0.5f;
  v.release = 0.04f;
  v.cutoff = 380.0f;
  v.cutoffEnv = 2600.0f;
  v.cutoffDecay = 0.08f;
  v.resonance = 0.82f;
  v.sub = 0.25f;
  return v;
}

Voice LeadVoice() {
  Voice v;
  v.wave = Wave::kSquare;
  v.unison = 2;
  v.detune = 9.0f;
  v.attack = 0.02f;
  v.decay = 0.4f;
  v.sustain = 0.75f;
  v.release = 0.3f;
  v.cutoff = 2400.0f;
  v.cutoffEnv = 1800.0f;
  v.cutoffDecay = 0.2f;
  v.vibrato = 0.15f;
  return v;
}

Voice SoftLeadVoice() {
  Voice v = LeadVoice();
  v.wave = Wave::kTriangle;
  v.cutoff = 1800.0f;
  v.cutoffEnv = 600.0f;
  v.attack = 0.05f;
  return v;
}

Voice StabVoice() {
  Voice v;
  v.unison = 3;
  v.detune = 28.0f;
  v.attack = 0.002f;
  v.decay = 0.12f;
  v.sustain = 0.0f;
  v.release = 0.12f;
  v.cutoff = 700.0f;
  v.cutoffEnv = 5000.0f;
  v.cutoffDecay = 0.09f;
  v.stereo = true;
  return v;
}

// ---- Building blocks ----

// One chord held for `bars` bars from `bar`.
void PadChord(Mix& mix, const Sec& s, int bar, double bars, const Chord& chord, const Voice& voice,
              float gain, int octave = 0) {
  for (int note : chord.pad)
    Synth(mix, s.T(bar * 4), bars * 4 * s.beat, note + 12 * octave, voice, gain * 1.8f, 0.0f,
          {0.5f, 0.0f});
}

void Stab(Mix& mix, double time, const Chord& chord, float gain, float delay) {
  const Voice v = StabVoice();
  for (int note : chord.pad) Synth(mix, time, 0.1, note + 12, v, gain, 0.0f, {0.3f, delay});
}

// 16-step drum bars. kick: 'x' full, 'o' soft. snare: 'x' full, 'o' ghost. hats: 'x' closed,
// '-' soft closed, 'o' open. '.' rest. Steps beyond the section's end are skipped.
void Drums(Mix& mix, const Sec& s, int fromBar, int toBar, const char* kick, const char* snare,
           const char* hats, float level) {
  assert(!kick || std::strlen(kick) == 16);
  assert(!snare || std::strlen(snare) == 16);
  assert(!hats || std::strlen(hats) == 16);
  for (int bar = fromBar; bar < toBar; ++bar) {
    for (int step = 0; step < 16; ++step) {
      if (!s.Inside(bar, step)) return;
      const double t = s.Step(bar, step);
      if (kick && kick[step] != '.') Kick(mix, t, level * (kick[step] == 'x' ? 0.9f : 0.5f));
      if (snare && snare[step] != '.')
        Snare(mix, t, level * (snare[step] == 'x' ? 0.55f : 0.18f), 0.05f);
      if (hats && hats[step] != '.')
        Hat(mix, t, level * (hats[step] == '-' ? 0.16f : 0.3f), hats[step] == 'o',
            (step % 4 == 2) ? 0.3f : -0.2f);
    }
  }
}

// A downbeat accent: kick and crash, exactly at `time`.
void Accent(Mix& mix, double time, float level) {
  Kick(mix, time, 0.95f * level);
  Crash(mix, time, 0.35f * level);
}

// Snare run over the last `beats` beats before `end` (seconds), in sixteenths, growing louder.
void SnareRun(Mix& mix, const Sec& s, double fromBeat, double beats, float level) {
  const int steps = static_cast<int>(std::lround(beats * 4));
  for (int i = 0; i < steps; ++i)
    Snare(mix, s.T(fromBeat + i * 0.25), level * (0.15f + 0.4f * i / steps), (i % 2) ? 0.2f : -0.2f);
}

// Bass on a 16-step rhythm; 'x' root, 'o' octave up, '5' fifth, '7' minor seventh.
void BassLine(Mix& mix, const Sec& s, int bar, const Chord& chord, const char* rhythm,
              const Voice& voice, float gain) {
  for (int step = 0; step < 16; ++step) {
    if (!s.Inside(bar, step) || rhythm[step] == '.') continue;
    int note = chord.root;
    if (rhythm[step] == 'o') note += 12;
    if (rhythm[step] == '5') note += 7;
    if (rhythm[step] == '7') note += 10;
    int len = 1;
    while (step + len < 16 && rhythm[step + len] == '=') ++len;
    Synth(mix, s.Step(bar, step), s.beat * 0.25 * len * 0.9, note, voice, gain * 0.45f, 0.0f,
          {0.05f, 0.0f});
  }
}

struct MelodyNote {
  double beat, length;  // beats
  int note;
};

// The main theme, eight bars over kNight twice.
const std::vector<MelodyNote> kTheme = {
    {0, 1.5, 69},  {1.5, 0.5, 72}, {2, 1.5, 74},  {3.5, 0.5, 76}, {4, 2, 77},    {6, 1, 76},
    {7, 1, 74},    {8, 1.5, 72},   {9.5, 0.5, 69}, {10, 1, 72},   {11, 1, 74},   {12, 3, 76},
    {15, 1, 79},   {16, 1.5, 81},  {17.5, 0.5, 79}, {18, 1, 77},  {19, 1, 76},   {20, 2, 74},
    {22, 1.5, 77}, {23.5, 0.5, 76}, {24, 1, 72},   {25, 1, 74},   {26, 1, 76},   {27, 1, 72},
    {28, 3.5, 74},
};

void Melody(Mix& mix, const Sec& s, double fromBeat, double toBeat, double shift, int transpose,
            const Voice& voice, float gain, Sends sends) {
  for (const MelodyNote& m : kTheme) {
    if (m.beat < fromBeat || m.beat >= toBeat) continue;
    const double b = m.beat - fromBeat + shift;
    if (b >= s.beats) continue;
    Synth(mix, s.T(b), m.length * s.beat * 0.95, m.note + transpose, voice, gain * 1.25f, 0.0f,
          sends);
  }
}

// Chord tones spread over two octaves, for arpeggios.
int ArpNote(const Chord& chord, int index) {
  const int octave = index / 4;
  return chord.pad[static_cast<std::size_t>(index % 4)] + 12 * octave;
}

// ---- Sections ----

void Corridor(Mix& mix, const Sec& s) {
  for (int bar = 0; bar < 8; ++bar) {
    const Chord& c = kNight[bar % 4];
    PadChord(mix, s, bar, 1.0, c, PadVoice(450.0f + 230.0f * bar, 680.0f + 230.0f * bar), 0.05f);
    Voice drone;
    drone.wave = Wave::kSine;
    drone.attack = 0.8f;
    drone.sustain = 1.0f;
    drone.release = 1.0f;
    drone.cutoff = 400.0f;
    Synth(mix, s.T(bar * 4), 4 * s.beat, c.root, drone, 0.12f, 0.0f, {0.1f, 0.0f});
    // The corridor's pulse: eighth-note plucks from bar 2, brighter as the camera flies on.
    if (bar >= 2)
      for (int e = 0; e < 8; ++e)
        Pluck(mix, s.T(bar * 4 + e * 0.5), ArpNote(c, (e * 3) % 8) + 12, 0.3f,
              (e % 2) ? 0.45f : -0.45f, 0.2f + 0.1f * bar, {0.25f, 0.35f});
  }
  Bell(mix, s.T(1), 81, 0.1f, 0.3f, 3.5f, 2.0f, 1.2f, {0.6f, 0.3f});
  Bell(mix, s.T(2), 76, 0.08f, -0.3f, 3.5f, 2.0f, 1.2f, {0.6f, 0.3f});
  // The cut between the two halves: the beat comes in.
  Accent(mix, s.T(16), 0.6f);
  Drums(mix, s, 4, 6, "x.......x.......", nullptr, "..-...-...-...-.", 0.8f);
  Drums(mix, s, 6, 8, "x.....x...x.....", "....x.......x...", "-.x.-.x.-.x.-.x.", 0.85f);
  SnareRun(mix, s, 31, 1, 0.8f);
  Riser(mix, s.T(24), 8 * s.beat, 0.22f);
}

void Knot(Mix& mix, const Sec& s) {
  Accent(mix, s.t0, 1.0f);
  Impact(mix, s.t0, 0.35f);
  for (int bar = 0; bar < 8; ++bar) {
    const Chord& c = kNight[bar % 4];
    PadChord(mix, s, bar, 1.0, c, PadVoice(1600.0f), 0.045f);
    BassLine(mix, s, bar, c, "x.o.x.o.x.o.x5o.", BassVoice(), 0.3f);
    // The glow: a bright chime every other bar, into the echo.
    if (bar % 2 == 0) Bell(mix, s.T(bar * 4), ArpNote(c, 5) + 12, 0.06f, 0.5f, 3.5f, 1.5f, 1.0f,
                           {0.5f, 0.4f});
  }
  Drums(mix, s, 0, 7, "x.....x...x.....", "....x.......x...", "x.x.x.x.x.x.x.o.", 1.0f);
  Drums(mix, s, 7, 8, "x.....x...x.....", "....x.......x...", "x.x.x.x.x.x.....", 1.0f);
  Melody(mix, s, 0, 32, 0, 0, LeadVoice(), 0.1f, {0.3f, 0.3f});
  SnareRun(mix, s, 31, 1, 0.9f);
  Tom(mix, s.T(30), 50, 0.35f, -0.3f);
  Tom(mix, s.T(30.5), 45, 0.35f, 0.3f);
}

void Balls(Mix& mix, const Sec& s) {
  Accent(mix, s.t0, 1.0f);
  const std::array<Chord, 4> chords = {kDm9, kBbMaj7, kGm9, kAsus};
  for (int bar = 0; bar < 4; ++bar) {
    const Chord& c = chords[static_cast<std::size_t>(bar)];
    PadChord(mix, s, bar, 1.0, c, PadVoice(1200.0f), 0.035f);
    BassLine(mix, s, bar, c, "x..x..x...o..x..", BassVoice(350.0f, 1200.0f), 0.3f);
    // Bouncing balls: a sixteenth-note arpeggio up and down over two octaves, left to right.
    static constexpr std::array<int, 16> kUpDown = {0, 1, 2, 3, 4, 5, 6, 7, 8, 7, 6, 5, 4, 3, 2, 1};
    for (int step = 0; step < 16; ++step)
      Pluck(mix, s.Step(bar, step), ArpNote(c, kUpDown[static_cast<std::size_t>(step)]) + 12,
            (step % 4 == 0) ? 0.24f : 0.16f, -0.7f + 1.4f * step / 15.0f, 0.75f, {0.2f, 0.15f});
    // The column and the ring take turns every half bar.
    Tom(mix, s.T(bar * 4 + 2), 52 - bar, 0.3f, 0.4f);
  }
  Drums(mix, s, 0, 3, "x..x..x...x..x..", "....x.......x...", "-x-x-x-x-x-x-x-x", 0.95f);
  Drums(mix, s, 3, 4, "x..x..x...x.....", "....x.......x...", "-x-x-x-x-x-x....", 0.95f);
  SnareRun(mix, s, 15, 1, 0.8f);
}

void Ripples(Mix& mix, const Sec& s) {
  Accent(mix, s.t0, 1.0f);
  // A new pattern every two beats, as the grid changes stage.
  const std::array<Chord, 5> chords = {kDm9, kFMaj9, kBbMaj7, kGm9, kAsus};
  for (int stage = 0; stage < 5; ++stage) {
    const Chord& c = chords[static_cast<std::size_t>(stage)];
    for (int note : c.pad)
      Synth(mix, s.T(stage * 2), 2 * s.beat, note, PadVoice(1400.0f), 0.035f, 0.0f, {0.5f, 0.0f});
    Synth(mix, s.T(stage * 2), 1.8 * s.beat, c.root, BassVoice(), 0.18f, 0.0f, {0.05f, 0.0f});
    if (stage > 0) Kick(mix, s.T(stage * 2), 0.8f);
    Kick(mix, s.T(stage * 2 + 1.5), 0.45f);
    Snare(mix, s.T(stage * 2 + 1), 0.45f, 0.0f);
    // Ripples: sixteenth-note FM drops sweeping across the stereo field.
    for (int i = 0; i < 8; ++i) {
      const double b = stage * 2 + i * 0.25;
      Bell(mix, s.T(b), ArpNote(c, (i * 5) % 8) + 12, 0.06f,
           static_cast<float>(std::sin(b * 1.7)) * 0.8f, 2.0f, 1.2f, 0.22f, {0.3f, 0.45f});
      Hat(mix, s.T(b), (i % 2) ? 0.1f : 0.16f, false, 0.2f);
    }
  }
  SnareRun(mix, s, 9, 1, 0.6f);
}

void Echo(Mix& mix, const Sec& s) {
  Accent(mix, s.t0, 0.8f);
  // The trail: chord stabs thrown into the echo, over a held low note.
  Stab(mix, s.T(0), kDm9, 0.05f, 0.8f);
  Stab(mix, s.T(1.5), kDm9, 0.04f, 0.8f);
  Stab(mix, s.T(3), kBbMaj7, 0.05f, 0.8f);
  Stab(mix, s.T(4.5), kCAdd9, 0.04f, 0.8f);
  Voice low = BassVoice(200.0f, 200.0f);
  low.sustain = 1.0f;
  low.release = 0.6f;
  Synth(mix, s.T(0), 5.5 * s.beat, kDm9.root, low, 0.18f, 0.0f, {0.1f, 0.0f});
  for (int i = 0; i < 12; ++i) Hat(mix, s.T(i * 0.5), 0.1f, i % 4 == 2, (i % 2) ? 0.5f : -0.5f);
  Riser(mix, s.T(0), s.beats * s.beat + 1.1, 0.3f);
}

void TunnelIn(Mix& mix, const Sec& s) {
  Accent(mix, s.t0, 0.7f);
  // Thirty-second snare roll over the two beats, louder and louder.
  for (int i = 0; i < 16; ++i)
    Snare(mix, s.T(i * 0.125), 0.1f + 0.45f * i / 15.0f, (i % 2) ? 0.15f : -0.15f);
  Tom(mix, s.T(1), 52, 0.3f, -0.4f);
  Tom(mix, s.T(1.5), 47, 0.3f, 0.4f);
}

void Tunnel(Mix& mix, const Sec& s) {
  static constexpr std::array<int, 16> kAcid = {0, 0, 12, 0, 0, 10, 0, 12, 0, 0, 7, 0, 12, 0, 10, 7};
  const std::array<Chord, 7> chords = {kDm9, kDm9, kBbMaj7, kCAdd9, kDm9, kBbMaj7, kCAdd9};
  for (int bar = 0; bar < 7; ++bar) {
    const Chord& c = chords[static_cast<std::size_t>(bar)];
    // Every bar line is one of the tunnel's beats: a full hit.
    Accent(mix, s.T(bar * 4), 1.0f);
    Impact(mix, s.T(bar * 4), 0.25f);
    Stab(mix, s.T(bar * 4), c, 0.05f, 0.4f);
    if (bar != 4) PadChord(mix, s, bar, 1.0, c, PadVoice(2200.0f), 0.03f);
    Voice acid = AcidVoice();
    if (bar == 4) acid.resonance = 0.9f, acid.cutoffEnv = 4000.0f;  // the wireframe bar
    for (int step = 0; step < 16; ++step)
      Synth(mix, s.Step(bar, step), s.beat * 0.2, c.root + 12 + kAcid[static_cast<std::size_t>(step)],
            acid, bar == 4 ? 0.12f : 0.1f, 0.0f, {0.05f, 0.1f});
    // The video windows: stuttering stabs on the off-beats.
    if (bar == 1 || bar == 5)
      for (int step : {3, 6, 11, 14}) Stab(mix, s.Step(bar, step), c, 0.03f, 0.3f);
  }
  Drums(mix, s, 0, 6, "x...x...x...x.x.", "....x.......x...", "-x-o-x-o-x-o-x-o", 1.0f);
  Drums(mix, s, 6, 7, "x...x...x...x...", "....x.......x.xx", "-x-o-x-o-x-o-x-.", 1.0f);
  Melody(mix, s, 16, 28, 16, 0, LeadVoice(), 0.07f, {0.3f, 0.4f});
}

void Cuts(Mix& mix, const Sec& s) {
  Accent(mix, s.t0, 1.0f);
  Stab(mix, s.t0, kDm9, 0.06f, 0.2f);
  const std::array<Chord, 3> chords = {kBbMaj7, kDm9, kCAdd9};
  for (std::size_t i = 0; i < kCutHitsMs.size(); ++i) {
    const double t = kCutHitsMs[i] / 1000.0;
    Kick(mix, t, 0.85f, 0.12f);
    Crash(mix, t, 0.2f, 1.0f);
    Stab(mix, t, chords[i], 0.06f, 0.2f);
  }
}

void Room(Mix& mix, const Sec& s) {
  Accent(mix, s.t0, 0.8f);
  for (int bar = 0; bar < 16; ++bar) {
    const Chord& c = kNight[static_cast<std::size_t>(bar % 4)];
    const bool last = bar >= 14;
    // Cold at first; warmer as the objects take on their materials.
    const float cutoff = bar < 8 ? 650.0f : (last ? 1800.0f : 1300.0f);
    if (!s.Inside(bar, 0)) break;
    PadChord(mix, s, bar, bar == 15 ? 0.5 : 1.0, c, PadVoice(cutoff, last ? 500.0f : 0.0f),
             0.035f);
    // Electric-piano comping.
    for (int step : {0, 3, 6, 10})
      if (s.Inside(bar, step) && !(bar == 15 && step > 0))
        for (int note : c.pad)
          Bell(mix, s.Step(bar, step), note + 12, 0.028f, (note % 2) ? 0.3f : -0.3f, 1.0f, 1.6f,
               0.6f, {0.35f, 0.1f});
    Voice round = BassVoice(420.0f, 300.0f);
    round.wave = Wave::kTriangle;
    if (!last) BassLine(mix, s, bar, c, "x=....x...x...o.", round, 0.4f);
  }
  Drums(mix, s, 2, 8, "x......x..x.....", nullptr, "x.-.x.-.x.-.x.-.", 0.75f);
  for (int bar = 2; bar < 8; ++bar) {
    Rim(mix, s.Step(bar, 4), 0.25f, 0.2f);
    Rim(mix, s.Step(bar, 12), 0.25f, 0.2f);
  }
  Drums(mix, s, 8, 14, "x......x..x..x..", "....x..o....x...", "x-x-x-x-x-x-x-o-", 0.85f);
  Melody(mix, s, 0, 24, 32, 0, SoftLeadVoice(), 0.06f, {0.35f, 0.35f});
  // The ring of plates unfolds while the light dims.
  Riser(mix, s.T(56), 6 * s.beat, 0.25f);
  Bell(mix, s.T(56), 86, 0.05f, -0.5f, 3.5f, 2.0f, 1.5f, {0.6f, 0.4f});
  Bell(mix, s.T(58), 89, 0.05f, 0.5f, 3.5f, 2.0f, 1.5f, {0.6f, 0.4f});
  Tom(mix, s.T(60), 50, 0.3f, -0.3f);
  Tom(mix, s.T(60.5), 47, 0.3f, 0.0f);
  Tom(mix, s.T(61), 43, 0.35f, 0.3f);
}

// The three jellyfish sections share their floating voice.
void JellyBells(Mix& mix, const Sec& s, const Chord& c, int bar, int octave, float gain, bool down) {
  for (int e = 0; e < 8; ++e) {
    const int i = down ? 7 - e : e;
    if (!s.Inside(bar, e * 2)) return;
    const float pan = static_cast<float>(std::sin(bar * 2.3 + e * 1.1)) * 0.7f;
    Bell(mix, s.T(bar * 4 + e * 0.5), ArpNote(c, i) + 12 * octave, gain, pan, 3.5f, 1.8f, 1.4f,
         {0.6f, 0.25f});
  }
}

void JellyRise(Mix& mix, const Sec& s) {
  Accent(mix, s.t0, 0.8f);
  Impact(mix, s.t0, 0.3f);
  for (int bar = 0; bar < 4; ++bar) {
    const Chord& c = kFloat[static_cast<std::size_t>(bar)];
    PadChord(mix, s, bar, 1.0, c, PadVoice(900.0f), 0.045f);
    Voice sub;
    sub.wave = Wave::kSine;
    sub.attack = 0.3f;
    sub.sustain = 1.0f;
    sub.release = 0.5f;
    Synth(mix, s.T(bar * 4), 3.8 * s.beat, c.root, sub, 0.15f, 0.0f, {0.05f, 0.0f});
    JellyBells(mix, s, c, bar, 1, 0.045f, false);
    // A slow heartbeat.
    if (bar > 0) Kick(mix, s.T(bar * 4), 0.5f, 0.4f, 0.8f);
    Kick(mix, s.T(bar * 4 + 0.5), 0.3f, 0.4f, 0.8f);
  }
  SnareRun(mix, s, 15, 1, 0.5f);
}

void JellyClose(Mix& mix, const Sec& s) {
  Accent(mix, s.t0, 0.9f);
  for (int bar = 0; bar < 2; ++bar) {
    const Chord& c = kFloat[static_cast<std::size_t>(bar + 2)];
    PadChord(mix, s, bar, 1.0, c, PadVoice(1200.0f), 0.04f);
    BassLine(mix, s, bar, c, "x=....x...x=....", BassVoice(300.0f, 500.0f), 0.35f);
    JellyBells(mix, s, c, bar, 0, 0.05f, false);
  }
  Drums(mix, s, 0, 2, "x.....x.........", "........x.......", "x.-.x.-.x.-.x.-.", 0.85f);
}

void JellyOrbit(Mix& mix, const Sec& s) {
  Accent(mix, s.t0, 0.9f);
  const std::array<Chord, 3> chords = {kGm9, kDm9, kAsus};
  for (int bar = 0; bar < 3; ++bar) {
    const Chord& c = chords[static_cast<std::size_t>(bar)];
    // The glowing object sinks: the pad darkens, the bells fall.
    PadChord(mix, s, bar, bar == 2 ? 0.5 : 1.0, c, PadVoice(1400.0f - 400.0f * bar, 1000.0f - 400.0f * bar),
             0.045f);
    BassLine(mix, s, bar, c, "x=......x=......", BassVoice(300.0f, 400.0f), 0.35f);
    JellyBells(mix, s, c, bar, 1, 0.045f, true);
  }
  Drums(mix, s, 0, 2, "x.....x.........", "........x.......", "x-x-x-x-x-x-x-x-", 0.85f);
  SnareRun(mix, s, 8, 2, 0.6f);
}

void CreditsIn(Mix& mix, const Sec& s) {
  Accent(mix, s.t0, 0.8f);
  Synth(mix, s.t0, 1.9 * s.beat, kDm9.root, BassVoice(), 0.18f, 0.0f, {0.05f, 0.0f});
  Riser(mix, s.t0, 2 * s.beat, 0.2f);
  Tom(mix, s.T(1), 50, 0.3f, -0.3f);
  Tom(mix, s.T(1.5), 45, 0.3f, 0.3f);
}

void Credits(Mix& mix, const Sec& s) {
  for (int bar = 0; bar < 4; ++bar) {
    const Chord& c = kNight[static_cast<std::size_t>(bar)];
    // One name per bar, its role half a bar later.
    Accent(mix, s.T(bar * 4), 1.0f);
    Bell(mix, s.T(bar * 4 + 2), ArpNote(c, 6) + 12, 0.06f, 0.4f, 3.5f, 1.5f, 1.0f, {0.5f, 0.4f});
    PadChord(mix, s, bar, 1.0, c, PadVoice(2000.0f), 0.04f);
    BassLine(mix, s, bar, c, "x.o.x.o.x.o.x5o.", BassVoice(), 0.3f);
  }
  Drums(mix, s, 0, 4, "x.....x...x.....", "....x.......x...", "x-x-x-x-x-x-x-o-", 1.0f);
  Melody(mix, s, 16, 32, 0, 0, LeadVoice(), 0.1f, {0.3f, 0.35f});
}

void Finale(Mix& mix, const Sec& s) {
  Accent(mix, s.t0, 1.0f);
  Impact(mix, s.t0, 0.4f);
  const std::array<Chord, 3> chords = {kDm9, kBbMaj7, kCAdd9};
  for (int bar = 0; bar < 3; ++bar) {
    const Chord& c = chords[static_cast<std::size_t>(bar)];
    PadChord(mix, s, bar, bar == 2 ? 0.4 : 1.0, c, PadVoice(2600.0f), 0.045f);
    if (bar < 2) BassLine(mix, s, bar, c, "x.o.x.o.x.o.x.o.", BassVoice(), 0.3f);
  }
  Drums(mix, s, 0, 2, "x...x...x...x...", "....x.......x...", "-x-o-x-o-x-o-x-o", 1.0f);
  // A break, then the three title words, one hit each.
  Drums(mix, s, 2, 3, "x...............", nullptr, "-x-o-x-.........", 1.0f);
  Melody(mix, s, 0, 8, 0, 12, LeadVoice(), 0.08f, {0.3f, 0.35f});
  const std::array<int, 3> toms = {50, 47, 43};
  for (std::size_t i = 0; i < kWordHitsMs.size(); ++i) {
    const double t = kWordHitsMs[i] / 1000.0;
    Kick(mix, t, 0.9f, 0.15f);
    Tom(mix, t, toms[i], 0.35f, -0.3f + 0.3f * static_cast<float>(i));
    Stab(mix, t, kCAdd9, 0.05f, 0.3f);
    Crash(mix, t, 0.15f, 1.0f);
  }
}

void FinaleHigh(Mix& mix, const Sec& s) {
  Accent(mix, s.t0, 1.0f);
  Impact(mix, s.t0, 0.4f);
  for (int bar = 0; bar < 4; ++bar) {
    const Chord& c = kNight[static_cast<std::size_t>(bar)];
    PadChord(mix, s, bar, 1.0, c, PadVoice(3000.0f), 0.045f);
    PadChord(mix, s, bar, 1.0, c, PadVoice(2000.0f), 0.025f, 1);
    if (bar < 3) BassLine(mix, s, bar, c, "x.o.x.o.x.o.x5o.", BassVoice(), 0.3f);
    if (bar > 0) Crash(mix, s.T(bar * 4), 0.25f);
  }
  Drums(mix, s, 0, 3, "x...x...x...x.x.", "....x.......x...", "-x-o-x-o-x-o-x-o", 1.0f);
  Drums(mix, s, 3, 4, "x.......x.......", "....x...x.x.xxxx", "x.x.x.x.x.x.x.x.", 1.0f);
  Melody(mix, s, 16, 32, 0, 0, LeadVoice(), 0.1f, {0.3f, 0.4f});
  Synth(mix, s.T(12), 4 * s.beat, kCAdd9.root, BassVoice(200.0f, 300.0f), 0.18f, 0.0f, {0.1f, 0.0f});
}

void Outro(Mix& mix, const Sec& s) {
  Kick(mix, s.t0, 0.7f);
  Crash(mix, s.t0, 0.3f, 4.0f);
  const std::array<Chord, 4> chords = {kDm9, kBbMaj7, kGm9, kFMaj9};
  for (int bar = 0; bar < 24; ++bar) {
    const Chord& c = bar >= 20 ? kDm9 : chords[static_cast<std::size_t>(bar % 4)];
    // Thinner and darker towards the end; the last chord is held over four bars.
    if (bar <= 20) {
      const double bars = bar == 20 ? 4.0 : 1.0;
      const float fade = bar < 16 ? 1.0f : 1.0f - 0.15f * (bar - 15);
      Voice pad = PadVoice(1100.0f - 20.0f * bar, bar == 20 ? 300.0f : 0.0f);
      if (bar == 20) pad.release = 4.0f;
      PadChord(mix, s, bar, bars, c, pad, 0.05f * fade);
    }
    if (bar < 20) {
      Voice sub;
      sub.wave = Wave::kSine;
      sub.attack = 0.4f;
      sub.sustain = 1.0f;
      sub.release = 0.8f;
      Synth(mix, s.T(bar * 4), 3.7 * s.beat, c.root, sub, 0.13f, 0.0f, {0.05f, 0.0f});
      // Slow bells, fewer in the last bars.
      const int every = bar < 12 ? 1 : 2;
      for (int q = 0; q < 4; q += every)
        Bell(mix, s.T(bar * 4 + q), ArpNote(c, (q * 3 + bar) % 8) + 12, 0.04f,
             static_cast<float>(std::sin(bar + q * 1.9)) * 0.6f, 3.5f, 1.2f, 1.6f, {0.6f, 0.3f});
    }
  }
  // A gentle pulse in the middle.
  Drums(mix, s, 4, 16, "x.........x.....", nullptr, "-.-.-.-.-.-.-.-.", 0.55f);
  for (int bar = 4; bar < 16; ++bar) Rim(mix, s.Step(bar, 8), 0.15f, 0.3f);
  // The theme once more, slow and soft.
  Melody(mix, s, 0, 32, 32, 0, SoftLeadVoice(), 0.06f, {0.5f, 0.35f});
  Bell(mix, s.T(84), 86, 0.05f, 0.0f, 3.5f, 1.5f, 3.0f, {0.7f, 0.3f});
  Bell(mix, s.T(88), 81, 0.04f, 0.3f, 3.5f, 1.5f, 3.0f, {0.7f, 0.3f});
}

using SectionFn = void (*)(Mix&, const Sec&);
const std::array<SectionFn, 17> kSectionFns = {
    Corridor,  Knot,      Balls,      Ripples,   Echo,    TunnelIn, Tunnel,     Cuts,  Room,
    JellyRise, JellyClose, JellyOrbit, CreditsIn, Credits, Finale,   FinaleHigh, Outro,
};

}  // namespace

const std::vector<Section>& TempoMap() { return kTempoMap; }

std::size_t TotalFrames() {
  const double seconds = kTempoMap.back().startMs / 1000.0 + kTailSeconds;
  return static_cast<std::size_t>(std::llround(seconds * kRate));
}

std::vector<double> AccentTimesMs() {
  std::vector<double> times;
  for (std::size_t i = 0; i + 1 < kTempoMap.size(); ++i) times.push_back(kTempoMap[i].startMs);
  for (std::size_t i = 0; i < kTempoMap.size(); ++i) {
    if (std::string(kTempoMap[i].name) == "tunnel") {
      const Sec s = SectionAt(i);
      for (int bar = 1; bar < 7; ++bar) times.push_back(std::round(s.T(bar * 4) * 1000.0));
    }
  }
  times.insert(times.end(), kCutHitsMs.begin(), kCutHitsMs.end());
  times.insert(times.end(), kWordHitsMs.begin(), kWordHitsMs.end());
  std::sort(times.begin(), times.end());
  return times;
}

std::vector<float> Render(std::size_t first, std::size_t count) {
  Mix mix(static_cast<std::int64_t>(first), static_cast<std::int64_t>(count), kWarmupFrames);
  static_assert(kSectionFns.size() == 17);
  for (std::size_t i = 0; i + 1 < kTempoMap.size(); ++i) {
    const Sec s = SectionAt(i);
    // A section's notes ring on for at most a few seconds past its end.
    const double endSeconds = kTempoMap[i + 1].startMs / 1000.0 + 8.0;
    if (s.t0 * kRate >= static_cast<double>(mix.end()) ||
        endSeconds * kRate < static_cast<double>(mix.begin()))
      continue;
    kSectionFns[i](mix, s);
  }
  std::vector<float> out = mix.Finish();
  // The last second fades to exact silence (raised cosine); nothing follows the end.
  const std::size_t total = TotalFrames(), fade = kRate;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t frame = first + i;
    if (frame + fade < total) continue;
    const double u = frame >= total ? 1.0 : 1.0 - static_cast<double>(total - frame) / fade;
    const float gain = static_cast<float>(0.5 + 0.5 * std::cos(u * 3.14159265358979323846));
    out[2 * i] *= gain;
    out[2 * i + 1] *= gain;
  }
  return out;
}

}  // namespace showdata::soundtrack
