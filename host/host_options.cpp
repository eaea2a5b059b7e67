#include "host/host_options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sstream>
#include <vector>

#include "demo/part_schedule.h"
#include "host/video_capture.h"

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

namespace {

// Sets what the option (and its value, for those that take one) stands for; false with `error`
// set when the value is bad.
using Setter = bool (*)(const std::string& value, HostOptions& o, std::string& error);

struct OptionRow {
  const char* heading;   // starts a group in --help; null: same group as the row before
  const char* name;
  const char* argument;  // null: the option takes no value
  const char* help;
  const char* needs;     // an option without which this one means nothing; null: none
  const char* excludes;  // options that cannot go with this one, separated by spaces
  Setter set;
};

bool Refuse(std::string& error, const std::string& line) {
  error = line;
  return false;
}

const OptionRow kOptions[] = {
    {"Choices:", "--mode", "WxHxBPP", "the resolution-list entry WIDTHxHEIGHT - BPPbpp (BPP 16 or 32)", nullptr,
     nullptr,
     [](const std::string& v, HostOptions& o, std::string& e) {
       return ParseMode(v, o) || Refuse(e, "bad --mode '" + v + "': expected WIDTHxHEIGHTxBPP with BPP 16 or 32");
     }},
    {nullptr, "--windowed", nullptr, "in a window", nullptr, "--fullscreen",
     [](const std::string&, HostOptions& o, std::string&) { return bool(o.windowed = true); }},
    {nullptr, "--fullscreen", nullptr,
     "desktop full screen, the picture scaled to fit; with --size, drawn at that size", nullptr, "--windowed",
     [](const std::string&, HostOptions& o, std::string&) { return (o.windowed = false), true; }},
    {nullptr, "--silent", nullptr, "no sound", nullptr, nullptr,
     [](const std::string&, HostOptions& o, std::string&) { return o.silent = true; }},
    {nullptr, "--device", "ref|hal|null",
     "graphics device: software, hardware (OpenGL 3.3, llvmpipe included; falls back to software when "
     "OpenGL cannot start), or one that draws nothing. Default: hardware only with a display and "
     "hardware-accelerated OpenGL, else software",
     nullptr, nullptr,
     [](const std::string& v, HostOptions& o, std::string& e) {
       o.deviceGiven = true;
       if (v == "ref") o.device = Device::kRef;
       else if (v == "hal") o.device = Device::kHal;
       else if (v == "null") o.device = Device::kNull;
       else return Refuse(e, "bad --device '" + v + "': expected ref, hal or null");
       return true;
     }},
    {"Unattended runs:", "--headless", nullptr, "no window at all (input only from --escape-at and signals)",
     nullptr, nullptr, [](const std::string&, HostOptions& o, std::string&) { return o.headless = true; }},
    {nullptr, "--fixed-step", "FPS",
     "the clock advances exactly 1/FPS s at each presented frame (FPS may be a fraction: 60000/1001)", nullptr,
     nullptr,
     [](const std::string& v, HostOptions& o, std::string& e) {
       return ParseRate(v, o) ||
              Refuse(e, "bad --fixed-step '" + v + "': expected frames per second from 1 to 1000, or a fraction");
     }},
    {nullptr, "--size", "WxH|desktop",
     "a size the mode list does not offer, up to 3840x2160, or the display's own: the show runs at 640x480x32 "
     "drawn in the largest 4:3 area that fits (1440x1080 in 1920x1080), centred between black bars; in a window "
     "unless --fullscreen, shrunk to fit on the screen unless the frames go to --capture or --frames",
     nullptr, "--mode",
     [](const std::string& v, HostOptions& o, std::string& e) {
       o.sizeDesktop = v == "desktop";  // the last --size given counts
       o.sizeWidth = o.sizeHeight = 0;
       if (o.sizeDesktop) return true;
       char tail = 0;
       if (std::sscanf(v.c_str(), "%dx%d%c", &o.sizeWidth, &o.sizeHeight, &tail) != 2 || o.sizeWidth < 16 ||
           o.sizeHeight < 16 || o.sizeWidth > 3840 || o.sizeHeight > 2160)
         return Refuse(e, "bad --size '" + v + "': expected WIDTHxHEIGHT from 16x16 to 3840x2160, or desktop");
       return true;
     }},
    {nullptr, "--capture", "FILE",
     "render the show into a video with its soundtrack: FILE.mp4 (H.264 + AAC) or FILE.mkv (FFV1 + FLAC, "
     "lossless), by ffmpeg; fixed step 60 unless given; without a display, no window; without --escape-at "
     "the video ends 2 s after the show's closing picture",
     nullptr, nullptr,
     [](const std::string& v, HostOptions& o, std::string& e) {
       if (!IsCaptureFile(v))
         return Refuse(e, "--capture '" + v + "': the file must end in .mp4 (H.264 + AAC) or .mkv (lossless)");
       o.captureFile = v;
       return true;
     }},
    {nullptr, "--quality", "N",
     "with an .mp4 capture, x264's constant quality: 0 (lossless) to 51, lower is better and larger (default 18)",
     "--capture", nullptr,
     [](const std::string& v, HostOptions& o, std::string& e) {
       long n = 0;
       if (!ParseInt(v, 0, 51, n)) return Refuse(e, "bad --quality '" + v + "': expected a whole number from 0 to 51");
       return o.quality = int(n), true;
     }},
    {nullptr, "--encoder-preset", "NAME",
     "with an .mp4 capture, x264's speed against size: ultrafast, superfast, veryfast, faster, fast, medium "
     "(default), slow, slower or veryslow",
     "--capture", nullptr,
     [](const std::string& v, HostOptions& o, std::string& e) {
       for (const char* preset :
            {"ultrafast", "superfast", "veryfast", "faster", "fast", "medium", "slow", "slower", "veryslow"})
         if (v == preset) return o.encoderPreset = v, true;
       return Refuse(e, "bad --encoder-preset '" + v + "': expected ultrafast, superfast, veryfast, faster, fast, "
                        "medium, slow, slower or veryslow");
     }},
    {nullptr, "--frames", "DIR",
     "write presented frames as DIR/frame_NNNNNN.png, numbered from the run's first frame; fixed step 60 unless "
     "given",
     nullptr, nullptr,
     [](const std::string& v, HostOptions& o, std::string&) { return o.framesDirectory = v, true; }},
    {nullptr, "--frames-every", "N", "with --frames, only every N-th frame (default 1)", "--frames", nullptr,
     [](const std::string& v, HostOptions& o, std::string& e) {
       long n = 0;
       if (!ParseInt(v, 1, 1000000, n))
        return Refuse(e, "bad --frames-every '" + v + "': expected a whole number from 1");
       return o.framesEvery = int(n), true;
     }},
    {nullptr, "--escape-at", "MS",
     "press Escape MS ms after the music starts: at MS on the show's timeline whenever every part plays, "
     "with --start-at too (--start-at 60000 --escape-at 70000 is a 10 s clip)",
     nullptr, nullptr,
     [](const std::string& v, HostOptions& o, std::string& e) {
       long n = 0;
       if (!ParseInt(v, 0, 0x7FFFFFFF, n))
        return Refuse(e, "bad --escape-at '" + v + "': expected milliseconds from 0");
       return o.escapeAtMs = n, true;
     }},
    {nullptr, "--cancel", nullptr, "answer the dialog with Cancel: nothing plays", nullptr, nullptr,
     [](const std::string&, HostOptions& o, std::string&) { return o.cancel = true; }},
    {"Where to begin:", "--start-at", "MS|partNN",
     "begin at MS ms on the show's timeline, or at the start of part NN (01 to 10), after the loading screen: "
     "the timeline up to it plays without drawing. A capture or --frames begins there too",
     nullptr, nullptr,
     [](const std::string& v, HostOptions& o, std::string& e) {
       long n = 0;
       if (v.size() == 6 && v.rfind("part", 0) == 0 && ParseInt(v.substr(4), 1, 10, n))
         return o.startAtMs = kPartStartMs[n - 1], true;
       if (ParseInt(v, 0, 0x7FFFFFFF, n)) return o.startAtMs = n, true;
       return Refuse(e, "bad --start-at '" + v + "': expected milliseconds from 0, or part01 to part10");
     }},
    {"The window:", "--display", "N", "the monitor to play on (0 is the first)", nullptr, "--headless",
     [](const std::string& v, HostOptions& o, std::string& e) {
       long n = 0;
       if (!ParseInt(v, 0, 63, n)) return Refuse(e, "bad --display '" + v + "': expected a monitor number from 0");
       return o.display = int(n), true;
     }},
    {nullptr, "--scale", "sharp|smooth",
     "frames scaled to the window or screen smoothly (default), or sharp: nearest pixels, whole multiples where "
     "they fit",
     nullptr, "--headless",
     [](const std::string& v, HostOptions& o, std::string& e) {
       if (v != "sharp" && v != "smooth") return Refuse(e, "bad --scale '" + v + "': expected sharp or smooth");
       return o.sharp = v == "sharp", true;
     }},
    {nullptr, "--no-vsync", nullptr, "present without waiting for the display's refresh", nullptr, "--headless",
     [](const std::string&, HostOptions& o, std::string&) { return !(o.vsync = false); }},
    {"Others:", "--dialog", nullptr, "show the dialog in any case, as the show sets it up", nullptr,
     "--headless --cancel", [](const std::string&, HostOptions& o, std::string&) { return o.dialog = true; }},
    {nullptr, "--trace", "FILE", "write one line per engine operation and frame to FILE", nullptr, nullptr,
     [](const std::string& v, HostOptions& o, std::string&) { return o.traceFile = v, true; }},
    {nullptr, "--stats", nullptr,
     "at the end, print the device and its back buffer's size, the loading pause, the peak resident memory and "
     "the show's frame rate; at every minute "
     "of the timeline, the frames so far and the resident memory",
     nullptr, nullptr, [](const std::string&, HostOptions& o, std::string&) { return o.stats = true; }},
    {nullptr, "--help", nullptr, "this text", nullptr, nullptr,
     [](const std::string&, HostOptions& o, std::string&) { return o.help = true; }},
};

constexpr std::size_t kWidth = 80;   // columns of --help
constexpr std::size_t kIndent = 23;  // where an option's help starts

// `text` in words filling lines of kWidth columns, every line after the first indented.
void Wrap(const std::string& text, std::size_t column, std::size_t indent, std::string& out) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    const std::size_t word = end - at;
    if (column > indent && column + 1 + word > kWidth) {
      out += "\n" + std::string(indent, ' ');
      column = indent;
    } else if (column > indent) {
      out += ' ';
      ++column;
    }
    out.append(text, at, word);
    column += word;
    at = end + 1;
  }
  out += '\n';
}

const OptionRow* FindRow(const std::string& name) {
  for (const OptionRow& row : kOptions)
    if (name == row.name) return &row;
  return nullptr;
}

std::vector<std::string> Words(const char* text) {
  std::vector<std::string> words;
  std::istringstream in(text ? text : "");
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// A combination the table calls meaningless, said in one line.
bool CheckCombinations(const std::set<std::string>& given, std::string& error) {
  for (const OptionRow& row : kOptions) {
    if (!given.count(row.name)) continue;
    if (row.needs && !given.count(row.needs))
      return Refuse(error, std::string(row.name) + " goes only with " + row.needs);
    // The line names every option the row excludes, so it reads the same whichever was given.
    std::string all;
    bool clash = false;
    for (const std::string& other : Words(row.excludes)) {
      all += (all.empty() ? "" : " or ") + other;
      clash = clash || given.count(other) > 0;
    }
    if (clash) return Refuse(error, std::string(row.name) + " cannot go with " + all);
  }
  return true;
}

}  // namespace

std::string HostUsage() {
  std::string out =
      "usage: vornhold [OPTION]...\n"
      "Plays the show from lab.ac, lab.mp3 and part.txt in the current directory.\n"
      "The show starts with its setup dialog (display mode, full screen or window,\n"
      "sound). With a display and no option that makes a choice or marks an\n"
      "unattended run, the dialog is shown; otherwise the options answer it, and what\n"
      "they leave out keeps the dialog's defaults (640x480 - 32bpp, full screen,\n"
      "sound).\n";
  for (const OptionRow& row : kOptions) {
    if (row.heading) out += std::string(row.heading) + "\n";
    std::string left = "  " + std::string(row.name) + (row.argument ? std::string(" ") + row.argument : "");
    if (left.size() + 1 > kIndent) {
      out += left + "\n";
      left.clear();
    }
    left.resize(kIndent, ' ');
    out += left;
    Wrap(row.help, kIndent, kIndent, out);
  }
  out +=
      "Keys:\n"
      "  Escape, or closing the window, ends the show; so does Ctrl-C or SIGTERM (a\n"
      "  second one, half a second or more later, ends the program at once, leaving\n"
      "  no video behind).\n"
      "  In the show's window:\n"
      "  Space               pause / go on\n"
      "  Left, Right         5 s back / on\n"
      "  Page Up, Page Down  the part before / after\n"
      "  Home                the show from its start\n"
      "  F11, Alt+Enter      full screen / window\n"
      "  F12                 screenshot of the frame as rendered, as\n"
      "                      vornhold-<timeline ms>ms.png in the current directory\n"
      "  F1                  overlay: time, part, frames/s, device, keys\n"
      "Exit status:\n"
      "  1    the show ended, or the dialog was cancelled (as the system was designed)\n"
      "  2    any failure: a bad option, bad data, no display, a file not written\n"
      "  255  the system itself gave up (no Direct3D, no display mode chosen)\n";
  return out;
}

std::optional<HostOptions> ParseHostOptions(int argc, const char* const* argv, std::string& error) {
  HostOptions o;
  std::set<std::string> given;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::string value;
    bool hasInlineValue = false;
    if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      hasInlineValue = true;
    }
    if (arg == "-h") arg = "--help";
    const OptionRow* row = FindRow(arg);
    if (!row || (hasInlineValue && !row->argument)) {
      error = "unknown option '" + std::string(argv[i]) + "' (see --help)";
      return std::nullopt;
    }
    if (row->argument && !hasInlineValue) {
      if (i + 1 >= argc) {
        error = "option " + arg + " needs a value";
        return std::nullopt;
      }
      value = argv[++i];
    }
    if (!row->set(value, o, error)) return std::nullopt;
    given.insert(arg);
  }
  if (o.help) return o;
  if (!CheckCombinations(given, error)) return std::nullopt;
  if (!o.captureFile.empty()) {
    if (o.device == Device::kNull) {
      error = "--capture needs drawn frames: it cannot go with --device null";
      return std::nullopt;
    }
  }
  if ((given.count("--quality") || given.count("--encoder-preset")) && !o.captureFile.empty() &&
      !IsMp4Capture(o.captureFile)) {
    error = std::string(given.count("--quality") ? "--quality" : "--encoder-preset") +
            " is for an .mp4 capture: an .mkv capture is lossless";
    return std::nullopt;
  }
  // Files of frames step as a video does: a rate the files can be played back at.
  if ((!o.captureFile.empty() || !o.framesDirectory.empty()) && o.fixedStepFps == 0)
    o.fixedStepFps = 60, o.rateNumerator = 60, o.rateDenominator = 1;
  if (o.sizeDesktop && o.headless) {
    error = "--size desktop cannot go with --headless: without a display there is no size to take";
    return std::nullopt;
  }
  if (o.sizeWidth > 0 || o.sizeDesktop) {
    o.width = 640, o.height = 480, o.bitsPerPixel = 32, o.modeGiven = true;
    if (!o.windowed) o.windowed = true;  // full screen only when asked for
  }
  return o;
}

}  // namespace host
