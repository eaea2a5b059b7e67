// The soundtrack's instruments and effects: a small offline synthesizer.
//
// Conventions: times in seconds, frequencies in Hz, notes as MIDI numbers (69 = A4 = 440 Hz),
// gains linear, pan -1 (left) .. +1 (right), 44100 frames per second. Every note is rendered whole,
// from its own start, into a mono (or stereo) buffer and then added to the mix, so a note sounds
// the same whichever window of the piece is rendered. Noise comes from a hash of the note's start
// frame and a salt: no state is shared between notes, and the result never depends on the order in
// which notes are added. Every note ends in a short fade to exact zero (no clicks at note ends).
#pragma once

#include <cstdint>
#include <vector>

namespace showdata::soundtrack {

inline constexpr int kRate = 44100;  // frames per second

// How much of a note goes to the shared effects, besides the dry mix.
struct Sends {
  float reverb = 0.2f;  // to the hall reverb
  float delay = 0.0f;   // to the ping-pong echo
};

// The mix of one window [begin, end) of absolute frames, plus the effect buses; Finish runs the
// effects and the master stage and returns interleaved stereo floats.
class Mix {
 public:
  // Frames before `first` down to `first - warmup` are rendered too (so that the effects settle)
  // but not returned.
  Mix(std::int64_t first, std::int64_t count, std::int64_t warmup);

  std::int64_t begin() const { return begin_; }  // first frame held (warm-up included)
  std::int64_t end() const { return end_; }      // one past the last frame held

  // True when a note from `start_frame` of `length` frames reaches into the window.
  bool Touches(std::int64_t start_frame, std::int64_t length) const {
    return start_frame < end_ && start_frame + length > begin_;
  }
  // How many frames of a note starting at `start_frame` are worth rendering (it may be cut at the
  // window's end: nothing later is audible in this window).
  std::int64_t Needed(std::int64_t start_frame, std::int64_t length) const;

  // Adds a mono note at `start_frame`, panned with constant power (both sides at 1 in the
  // centre). The buffers handed to Place and PlaceStereo are used up: faded and scaled in place.
  void Place(std::int64_t start_frame, std::vector<float>& mono, float gain, float pan, Sends sends);
  // Adds a stereo note (two buffers of equal length).
  void PlaceStereo(std::int64_t start_frame, std::vector<float>& left, std::vector<float>& right,
                   float gain, Sends sends);

  // Reverb, echo, DC removal and the soft limiter; the returned frames are those asked for.
  std::vector<float> Finish();

 private:
  std::int64_t first_, count_, begin_, end_;
  std::vector<float> dryL_, dryR_, reverb_, delayL_, delayR_;
};

// ---- Instruments. Each adds one note (or hit) at `time` (seconds) to the mix. ----

// Oscillator shapes of the subtractive voice.
enum class Wave { kSaw, kSquare, kTriangle, kSine };

struct Voice {
  Wave wave = Wave::kSaw;
  int unison = 1;              // oscillators per side, spread by `detune`
  float detune = 0.0f;         // cents between outer oscillators
  float sub = 0.0f;            // sine one octave down, relative level
  float attack = 0.005f;       // seconds
  float decay = 0.2f;          // seconds (time constant towards sustain)
  float sustain = 0.7f;        // level 0..1
  float release = 0.15f;       // seconds
  float cutoff = 2000.0f;      // Hz, low-pass
  float cutoffEnv = 0.0f;      // Hz added at the note start, decaying
  float cutoffDecay = 0.15f;   // seconds
  float cutoffEnd = 0.0f;      // when > 0: the base cutoff glides to this over the note
  float resonance = 0.2f;      // 0..0.95
  float vibrato = 0.0f;        // semitones, after 0.25 s
  bool stereo = false;         // two differently detuned sides (pads)
};

void Synth(Mix& mix, double time, double length, double note, const Voice& voice, float gain,
           float pan, Sends sends);
void Kick(Mix& mix, double time, float gain, float decay = 0.35f, float tone = 1.0f);
void Snare(Mix& mix, double time, float gain, float pan = 0.0f, Sends sends = {0.25f, 0.0f});
void Hat(Mix& mix, double time, float gain, bool open, float pan);
void Crash(Mix& mix, double time, float gain, float length = 2.5f);
void Tom(Mix& mix, double time, double note, float gain, float pan);
void Rim(Mix& mix, double time, float gain, float pan);
// Plucked string (Karplus-Strong); `brightness` 0..1.
void Pluck(Mix& mix, double time, double note, float gain, float pan, float brightness,
           Sends sends);
// Two-operator FM tone: `ratio` modulator/carrier, `index` modulation depth at the start.
void Bell(Mix& mix, double time, double note, float gain, float pan, float ratio, float index,
          float decay, Sends sends);
// Noise swept up through a band-pass over `length`, growing louder (a riser into a new section).
void Riser(Mix& mix, double time, double length, float gain);
// A deep falling sine and a noise burst, for the largest accents.
void Impact(Mix& mix, double time, float gain);

// Frequency of a MIDI note.
double NoteHz(double note);

}  // namespace showdata::soundtrack
