// The show's world for scene tests, in this process: one headless 160 x 120 main window, a
// DxEngine on the null device (or the software device for pixel checks), the fixed-step clock, the
// catalogue archive "lab.ac" in a temporary folder that is the current directory, and a Present
// handler that advances the clock, writes the trace's Present line and records each frame: the
// trace lines before it, the timeline time, chosen scene-object state and (software device) pixels.
//
// Process-wide state that carries from test to test (the light-index counter, texture numbers in
// the trace, rand()'s sequence) is never assumed: tests name lights by `demo->lights[i]->index` and
// textures through TextureIndex().
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "Win32Platform/Window/qv_core.h"
#include "demo/demo.h"
#include "demo/globals.h"
#include "demo/mesh_object.h"
#include "demo/scene_light.h"
#include "engine/dx_engine.h"
#include "platform/d3d8/d3d8_host.h"
#include "platform/host_glue/present_hub.h"
#include "platform/win32/win32_host.h"
#include "support/catalogue_archive.h"

namespace scenetest {

constexpr int kScreenWidth = 160;   // pixels; the 2D space (640 x 480) is scaled by 1/4
constexpr int kScreenHeight = 120;

// One presented frame.
struct Frame {
  bool timed = false;  // false: before the timeline started (loading)
  long t = 0;          // timeline ms as the frame saw it
  std::vector<std::string> lines;  // trace lines since the previous Present
  D3DXVECTOR3 eye11, at11, eye0;   // cameras carried by meshes 11 and 0
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first; software device only
};

// Whitespace-separated fields of a trace line.
inline std::vector<std::string> Fields(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  for (std::string f; in >> f;) out.push_back(f);
  return out;
}

class ShowWorld : public testing::Test {
 protected:
  // Once per process: a window class registers only once, and the archive serves every test.
  static void SetUpTestSuite() {
    if (!Folder().empty()) return;
    char pattern[] = "/tmp/vornhold-scenes-XXXXXX";
    Folder() = mkdtemp(pattern);
    // Removed at exit, also when a death test's child process ends the program.
    static const int removal = std::atexit([] { std::filesystem::remove_all(Folder()); });
    (void)removal;
    std::string error;
    ASSERT_TRUE(testsupport::WriteCatalogueArchive(Folder() / "lab.ac", error)) << error;
    g_pCore = new QvCore();
    g_pCore->Create(kScreenWidth, kScreenHeight, 1, nullptr);
    g_pCore->Show();
  }
  static std::filesystem::path& Folder() {
    static std::filesystem::path folder;
    return folder;
  }

  void SetUp() override {
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(Folder());
    win32::UseFixedStepClock(100);
  }
  void TearDown() override {
    platform::SetPresentHandler(nullptr);
    platform::TraceOpen(nullptr);
    if (g_pDxEngine) {
      g_pDxEngine->Shutdown();
      delete g_pDxEngine;
      g_pDxEngine = nullptr;
    }
    MSG leftover;
    while (PeekMessageA(&leftover, nullptr, 0, 0, PM_REMOVE)) {
    }
    d3d8::UseNullDevice(false);
    win32::UseRealClock();
    std::filesystem::current_path(previous_);
  }

  // A demo reading `partFile` as its "part.txt", with the engine and device up (software device
  // when `software`), its assets loaded from `archive`, and the trace and frame records running
  // from the first line LoadAssets writes.
  Demo& StartShow(const std::string& partFile, bool software = false, const char* archive = "lab.ac") {
    std::ofstream(Folder() / "part.txt") << partFile;
    d3d8::UseNullDevice(!software);
    g_pDxEngine = new DxEngine();
    EXPECT_EQ(g_pDxEngine->CreateDevice(g_pCore, 1), 1);
    // The demo and its assets live until the process ends, as in the show.
    static std::vector<Demo*> demos;
    demos.push_back(new VariantDemo());
    demo_ = demos.back();
    demo_->archiveName = archive;
    trace_ = std::tmpfile();
    platform::TraceOpen(trace_);
    platform::SetPresentHandler([this](HWND__*, const platform::FrameImage* image) { Record(image); });
    frames_.clear();
    timelineStarted_ = false;
    demo_->LoadAssets();
    return *demo_;
  }

  // What the entry does right before slot 0.
  void StartTimeline() {
    demo_->startTick = GetTickCount();
    timelineStarted_ = true;
  }

  // Trace lines written since the last Present (or the start), not yet part of a frame.
  std::vector<std::string> PendingLines() { return ReadNewLines(); }

  // Catalogue position of a texture named in the trace ("tex<k>"), from the order in which this
  // show created them; -1 when unknown.
  int TextureIndex(const std::string& name) const {
    const auto it = textureIndex_.find(name);
    return it == textureIndex_.end() ? -1 : it->second;
  }

  std::vector<const Frame*> TimedFrames() const {
    std::vector<const Frame*> out;
    for (const Frame& f : frames_)
      if (f.timed) out.push_back(&f);
    return out;
  }

  DWORD RenderState(D3DRENDERSTATETYPE state) const {
    DWORD value = 0;
    g_pDxEngine->device->GetRenderState(state, &value);
    return value;
  }
  bool LightOn(int light) const {
    BOOL on = FALSE;
    g_pDxEngine->device->GetLightEnable(DWORD(demo_->lights[light]->index), &on);
    return on != FALSE;
  }

  // Alphas of the frame's DrawScreenQuadAlpha lines that use the texture at catalogue position
  // `texture`, in order.
  std::vector<double> QuadAlphas(const Frame& frame, int texture) const {
    std::vector<double> out;
    for (const std::string& line : frame.lines) {
      const auto f = Fields(line);
      if (f.size() == 7 && f[0] == "DrawScreenQuadAlpha" && TextureIndex(f[5]) == texture)
        out.push_back(std::stod(f[6]));
    }
    return out;
  }

  // The frame's lines that begin with `operation`, split into fields.
  static std::vector<std::vector<std::string>> Calls(const Frame& frame, const std::string& operation) {
    std::vector<std::vector<std::string>> out;
    for (const std::string& line : frame.lines) {
      auto f = Fields(line);
      if (!f.empty() && f[0] == operation) out.push_back(std::move(f));
    }
    return out;
  }

  std::vector<Frame> frames_;
  Demo* demo_ = nullptr;

 private:
  std::vector<std::string> ReadNewLines() {
    std::vector<std::string> lines;
    std::fflush(trace_);
    std::fseek(trace_, traceRead_, SEEK_SET);
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, trace_)) {
      std::string line(buffer);
      if (!line.empty() && line.back() == '\n') line.pop_back();
      const auto f = Fields(line);
      if (f.size() == 3 && f[0] == "CreateTextureFromMemory") {
        const int k = int(textureIndex_.size());
        textureIndex_[f[2]] = k;
      }
      lines.push_back(line);
    }
    traceRead_ = std::ftell(trace_);
    return lines;
  }

  void Record(const platform::FrameImage* image) {
    Frame frame;
    frame.lines = ReadNewLines();
    frame.timed = timelineStarted_;
    frame.t = long(std::int32_t(GetTickCount() - demo_->startTick));
    if (demo_->meshes) {
      frame.eye11 = demo_->meshes[11].eye;
      frame.at11 = demo_->meshes[11].at;
      frame.eye0 = demo_->meshes[0].eye;
    }
    if (image) frame.pixels = image->xrgb;
    frames_.push_back(std::move(frame));
    win32::AdvanceClockOneFrame();
  }

  std::filesystem::path previous_;
  std::FILE* trace_ = nullptr;  // owned by the trace once opened
  long traceRead_ = 0;
  bool timelineStarted_ = false;
  std::map<std::string, int> textureIndex_;
};

}  // namespace scenetest
