// What the host (and tests) need from the sound library beyond the system's own calls.
//
// For fixed-step capture the host reads the decoded music itself instead of letting a device
// play it: call UseSilentOutput() before the system's BASS_Init, then ReadDecodedSamples once per
// frame for exactly that frame's share of samples. Silent output never touches an audio device,
// so headless runs and tests need none.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/bass/bass.h"

namespace bass {

// From the next BASS_Init on, device -1 opens the silent device instead of audio output.
// UseSilentOutput(false) goes back to real output for later initialisations.
void UseSilentOutput(bool silent = true);

// Pulls `frames` stereo frames of the playing streams, mixed, at the BASS_Init rate, into `out`
// (2 * frames samples, left then right). Returns how many frames came from streams; the rest of
// `out` is silence. Nothing plays (not initialised, output stopped, no stream started, all
// ended): all silence, returns 0. With real output open as well, the device and this caller take
// turns at the same streams, so use it with silent output.
std::size_t ReadDecodedSamples(std::int16_t* out, std::size_t frames);

// Holds every stream where it stands: the output plays silence until released (a viewer's pause,
// a seek). ReadDecodedSamples is not held.
void HoldStreams(bool held);
// Every playing stream to `frame` frames (at the BASS_Init rate) from its start, sample-exact;
// false when one cannot seek.
bool SeekPlayingStreams(std::uint64_t frame);
// The BASS_Init rate (Hz); 0 when not initialised.
int OutputRate();

// Frames of the stream played so far (by the output or ReadDecodedSamples); 0 for a handle that
// is not a stream.
std::uint64_t StreamPosition(HSTREAM handle);

}  // namespace bass
