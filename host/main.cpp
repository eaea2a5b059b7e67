// vornhold: the host. Turns the command line into the platform's settings (window system, clock,
// devices, frame sinks, the dialog's answer) and the trace, then runs the system's entry as the
// operating system would and returns its exit code: 1 after the show or Cancel, -1 (seen as 255)
// where the system gives up; every failure of ours is 2 (host/exit_status.h).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "demo/show_facts.h"
#include "host/dialog_answer.h"
#include "host/exit_status.h"
#include "host/frame_sinks.h"
#include "host/host_options.h"
#include "host/present_router.h"
#include "host/run_stats.h"
#include "host/size_on_screen.h"
#include "host/stop_signals.h"
#include "host/timeline_seek.h"
#include "host/viewer_timeline.h"
#include "host/viewer_window.h"
#include "platform/bass/mp3_check.h"
#include "platform/settings/settings.h"
#include "platform/trace/trace.h"
#include "platform/win32/sdl_window_backend.h"
#include "platform/win32/win32.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/window_backend.h"
#include "resources/compiled_resources.h"
#ifdef __EMSCRIPTEN__
#include <emscripten.h>

#include "host/web/browser_turn.h"
#endif

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

namespace {

using host::kExitFailure;

int Fail(const std::string& message) {
  std::fprintf(stderr, "vornhold: %s\n", message.c_str());
  return kExitFailure;
}

// The sinks of a run that has not finished them: whatever ends the program early (out of memory,
// bad data, a failure deep in the platform) abandons them, so nothing half-written is left.
std::vector<std::unique_ptr<host::FrameSink>>* g_sinks = nullptr;
char* g_reserve = nullptr;

void AbandonSinks() {
  if (g_sinks)
    for (const auto& sink : *g_sinks) sink->Abandon();
  g_sinks = nullptr;
}

// A reserve freed first gives the sinks room to clean up.
void OutOfMemory() {
  delete[] g_reserve;
  g_reserve = nullptr;
  std::fputs("vornhold: out of memory\n", stderr);
  AbandonSinks();
  std::_Exit(kExitFailure);
}

// The window system: a real one, worked by the viewer's keys (`viewer`), or none (`viewer` null).
// A capture needs no window: without a display it runs headless by itself.
bool OpenWindowSystem(host::HostOptions& options, bool capturing, platform::Settings& settings,
                      host::ViewerWindow*& viewer, std::string& error) {
  viewer = nullptr;
  if (!options.headless) {
    auto sdl = std::make_unique<win32::SdlWindowBackend>(
        win32::SdlPresentation{options.sharp, options.display, options.vsync, "Vornhold"});
    if (sdl->Open(error)) {
#ifdef __EMSCRIPTEN__
      settings.windowBackend = std::move(sdl);  // the page has its own controls; a pause would block it
#else
      auto window = std::make_unique<host::ViewerWindow>(std::move(sdl));
      viewer = window.get();
      settings.windowBackend = std::move(window);
#endif
      return true;
    }
    if (error.rfind("no monitor", 0) == 0) return false;
    if (!capturing) {
      error = "no display (" + error + "); use --headless to run without a window";
      return false;
    }
    options.headless = true;
  }
  auto headless = std::make_unique<win32::HeadlessBackend>();
  // The desktop runs in the chosen mode, so a windowed 16-bit run really renders 16-bit.
  headless->SetDesktopMode({options.width, options.height, options.bitsPerPixel, 60});
  settings.windowBackend = std::move(headless);
  return true;
}

// The system asks for HAL first: --device hal takes any OpenGL 3.3; by default only
// hardware-accelerated OpenGL on a display counts, so headless runs and captures keep the
// software device; --device ref refuses HAL.
d3d8::HardwareDevice HardwareChoice(const host::HostOptions& options, bool capturing) {
  if (options.device == host::Device::kHal) return d3d8::HardwareDevice::kAnyOpenGl;
#ifdef __EMSCRIPTEN__
  // The page takes WebGL2 whatever draws it; the software device when it is missing or asked for.
  if (!options.deviceGiven) return d3d8::HardwareDevice::kAnyOpenGl;
#endif
  if ((options.deviceGiven && options.device == host::Device::kRef) || options.device == host::Device::kNull ||
      options.headless || capturing)
    return d3d8::HardwareDevice::kNever;
  return d3d8::HardwareDevice::kAccelerated;
}

// What must hold before anything opens: a capture of a show that ends, with its soundtrack whole.
bool CheckCapture(const host::HostOptions& options, const show::Facts& facts, std::string& error) {
  if (options.escapeAtMs < 0 && !facts.endsByItself) {
    error = "capturing the secret page needs --escape-at: the page has no end";
    return false;
  }
  if (options.silent) return true;  // a video without its soundtrack is not what was asked for
  std::string why;
  const bass::Mp3Check soundtrack = bass::CheckMp3File("lab.mp3", &why);
  if (soundtrack == bass::Mp3Check::kWhole) return true;
  error = "cannot capture: lab.mp3 " + bass::DescribeMp3Check(soundtrack, why);
  return false;
}

// The trace file and the frame folder, made before the show starts.
bool OpenOutputs(const host::HostOptions& options, std::string& error) {
  if (!options.traceFile.empty()) {
    std::FILE* trace = std::fopen(options.traceFile.c_str(), "w");
    if (!trace) {
      error = "cannot write trace file " + options.traceFile;
      return false;
    }
    trace::Open(trace);
  }
  if (!options.framesDirectory.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(options.framesDirectory, ec);
    if (ec) {
      error = "cannot make frame folder " + options.framesDirectory + ": " + ec.message();
      return false;
    }
  }
  return true;
}

// The exit code of a run that has played. In a page, a main that has waited for the browser
// returns to nobody: the program ends explicitly so that the page learns the code.
int AfterTheShow(int code) {
#ifdef __EMSCRIPTEN__
  std::fflush(nullptr);
  emscripten_force_exit(code);
#endif
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  host::InstallStopSignals();
  std::set_new_handler(OutOfMemory);
  g_reserve = new char[1 << 20];
  std::atexit(AbandonSinks);
  std::string error;
  auto parsed = host::ParseHostOptions(argc, argv, error);
  if (!parsed) return Fail(error);
  host::HostOptions& options = *parsed;
  if (options.help) {
    std::fputs(host::HostUsage().c_str(), stdout);
    return 0;
  }

  const bool capturing = !options.captureFile.empty();
#ifdef __EMSCRIPTEN__
  if (capturing) return Fail("a page cannot capture video: --capture is for the desktop program");
#endif
  const show::Facts facts = show::ReadFacts();
  if (capturing && !CheckCapture(options, facts, error)) return Fail(error);
  if (options.startAtMs >= 0 && !facts.endsByItself)
    return Fail("--start-at: the secret page has no timeline to start in");
  // A video that would end before its first frame.
  if (capturing && options.escapeAtMs < 0 && options.startAtMs >= facts.captureEndMs)
    return Fail("--start-at " + std::to_string(options.startAtMs) + " is past the video's end at " +
                std::to_string(facts.captureEndMs) + " ms");
  platform::Settings settings;
  // The live window, which takes the viewer's keys; null on a headless run. Owned by the platform.
  host::ViewerWindow* viewerWindow = nullptr;
  if (!OpenWindowSystem(options, capturing, settings, viewerWindow, error)) return Fail(error);
  std::string sizeNote;
  const auto screen = host::ScreenOf(*settings.windowBackend, options.headless);
  if (!host::SettleSize(options, screen, error, sizeNote)) return Fail(error);
  if (!sizeNote.empty()) std::fprintf(stderr, "vornhold: %s\n", sizeNote.c_str());
  if (!OpenOutputs(options, error)) return Fail(error);
  if (options.headless && options.escapeAtMs < 0 && !capturing && !facts.endsByItself)
    std::fprintf(stderr, "vornhold: the secret page has no end: this headless run plays until a signal ends it\n");

  for (const resources::Resource& r : resources::CompiledResources())
    win32::RegisterResource(r.type, r.id, r.bytes, r.size);
  // Shown when someone is there to answer it; otherwise answered from the options.
  const bool shown = options.dialog || (!host::MakesAChoice(options) && !host::Unattended(options));
  if (!shown) settings.dialogAnswer = host::AnswerFromOptions(options);
  settings.fixedStepFps = options.fixedStepFps;
  settings.clientAreaLimitWidth = options.sizeWidth;
  settings.clientAreaLimitHeight = options.sizeHeight;
  settings.nullDevice = options.device == host::Device::kNull;
  settings.hardwareDevice = HardwareChoice(options, capturing);
  // One thread for the software device, as in a page (for comparisons): VORNHOLD_RASTER_HELPER=off.
  if (const char* helper = std::getenv("VORNHOLD_RASTER_HELPER"); helper && std::string(helper) == "off")
    settings.rasterizerHelper = false;

  std::vector<std::unique_ptr<host::FrameSink>> sinks;
  g_sinks = &sinks;
  if (capturing) {
    sinks.push_back(std::make_unique<host::VideoSink>(
        host::CaptureSettings{options.captureFile, options.sizeWidth, options.sizeHeight, options.rateNumerator,
                              options.rateDenominator, options.silent ? "" : "lab.mp3", options.quality,
                              options.encoderPreset}));
  }
  if (!options.framesDirectory.empty())
    sinks.push_back(std::make_unique<host::PngSink>(options.framesDirectory, options.framesEvery, options.fixedStepFps));
  settings.framePixelsWanted = !sinks.empty();  // files or a video besides the window
  sinks.push_back(std::make_unique<host::WindowSink>());
  if (!facts.partFilePresent)
    std::fprintf(stderr, "vornhold: no part.txt in the current directory: no part will play\n");
  else if (!facts.anyPartPlays)
    std::fprintf(stderr, "vornhold: part.txt names no part: no part will play\n");

  host::RunStats stats;
  host::TimelineSeek seek(options.fixedStepFps);
  host::PresentRouter router({options.escapeAtMs, capturing ? facts.captureEndMs : -1}, sinks,
                             options.stats ? &stats : nullptr, &seek);
  win32::SetTimelineObserver([&seek] { seek.AtFrameStart(); });
  if (options.startAtMs >= 0) seek.SeekTo(options.startAtMs);
  host::ViewerTimeline viewer(seek, facts.endsByItself);
  std::optional<host::HostOptions> answerGiven;  // the dialog's answer, kept for a restart
  // Runs of the entry so far (a restart is another); the window is kept for the next one until
  // its first frame.
  int run = 0, windowKeptFor = -1;
  if (viewerWindow) {
    viewerWindow->SetTimelineKeys(&viewer);
    viewer.SetBeforeRestart([&] {
      viewerWindow->KeepWindowForRestart(true);
      windowKeptFor = run + 1;
    });
  }
  settings.presentHandler = [&](HWND__* window, const platform::FrameImage* image) {
    if (!answerGiven && win32::TimelineOrigin()) answerGiven = host::AnswerAsGiven(options);
    if (windowKeptFor == run) {  // the new run's window has taken it over by now
      viewerWindow->KeepWindowForRestart(false);
      windowKeptFor = -1;
    }
    router.Present(window, image);
    // A pause keeps the show's thread here, on the frame it holds, until the viewer goes on (or
    // ends the show: the Escape is kept for the show, which then ends unpaused).
    if (viewerWindow && viewer.Paused()) {
      viewerWindow->HoldWhile([&viewer] { return viewer.Paused() && !host::StopAsked(); });
      if (viewer.Paused()) viewer.TogglePause();
    }
#ifdef __EMSCRIPTEN__
    host::web::GiveTheBrowserItsTurn(options.vsync && !options.headless);  // no canvas to keep pace with
#endif
  };
  platform::Apply(std::move(settings));
  if (options.escapeAtMs >= 0) win32::ScheduleKeyPress(DWORD(options.escapeAtMs), VK_ESCAPE);

  int result = WinMain(nullptr, nullptr, nullptr, 1);
  // A seek back: the entry ran to its end and runs again, answered as before, to the moment.
  for (long at = 0; viewer.TakeRestart(at) && answerGiven && !host::StopAsked();) {
    seek.Reset();
    show::PrepareAnotherRun();
    win32::ForgetTheRun();
    win32::SetTimelineOrigin(nullptr);
    win32::SetDialogAnswer(host::AnswerFromOptions(*answerGiven));
    seek.SeekTo(at, true);
    ++run;
    result = WinMain(nullptr, nullptr, nullptr, 1);
  }
  trace::Open(nullptr);
  for (const auto& sink : sinks) {
    std::string why;
    if (sink->Finish(why)) continue;
    AbandonSinks();
    return AfterTheShow(Fail(why));
  }
  g_sinks = nullptr;
  if (options.stats) {
    stats.Print();
    if (const std::string line = seek.Summary(); !line.empty()) std::printf("vornhold: %s\n", line.c_str());
  }
  return AfterTheShow(result);
}
