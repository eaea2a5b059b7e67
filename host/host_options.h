// The `vornhold` command line. The system's own code never reads it: the host turns it into what
// the setup dialog or the platform would have produced.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace host {

enum class Device { kRef, kHal, kNull };

struct HostOptions {
  bool help = false;
  // Answers to the setup dialog; what is not given keeps the dialog's own defaults.
  bool modeGiven = false;
  int width = 640;  // pixels
  int height = 480;
  int bitsPerPixel = 32;
  std::optional<bool> windowed;  // --windowed / --fullscreen
  bool silent = false;
  bool deviceGiven = false;
  bool dialog = false;  // show the dialog whatever else is given
  bool cancel = false;  // answer it with Cancel
  Device device = Device::kRef;
  bool headless = false;
  double fixedStepFps = 0;      // 0: real clock
  std::uint64_t rateNumerator = 0;    // the same rate as a fraction (for the video's audio)
  std::uint64_t rateDenominator = 1;
  std::string captureFile;      // empty: no video
  int quality = 18;             // an MP4's constant-quality number (x264's CRF)
  std::string encoderPreset = "medium";  // x264's preset for an MP4
  int sizeWidth = 0;            // --size: the video's (and window's) size; 0: the mode's
  int sizeHeight = 0;
  bool sizeDesktop = false;     // --size desktop: the display's size, known once it is open
  std::string framesDirectory;  // empty: no PNG frames
  int framesEvery = 1;
  long escapeAtMs = -1;         // < 0: no scripted Escape
  long startAtMs = -1;          // < 0: from the start
  std::string traceFile;
  bool stats = false;  // print frame counts and rates at the end
  // The live window
  bool sharp = false;  // --scale sharp
  int display = 0;     // --display N
  bool vsync = true;   // --no-vsync turns it off
};

// Whether the options choose something the setup dialog asks for (mode, window, sound, device).
bool MakesAChoice(const HostOptions& o);
// Whether the run is meant to go on without anyone at the screen.
bool Unattended(const HostOptions& o);

// Parses argv; on a bad option or a meaningless combination returns nothing and sets `error` to
// one line.
std::optional<HostOptions> ParseHostOptions(int argc, const char* const* argv, std::string& error);

// The --help text, from the same table as the parser; lines within 80 columns.
std::string HostUsage();

}  // namespace host
