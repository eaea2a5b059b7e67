// The piece itself: its tempo map (sections that start exactly where the show's parts and accents
// start) and the rendering of any stretch of it; plus the MP3 encoding. MakeSoundtrack
// (tools/showdata/soundtrack.h) joins the two.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace showdata::soundtrack {

// One stretch of the tempo map: `beats` even beats from `startMs` to the next section's start.
// Every section starts on a downbeat (beat 1 of a bar).
struct Section {
  const char* name;
  double startMs;  // on the show's timeline, milliseconds
  int beats;
};

// In time order; the last entry has 0 beats and marks where the music ends (the reverb rings on
// for kTailSeconds after it).
const std::vector<Section>& TempoMap();
inline constexpr double kTailSeconds = 4.5;

// Length of the whole piece in frames (44100 per second), tail included.
std::size_t TotalFrames();

// Times on the show's timeline (ms) of the strongest accents: every section start and the
// tunnel's, the cuts' and the title words' hits. Each has a drum hit starting exactly there.
std::vector<double> AccentTimesMs();

// Interleaved stereo floats of frames [first, first + count) of the piece (frames past the end
// are silence). A window renders the same notes as the whole piece; the reverb and echo start
// three seconds before `first`, so tails from earlier than that are missing.
std::vector<float> Render(std::size_t first, std::size_t count);

// Encodes interleaved stereo floats at 44.1 kHz to MP3 (LAME, CBR 192 kbit/s, joint stereo,
// with the info tag that lets decoders drop the encoder delay and padding). Empty on failure,
// with one line in *error.
std::vector<std::uint8_t> EncodeMp3(const std::vector<float>& pcm, std::string* error);

}  // namespace showdata::soundtrack
