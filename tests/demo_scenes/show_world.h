// The show's world for scene tests, in this process: one headless 160 x 120 main window, a
// DxEngine on the null device (or the software device for pixel checks), the fixed-step clock, the
// catalogue archive "lab.ac" in a temporary folder that is the current directory, and a Present
// handler that advances the clock, writes the trace's Present line and records each frame: the
// trace lines before it, the timeline time, chosen scene-object state and (software device) pixels.
//
// Loading the catalogue is the slow part (under the sanitizers about a second), so a show with
// given keywords, clock rate and device is played once per process (slots 0 and 1 after loading)
// and recorded; tests read the recording. Process-wide state that carries from show to show (the
// light-index counter, texture numbers in the trace) is never assumed: lights are named by
// `lights[i]->index` and textures through Recording::TextureIndex().
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
#include "platform/win32/crt.h"
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

// Device, scene-object and timeline state at one moment of a show.
struct ShowState {
  DWORD lighting = 0, alphaBlend = 0, srcBlend = 0, destBlend = 0, cullMode = 0;
  bool lightOn[4] = {};
  D3DLIGHT8 light[4] = {};
  D3DXMATRIX deviceProjection, engineProjection;
  std::int32_t timeline = 0;  // ms
  IDirect3DTexture8* meshTexture[20] = {};
  BYTE textureEnabled[20] = {};
  BYTE useView[20] = {};
};

// A show played once: every frame from the first loading frame, and the state after each slot.
struct Recording {
  Demo* demo = nullptr;  // alive until the process ends, with its buffers (its device is gone)
  std::vector<Frame> frames;
  std::map<std::string, int> textureIndex;  // "tex<k>" -> catalogue position
  DWORD startTick = 0;                      // as the entry set it before slot 0
  ShowState afterSlot0, afterSlot1;
  int randAfterSlots = 0;  // the next rand() after slot 1; the sequence was seeded with 7 before loading

  int TextureIndex(const std::string& name) const {
    const auto it = textureIndex.find(name);
    return it == textureIndex.end() ? -1 : it->second;
  }
  std::vector<const Frame*> TimedFrames() const {
    std::vector<const Frame*> out;
    for (const Frame& f : frames)
      if (f.timed) out.push_back(&f);
    return out;
  }
  const Frame* At(long t) const {
    for (const Frame& f : frames)
      if (f.timed && f.t == t) return &f;
    return nullptr;
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
};

// The frame's lines that begin with `operation`, split into fields.
inline std::vector<std::vector<std::string>> Calls(const Frame& frame, const std::string& operation) {
  std::vector<std::vector<std::string>> out;
  for (const std::string& line : frame.lines) {
    auto f = Fields(line);
    if (!f.empty() && f[0] == operation) out.push_back(std::move(f));
  }
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
    StopShow();
    MSG leftover;
    while (PeekMessageA(&leftover, nullptr, 0, 0, PM_REMOVE)) {
    }
    d3d8::UseNullDevice(false);
    win32::UseRealClock();
    std::filesystem::current_path(previous_);
  }

  // The show with these keywords, clock rate (frames per second) and device, loaded and played
  // through slots 0 and 1; played on first use, then taken from the process's recordings.
  const Recording& Show(const std::string& partFile, double framesPerSecond = 100, bool software = false) {
    static std::map<std::string, Recording>* recordings = new std::map<std::string, Recording>;
    const std::string key = partFile + "|" + std::to_string(framesPerSecond) + (software ? "|ref" : "|null");
    auto found = recordings->find(key);
    if (found != recordings->end()) return found->second;
    win32::UseFixedStepClock(framesPerSecond);
    WinSrand(7);
    Recording r;
    r.demo = &StartShow(partFile, software);
    StartTimeline();
    r.startTick = demo_->startTick;
    demo_->PartSlot0();
    r.afterSlot0 = Snapshot();
    demo_->PartSlot1();
    r.afterSlot1 = Snapshot();
    r.randAfterSlots = WinRand();
    ReadNewLines();
    r.frames = std::move(frames_);
    r.textureIndex = textureIndex_;
    StopShow();
    return recordings->emplace(key, std::move(r)).first->second;
  }

  void StopShow() {
    platform::SetPresentHandler(nullptr);
    platform::TraceOpen(nullptr);
    if (g_pDxEngine) {
      g_pDxEngine->Shutdown();
      delete g_pDxEngine;
      g_pDxEngine = nullptr;
    }
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
    static std::vector<Demo*>* demos = new std::vector<Demo*>;
    demos->push_back(new VariantDemo());
    demo_ = demos->back();
    demo_->archiveName = archive;
    trace_ = std::tmpfile();
    platform::TraceOpen(trace_);
    platform::SetPresentHandler([this](HWND__*, const platform::FrameImage* image) { Record(image); });
    frames_.clear();
    textureIndex_.clear();
    traceRead_ = 0;
    timelineStarted_ = false;
    demo_->LoadAssets();
    return *demo_;
  }

  // What the entry does right before slot 0.
  void StartTimeline() {
    demo_->startTick = GetTickCount();
    timelineStarted_ = true;
  }

  ShowState Snapshot() const {
    ShowState st;
    IDirect3DDevice8* device = g_pDxEngine->device;
    device->GetRenderState(D3DRS_LIGHTING, &st.lighting);
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &st.alphaBlend);
    device->GetRenderState(D3DRS_SRCBLEND, &st.srcBlend);
    device->GetRenderState(D3DRS_DESTBLEND, &st.destBlend);
    device->GetRenderState(D3DRS_CULLMODE, &st.cullMode);
    for (int i = 0; i < 4; ++i) {
      BOOL on = FALSE;
      device->GetLightEnable(DWORD(demo_->lights[i]->index), &on);
      st.lightOn[i] = on != FALSE;
      st.light[i] = demo_->lights[i]->light;
    }
    device->GetTransform(D3DTS_PROJECTION, &st.deviceProjection);
    st.engineProjection = g_pDxEngine->projection;
    st.timeline = std::int32_t(GetTickCount() - demo_->startTick);
    for (int i = 0; i < 20; ++i) {
      st.meshTexture[i] = demo_->meshes[i].texture;
      st.textureEnabled[i] = demo_->meshes[i].textureEnabled;
      st.useView[i] = demo_->meshes[i].useView;
    }
    return st;
  }

  std::vector<Frame> frames_;
  Demo* demo_ = nullptr;
  std::map<std::string, int> textureIndex_;

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
};

}  // namespace scenetest
