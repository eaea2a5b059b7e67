#include "host/host_options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace host {
namespace {

bool ParseInt(const std::string& text, long low, long high, long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtol(text.c_str(), &end, 10);
  return *end == 0 && value >= low && value <= high;
}

bool ParseMode(const std::string& text, HostOptions& o) {
  int w = 0, h = 0, b = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%dx%dx%d%c", &w, &h, &b, &tail) != 3) return false;
  if (w <= 0 || h <= 0 || w > 16384 || h > 16384 || (b != 16 && b != 32)) return false;
  o.width = w;
  o.height = h;
  o.bitsPerPixel = b;
  o.modeGiven = true;
  return true;
}

// Frames per second as a number (60, 29.97) or a fraction (60000/1001), 1 to 1000.
bool ParseRate(const std::string& text, HostOptions& o) {
  unsigned long long numerator = 0, denominator = 1;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%llu/%llu%c", &numerator, &denominator, &tail) == 2) {
    if (denominator == 0 || numerator > 1000000000ull || denominator > 1000000000ull) return false;
  } else {
    char* end = nullptr;
    const double fps = std::strtod(text.c_str(), &end);
    if (text.empty() || *end || !(fps >= 1 && fps <= 1000)) return false;
    numerator = static_cast<unsigned long long>(std::llround(fps * 1000));
    denominator = 1000;
  }
  o.fixedStepFps = double(numerator) / double(denominator);
  o.rateNumerator = numerator;
  o.rateDenominator = denominator;
  return o.fixedStepFps >= 1 && o.fixedStepFps <= 1000;
}

}  // namespace

bool MakesAChoice(const HostOptions& o) { return o.modeGiven || o.windowed || o.silent || o.deviceGiven; }

bool Unattended(const HostOptions& o) {
  return o.headless || !o.framesDirectory.empty() || o.fixedStepFps > 0 || o.escapeAtMs >= 0 || o.cancel ||
         !o.captureFile.empty();
}

const char* HostUsage() {
  return "usage: vornhold [OPTION]...\n"
         "Plays the show from lab.ac, lab.mp3 and part.txt in the current directory.\n"
         "The show starts with its setup dialog (display mode, full screen or window, sound).\n"
         "With a display and no option that makes a choice or marks an unattended run, the\n"
         "dialog is shown; otherwise the options answer it, and what they leave out keeps the\n"
         "dialog's defaults (640x480 - 32bpp, full screen, sound).\n"
         "Choices:\n"
         "  --mode WxHxBPP       the resolution-list entry WIDTHxHEIGHT - BPPbpp (BPP 16 or 32)\n"
         "  --windowed           in a window\n"
         "  --fullscreen         desktop full screen, the picture scaled to fit\n"
         "  --silent             no sound\n"
         "  --device ref|hal|null  graphics device: software, hardware (OpenGL 3.3, llvmpipe\n"
         "                       included; falls back to software when OpenGL cannot start), or\n"
         "                       one that draws nothing. Default: hardware only with a display\n"
         "                       and hardware-accelerated OpenGL, else software\n"
         "Unattended runs:\n"
         "  --headless           no window at all (input only from --escape-at)\n"
         "  --fixed-step FPS     the clock advances exactly 1/FPS s at each presented frame\n"
         "                       (FPS may be a fraction: 60000/1001)\n"
         "  --size WxH           a size the mode list does not offer, up to 3840x2160: the show\n"
         "                       runs windowed at 640x480x32 in the largest 4:3 area that fits,\n"
         "                       centred between black bars in a video\n"
         "  --capture FILE       render the show into a video with its soundtrack: FILE.mp4\n"
         "                       (H.264 + AAC) or FILE.mkv (FFV1 + FLAC, lossless), by ffmpeg;\n"
         "                       fixed step 60 unless given; without --escape-at the show ends\n"
         "                       at 147139 ms on its timeline, 2 s after the closing picture\n"
         "  --frames DIR         write presented frames as DIR/frame_NNNNNN.png\n"
         "  --escape-at MS       press Escape MS milliseconds after the music starts\n"
         "  --cancel             answer the dialog with Cancel: nothing plays, exit code 1\n"
         "The window:\n"
         "  --display N          the monitor to play on (0 is the first)\n"
         "  --scale sharp|smooth  frames scaled to the window or screen smoothly (default), or\n"
         "                       sharp: nearest pixels, whole multiples where they fit\n"
         "  --no-vsync           present without waiting for the display's refresh\n"
         "Others:\n"
         "  --dialog             show the dialog in any case, set up as the show sets it up\n"
         "  --frames-every N     with --frames, only every N-th frame (default 1)\n"
         "  --trace FILE         write one line per engine operation and frame to FILE\n"
         "  --stats              at the end, print the loading pause, the peak resident memory and the\n"
         "                       show's frame rate; at every minute of the timeline, the frames so\n"
         "                       far and the resident memory\n"
         "  --help               this text\n";
}

std::optional<HostOptions> ParseHostOptions(int argc, const char* const* argv, std::string& error) {
  HostOptions o;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::string value;
    bool hasInlineValue = false;
    if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      hasInlineValue = true;
    }
    auto needValue = [&](const char* name) -> bool {
      if (hasInlineValue) return true;
      if (i + 1 >= argc) {
        error = std::string("option ") + name + " needs a value";
        return false;
      }
      value = argv[++i];
      return true;
    };
    long n = 0;
    if (arg == "--help" || arg == "-h") {
      o.help = true;
    } else if (arg == "--windowed") {
      o.windowed = true;
    } else if (arg == "--fullscreen") {
      o.windowed = false;
    } else if (arg == "--silent") {
      o.silent = true;
    } else if (arg == "--no-vsync") {
      o.vsync = false;
    } else if (arg == "--scale") {
      if (!needValue("--scale")) return std::nullopt;
      if (value != "sharp" && value != "smooth") {
        error = "bad --scale '" + value + "': expected sharp or smooth";
        return std::nullopt;
      }
      o.sharp = value == "sharp";
    } else if (arg == "--display") {
      if (!needValue("--display")) return std::nullopt;
      if (!ParseInt(value, 0, 63, n)) {
        error = "bad --display '" + value + "': expected a monitor number from 0";
        return std::nullopt;
      }
      o.display = int(n);
    } else if (arg == "--dialog") {
      o.dialog = true;
    } else if (arg == "--cancel") {
      o.cancel = true;
    } else if (arg == "--headless") {
      o.headless = true;
    } else if (arg == "--stats") {
      o.stats = true;
    } else if (arg == "--mode") {
      if (!needValue("--mode")) return std::nullopt;
      if (!ParseMode(value, o)) {
        error = "bad --mode '" + value + "': expected WIDTHxHEIGHTxBPP with BPP 16 or 32";
        return std::nullopt;
      }
    } else if (arg == "--device") {
      if (!needValue("--device")) return std::nullopt;
      o.deviceGiven = true;
      if (value == "ref") o.device = Device::kRef;
      else if (value == "hal") o.device = Device::kHal;
      else if (value == "null") o.device = Device::kNull;
      else {
        error = "bad --device '" + value + "': expected ref, hal or null";
        return std::nullopt;
      }
    } else if (arg == "--fixed-step") {
      if (!needValue("--fixed-step")) return std::nullopt;
      if (!ParseRate(value, o)) {
        error = "bad --fixed-step '" + value + "': expected frames per second from 1 to 1000, or a fraction";
        return std::nullopt;
      }
    } else if (arg == "--size") {
      if (!needValue("--size")) return std::nullopt;
      char tail = 0;
      if (std::sscanf(value.c_str(), "%dx%d%c", &o.sizeWidth, &o.sizeHeight, &tail) != 2 || o.sizeWidth < 16 ||
          o.sizeHeight < 16 || o.sizeWidth > 3840 || o.sizeHeight > 2160) {
        error = "bad --size '" + value + "': expected WIDTHxHEIGHT from 16x16 to 3840x2160";
        return std::nullopt;
      }
    } else if (arg == "--capture") {
      if (!needValue("--capture")) return std::nullopt;
      o.captureFile = value;
    } else if (arg == "--frames") {
      if (!needValue("--frames")) return std::nullopt;
      o.framesDirectory = value;
    } else if (arg == "--frames-every") {
      if (!needValue("--frames-every")) return std::nullopt;
      if (!ParseInt(value, 1, 1000000, n)) {
        error = "bad --frames-every '" + value + "': expected a whole number from 1";
        return std::nullopt;
      }
      o.framesEvery = int(n);
    } else if (arg == "--escape-at") {
      if (!needValue("--escape-at")) return std::nullopt;
      if (!ParseInt(value, 0, 0x7FFFFFFF, n)) {
        error = "bad --escape-at '" + value + "': expected milliseconds from 0";
        return std::nullopt;
      }
      o.escapeAtMs = n;
    } else if (arg == "--trace") {
      if (!needValue("--trace")) return std::nullopt;
      o.traceFile = value;
    } else {
      error = "unknown option '" + std::string(argv[i]) + "' (see --help)";
      return std::nullopt;
    }
  }
  if (!o.captureFile.empty()) {
    const std::string& f = o.captureFile;
    const auto endsWith = [&f](const char* tail) {
      return f.size() >= std::strlen(tail) && f.compare(f.size() - std::strlen(tail), std::string::npos, tail) == 0;
    };
    if (!endsWith(".mp4") && !endsWith(".m4v") && !endsWith(".mkv")) {
      error = "--capture '" + f + "': the file must end in .mp4 (H.264 + AAC) or .mkv (lossless)";
      return std::nullopt;
    }
    if (o.device == Device::kNull) {
      error = "--capture needs drawn frames: it cannot go with --device null";
      return std::nullopt;
    }
    if (o.fixedStepFps == 0) o.fixedStepFps = 60, o.rateNumerator = 60, o.rateDenominator = 1;
  }
  if (o.sizeWidth > 0) {
    if (o.modeGiven || (o.windowed && !*o.windowed)) {
      error = "--size runs the show in a window at 640x480x32: it cannot go with --mode or --fullscreen";
      return std::nullopt;
    }
    o.width = 640, o.height = 480, o.bitsPerPixel = 32, o.modeGiven = true, o.windowed = true;
  }
  if (o.dialog && o.headless) {
    error = "--dialog needs a display: it cannot go with --headless";
    return std::nullopt;
  }
  return o;
}

}  // namespace host
