// A headless show for playing single part slots: one 160 x 120 main window, a DxEngine on the null
// device (or the software device for pixel checks), the fixed-step clock, the catalogue archive
// "lab.ac" in a temporary folder that is the current directory, and a Present handler that
// advances the clock and records each frame with its trace lines, its timeline time and (software
// device) its pixels.
//
// Process-wide state that carries from test to test (light indices, texture numbers in the trace)
// is looked up, never assumed: lights by `demo->lights[i]->index`, textures by TextureIndex().
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "Win32Platform/Window/qv_core.h"
#include "demo/demo.h"
#include "demo/globals.h"
#include "demo/mesh_object.h"
#include "demo/part_loop.h"
#include "demo/scene_light.h"
#include "engine/dx_engine.h"
#include "platform/d3d8/d3d8_host.h"
#include "platform/host_glue/present_hub.h"
#include "platform/win32/win32_host.h"
#include "support/catalogue_archive.h"

namespace scenesb {

constexpr int kWidth = 160;  // pixels; the 2D space (640 x 480) is scaled by 1/4
constexpr int kHeight = 120;

struct Frame {
  long t = 0;                         // timeline ms as the frame saw it
  std::vector<std::string> lines;     // trace lines since the previous Present
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first; software device only

  std::uint32_t Pixel(int x, int y) const { return pixels.at(std::size_t(y * kWidth + x)); }
};

// The catalogue's cube with face normals and a white material, so that lit copies show the
// lights' colours (the catalogue's own cube has no normals and is black wherever it is lit).
inline constexpr char kLitCube[] = R"(xof 0303txt 0032
Mesh {
  8;
  -1.0; -1.0; -1.0;, -1.0; 1.0; -1.0;, 1.0; 1.0; -1.0;, 1.0; -1.0; -1.0;,
  -1.0; -1.0; 1.0;, -1.0; 1.0; 1.0;, 1.0; 1.0; 1.0;, 1.0; -1.0; 1.0;;
  12;
  3; 0, 1, 2;, 3; 0, 2, 3;, 3; 4, 6, 5;, 3; 4, 7, 6;,
  3; 0, 4, 5;, 3; 0, 5, 1;, 3; 3, 2, 6;, 3; 3, 6, 7;,
  3; 1, 5, 6;, 3; 1, 6, 2;, 3; 0, 3, 7;, 3; 0, 7, 4;;
  MeshNormals {
    6;
    0.0; 0.0; -1.0;, 0.0; 0.0; 1.0;, -1.0; 0.0; 0.0;, 1.0; 0.0; 0.0;, 0.0; 1.0; 0.0;, 0.0; -1.0; 0.0;;
    12;
    3; 0, 0, 0;, 3; 0, 0, 0;, 3; 1, 1, 1;, 3; 1, 1, 1;,
    3; 2, 2, 2;, 3; 2, 2, 2;, 3; 3, 3, 3;, 3; 3, 3, 3;,
    3; 4, 4, 4;, 3; 4, 4, 4;, 3; 5, 5, 5;, 3; 5, 5, 5;;
  }
  MeshMaterialList {
    1; 12; 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0;;
    Material { 1.0; 1.0; 1.0; 1.0;; 10.0; 0.0; 0.0; 0.0;; 0.0; 0.0; 0.0;; }
  }
}
)";

// Meshes of the three scenes that get the lit cube: qtio.x, ballo.x, bollo.x.
inline constexpr int kLitCubeMeshes[] = {1, 6, 7};

inline std::vector<std::string> Fields(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  for (std::string f; in >> f;) out.push_back(f);
  return out;
}

// Part slot `slot` (0 .. 5) of the demo, through its virtual table as the entry calls it.
inline void RunSlot(Demo& demo, int slot) {
  switch (slot) {
    case 0: demo.PartSlot0(); break;
    case 1: demo.PartSlot1(); break;
    case 2: demo.PartSlot2(); break;
    case 3: demo.PartSlot3(); break;
    case 4: demo.PartSlot4(); break;
    case 5: demo.PartSlot5(); break;
    default: FAIL() << "no slot " << slot;
  }
}

inline float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline float Length(const D3DXVECTOR3& v) { return std::sqrt(Dot(v, v)); }
// The point p (a row vector with w = 1) times m, without the projective divide.
inline D3DXVECTOR3 TransformPoint(const D3DXVECTOR3& p, const D3DXMATRIX& m) {
  return D3DXVECTOR3(p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41, p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42,
                     p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43);
}
// The translation row of a world matrix: where the model's origin lands.
inline D3DXVECTOR3 Position(const D3DXMATRIX& m) { return D3DXVECTOR3(m._41, m._42, m._43); }

class SceneShow : public testing::Test {
 protected:
  // The archive and the main window are made once per process (a window class registers once)
  // and kept until it ends.
  static void SetUpTestSuite() {
    if (g_pCore) return;
    char pattern[] = "/tmp/vornhold-scenes-b-XXXXXX";
    Folder() = mkdtemp(pattern);
    std::atexit([] { std::filesystem::remove_all(Folder()); });
    testsupport::CatalogueArchiveOptions options;
    for (int mesh : kLitCubeMeshes)
      options.replace[g_meshEntries[mesh]] = testsupport::Bytes(kLitCube, kLitCube + sizeof kLitCube - 1);
    std::string error;
    ASSERT_TRUE(testsupport::WriteCatalogueArchive(Folder() / "lab.ac", options, error)) << error;
    g_pCore = new QvCore();
    g_pCore->Create(kWidth, kHeight, 1, nullptr);
    g_pCore->Show();
  }
  static std::filesystem::path& Folder() {
    static std::filesystem::path folder;
    return folder;
  }

  void SetUp() override {
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(Folder());
    UseClock(100);
  }
  void TearDown() override {
    platform::SetPresentHandler(nullptr);
    platform::TraceOpen(nullptr);
    trace_ = nullptr;
    EndEngine();
    DrainMessages();
    d3d8::UseNullDevice(false);
    win32::UseRealClock();
    std::filesystem::current_path(previous_);
  }

  // A demo reading `partFile` as its "part.txt", with the device up (the software device when
  // `software`), its assets loaded and the set-ups of the slots before `slot` done (their loops
  // held off), so that slot `slot` inherits what it would in the show; frames are recorded from
  // the next Present on.
  //
  // Loading is slow under the sanitizers, so one null-device show is loaded once and reused: its
  // flags are read afresh and the set-ups run again, which set what the parts rely on. Software-
  // device shows, whose pixels would carry render state over, are always made anew.
  Demo& StartShow(const std::string& partFile, int slot, bool software = false) {
    std::ofstream(Folder() / "part.txt") << partFile;
    platform::TraceOpen(nullptr);  // closes the previous show's trace file
    trace_ = nullptr;
    EndEngine();
    platform::SetPresentHandler([this](HWND__*, const platform::FrameImage* image) { Record(image); });
    if (!software && NullShow().demo) {
      g_pDxEngine = NullShow().engine;
      demo_ = NullShow().demo;
      demo_->flags = DemoFlags{};
      ApplyPartKeywords("part.txt", demo_->flags);
    } else {
      d3d8::UseNullDevice(!software);
      g_pDxEngine = new DxEngine();
      EXPECT_EQ(g_pDxEngine->CreateDevice(g_pCore, 1), 1);
      demo_ = new VariantDemo();  // lives until the process ends, as in the show
      Demos().push_back(demo_);
      demo_->archiveName = "lab.ac";
      win32::UseFixedStepClock(1);  // the loading fades take two frames each
      demo_->LoadAssets();
      if (!software) NullShow() = {g_pDxEngine, demo_};
    }
    win32::UseFixedStepClock(framesPerSecond_);
    demo_->running = 1;
    textureIndex_.clear();
    for (int i = 0; i < 70; ++i) textureIndex_[platform::TraceName(demo_->textures[i])] = i;
    const DemoFlags flags = demo_->flags;
    BYTE* parts = &demo_->flags.part01;
    for (int i = 0; i < 10; ++i) parts[i] = 0;
    for (int i = 0; i < slot; ++i) RunSlot(*demo_, i);
    demo_->flags = flags;
    trace_ = std::tmpfile();
    traceRead_ = 0;
    platform::TraceOpen(trace_);
    frames_.clear();
    return *demo_;
  }

  // The fixed-step clock for the frames of the parts (loading runs at 1 frame/s).
  void UseClock(double framesPerSecond) {
    framesPerSecond_ = framesPerSecond;
    win32::UseFixedStepClock(framesPerSecond);
  }

  // Plays part slot `slot` with the timeline at `t0` when it is called (as if the earlier parts
  // had just ended there); the slot re-bases it itself when its predecessor's flag is off. With
  // `stopAfter` > 0, Escape (or with `quit`, PostQuitMessage) is posted once that many frames
  // have been presented.
  void Play(int slot, long t0, int stopAfter = 0, bool quit = false) {
    demo_->startTick = GetTickCount() - DWORD(t0);
    demo_->running = 1;
    stopAfter_ = stopAfter;
    quit_ = quit;
    frames_.clear();
    RunSlot(*demo_, slot);
    DrainMessages();
  }

  // Render states and light enables as the part left them.
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

  // Catalogue position of a texture named in the trace ("tex<k>"); -1 when unknown.
  int TextureIndex(const std::string& name) const {
    const auto it = textureIndex_.find(name);
    return it == textureIndex_.end() ? -1 : it->second;
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
  static std::size_t Draws(const Frame& frame, int mesh) {
    const std::string prefix = "Draw mesh" + std::to_string(mesh) + " ";
    std::size_t n = 0;
    for (const std::string& line : frame.lines)
      if (line.compare(0, prefix.size(), prefix) == 0) ++n;
    return n;
  }
  // World matrices of the frame's draws of `mesh`, in order.
  static std::vector<D3DXMATRIX> Worlds(const Frame& frame, int mesh) {
    std::vector<D3DXMATRIX> out;
    for (const auto& f : Calls(frame, "Draw")) {
      if (f.at(1) != "mesh" + std::to_string(mesh)) continue;
      D3DXMATRIX m;
      for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = std::stof(f.at(std::size_t(2 + i)));
      out.push_back(m);
    }
    return out;
  }
  // Screen quads with the texture at catalogue position `texture`: x, y, w, h and (for
  // DrawScreenQuadAlpha) the alpha, in call order.
  std::vector<std::vector<double>> Quads(const Frame& frame, int texture, bool alpha = true) const {
    std::vector<std::vector<double>> out;
    for (const auto& f : Calls(frame, alpha ? "DrawScreenQuadAlpha" : "DrawScreenQuad")) {
      if (TextureIndex(f.at(5)) != texture) continue;
      std::vector<double> values;
      for (std::size_t i = 1; i < f.size(); ++i)
        if (i != 5) values.push_back(std::stod(f[i]));
      out.push_back(values);
    }
    return out;
  }

  // Trace lines written since the last Present, not part of any frame yet.
  std::vector<std::string> PendingLines() { return ReadNewLines(); }

  const Frame* At(long t) const {
    for (const Frame& f : frames_)
      if (f.t == t) return &f;
    return nullptr;
  }

  std::vector<Frame> frames_;
  Demo* demo_ = nullptr;

 private:
  struct LoadedShow {
    DxEngine* engine = nullptr;
    Demo* demo = nullptr;
  };
  static LoadedShow& NullShow() {
    static LoadedShow show;
    return show;
  }
  static std::vector<Demo*>& Demos() {
    static auto* demos = new std::vector<Demo*>;  // reachable until the process ends
    return *demos;
  }

  // Ends the current engine unless it is the kept null-device show's.
  static void EndEngine() {
    if (g_pDxEngine && g_pDxEngine != NullShow().engine) {
      g_pDxEngine->Shutdown();
      delete g_pDxEngine;
    }
    g_pDxEngine = nullptr;
  }

  static void DrainMessages() {
    MSG leftover;
    while (PeekMessageA(&leftover, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  // With VORNHOLD_SCENE_DUMP set to a folder, software frames are also written there as
  // <t>.ppm, for looking at a scene by eye.
  static void DumpForViewing(const Frame& frame, const platform::FrameImage& image) {
    const char* folder = std::getenv("VORNHOLD_SCENE_DUMP");
    if (!folder) return;
    std::ofstream out(std::filesystem::path(folder) / (std::to_string(frame.t) + ".ppm"), std::ios::binary);
    out << "P6\n" << image.width << " " << image.height << "\n255\n";
    for (std::uint32_t p : image.xrgb) out << char(p >> 16) << char(p >> 8) << char(p);
  }

  std::vector<std::string> ReadNewLines() {
    std::vector<std::string> lines;
    if (!trace_) return lines;
    std::fflush(trace_);
    std::fseek(trace_, traceRead_, SEEK_SET);
    std::string line;
    for (int c; (c = std::fgetc(trace_)) != EOF;) {
      if (c != '\n') {
        line.push_back(char(c));
        continue;
      }
      lines.push_back(line);
      line.clear();
    }
    traceRead_ = std::ftell(trace_);
    return lines;
  }

  void Record(const platform::FrameImage* image) {
    Frame frame;
    frame.lines = ReadNewLines();
    frame.t = long(std::int32_t(GetTickCount() - demo_->startTick));
    if (image) {
      frame.pixels = image->xrgb;
      DumpForViewing(frame, *image);
    }
    frames_.push_back(std::move(frame));
    if (stopAfter_ > 0 && int(frames_.size()) == stopAfter_) {
      if (quit_)
        PostQuitMessage(0);
      else
        PostMessageA(g_pCore->m_hWnd, WM_KEYDOWN, 27, 0);
    }
    win32::AdvanceClockOneFrame();
  }

  std::filesystem::path previous_;
  std::FILE* trace_ = nullptr;  // owned by the trace once opened
  long traceRead_ = 0;
  double framesPerSecond_ = 100;
  int stopAfter_ = 0;
  bool quit_ = false;
  std::map<std::string, int> textureIndex_;
};

}  // namespace scenesb
