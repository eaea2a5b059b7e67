// The show's scenes played headless in a test process: one 160 x 120 main window, a DxEngine on
// the null device (or the software device for pixel checks), the fixed-step clock, the catalogue
// archive "lab.ac" in a temporary folder that is the current directory, and a Present handler
// that advances the clock and records each frame: the trace lines since the previous Present, the
// timeline time, the cameras of meshes 11, 0 and 17 and room mesh 0, and (software device) the
// pixels.
//
// Three ways to play:
// - Show(keywords, rate, device, slots): the whole start of a show — loading, then slots 0, 1, ...
//   — played once per process and kept; tests read the Recording (loading frames, timed frames,
//   state after each slot).
// - StartShow(keywords, slot, device) then Play(slot, t0, ...): one slot from a given timeline
//   time, after the set-ups of the slots before it, with Escape or a quit message injected after
//   a given number of frames. Loading is slow under the sanitizers, so the null-device show is
//   loaded once per process and reused (its keywords are read afresh, the set-ups run again);
//   software-device shows, whose pixels would carry render state over, are always made anew.
// - LoadShow(keywords, device, archive): a fresh demo whose loading is recorded from its first line.
//
// Process-wide state that carries from show to show (light indices, texture numbers in the trace)
// is looked up, never assumed: lights by `lights[i]->index`, textures by TextureIndex().
//
// With VORNHOLD_SCENE_DUMP set to a folder, software frames are also written there as <t>.ppm.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
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
#include "demo/part_loop.h"
#include "demo/scene_light.h"
#include "engine/dx_engine.h"
#include "platform/d3d8/d3d8_host.h"
#include "platform/present/present.h"
#include "platform/trace/trace.h"
#include "platform/win32/crt.h"
#include "platform/win32/win32_host.h"
#include "support/catalogue_archive.h"

namespace scenetest {

constexpr int kWidth = 160;  // pixels; the 2D space (640 x 480) is scaled by 1/4
constexpr int kHeight = 120;
constexpr int kSlotCount = 10;

// One presented frame.
struct Frame {
  bool timed = false;                 // false: before the timeline started (loading)
  long t = 0;                         // timeline ms as the frame saw it
  std::vector<std::string> lines;     // trace lines since the previous Present
  D3DXVECTOR3 eye11, at11, eye0;      // cameras carried by meshes 11 and 0
  D3DXVECTOR3 eye17, at17;            // ... by mesh 17 (the metal hall)
  D3DXVECTOR3 eyeRoom, atRoom;        // ... by room mesh 0
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first; software device only

  std::uint32_t Pixel(int x, int y) const { return pixels.at(std::size_t(y * kWidth + x)); }
};

// Whitespace-separated fields of a trace line.
inline std::vector<std::string> Fields(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  for (std::string f; in >> f;) out.push_back(f);
  return out;
}

// The frame's lines that begin with `operation`, split into fields.
inline std::vector<std::vector<std::string>> Calls(const Frame& frame, const std::string& operation) {
  std::vector<std::vector<std::string>> out;
  for (const std::string& line : frame.lines) {
    auto f = Fields(line);
    if (!f.empty() && f[0] == operation) out.push_back(std::move(f));
  }
  return out;
}

// How many times the frame draws catalogue mesh `mesh`.
inline std::size_t Draws(const Frame& frame, int mesh) {
  const std::string prefix = "Draw mesh" + std::to_string(mesh) + " ";
  std::size_t n = 0;
  for (const std::string& line : frame.lines)
    if (line.compare(0, prefix.size(), prefix) == 0) ++n;
  return n;
}

// World matrices of the frame's draws of `mesh`, in order.
inline std::vector<D3DXMATRIX> Worlds(const Frame& frame, int mesh) {
  std::vector<D3DXMATRIX> out;
  for (const auto& f : Calls(frame, "Draw")) {
    if (f.at(1) != "mesh" + std::to_string(mesh)) continue;
    D3DXMATRIX m;
    for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = std::stof(f.at(std::size_t(2 + i)));
    out.push_back(m);
  }
  return out;
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

// World-matrix chains as the scenes build them: Chain({a, b, c}) = a x b x c, so the steps act on
// the vertices in the order they are listed.
inline D3DXMATRIX Chain(std::initializer_list<D3DXMATRIX> steps) {
  D3DXMATRIX m;
  D3DXMatrixIdentity(&m);
  for (const D3DXMATRIX& step : steps) D3DXMatrixMultiply(&m, &m, &step);
  return m;
}
inline D3DXMATRIX RotX(float a) { D3DXMATRIX m; return *D3DXMatrixRotationX(&m, a); }
inline D3DXMATRIX RotY(float a) { D3DXMATRIX m; return *D3DXMatrixRotationY(&m, a); }
inline D3DXMATRIX RotZ(float a) { D3DXMATRIX m; return *D3DXMatrixRotationZ(&m, a); }
inline D3DXMATRIX Move(float x, float y, float z) { D3DXMATRIX m; return *D3DXMatrixTranslation(&m, x, y, z); }
inline D3DXMATRIX Grow(float x, float y, float z) { D3DXMATRIX m; return *D3DXMatrixScaling(&m, x, y, z); }
inline D3DXMATRIX Grow(float s) { return Grow(s, s, s); }

// The trace keeps six significant digits: the translation row gets a looser bound.
inline void ExpectMatrixNear(const D3DXMATRIX& got, const D3DXMATRIX& want, const std::string& what) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(got.m[r][c], want.m[r][c], r == 3 ? 1e-4 : 2e-5) << what << " " << r << c;
}

// Part slot `slot` of the demo, through its virtual table as the entry calls it.
inline void RunSlot(Demo& demo, int slot) {
  switch (slot) {
    case 0: demo.PartSlot0(); break;
    case 1: demo.PartSlot1(); break;
    case 2: demo.PartSlot2(); break;
    case 3: demo.PartSlot3(); break;
    case 4: demo.PartSlot4(); break;
    case 5: demo.PartSlot5(); break;
    case 6: demo.PartSlot6(); break;
    case 7: demo.PartSlot7(); break;
    case 8: demo.PartSlot8(); break;
    case 9: demo.PartSlot9(); break;
    default: ADD_FAILURE() << "no slot " << slot;
  }
}

// Catalogue positions of the textures by their trace names ("tex<k>").
using TextureNames = std::map<std::string, int>;

inline int TextureIndex(const TextureNames& names, const std::string& name) {
  const auto it = names.find(name);
  return it == names.end() ? -1 : it->second;
}

// Screen quads with the texture at catalogue position `texture`: x, y, w, h and (for
// DrawScreenQuadAlpha) the alpha, in call order.
inline std::vector<std::vector<double>> Quads(const TextureNames& names, const Frame& frame, int texture,
                                              bool alpha = true) {
  std::vector<std::vector<double>> out;
  for (const auto& f : Calls(frame, alpha ? "DrawScreenQuadAlpha" : "DrawScreenQuad")) {
    if (TextureIndex(names, f.at(5)) != texture) continue;
    std::vector<double> values;
    for (std::size_t i = 1; i < f.size(); ++i)
      if (i != 5) values.push_back(std::stod(f[i]));
    out.push_back(values);
  }
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
  TextureNames textureIndex;
  DWORD startTick = 0;                // as the entry set it before slot 0
  std::vector<ShowState> afterSlot;   // one per slot played
  int randAfterSlots = 0;  // the next rand() after the last slot; seeded with 7 before loading

  int TextureIndex(const std::string& name) const { return scenetest::TextureIndex(textureIndex, name); }
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
  // Alphas of the frame's DrawScreenQuadAlpha quads with the texture at catalogue position
  // `texture`, in order.
  std::vector<double> QuadAlphas(const Frame& frame, int texture) const {
    std::vector<double> out;
    for (const auto& q : Quads(textureIndex, frame, texture)) out.push_back(q.at(4));
    return out;
  }
};

class SceneHarness : public testing::Test {
 protected:
  // Once per process, kept until it ends: a window class registers only once, and the archive
  // serves every test.
  static void SetUpTestSuite() {
    if (g_pCore) return;
    char pattern[] = "/tmp/vornhold-scenes-XXXXXX";
    Folder() = mkdtemp(pattern);
    // Removed at exit, also when a death test's child process ends the program.
    std::atexit([] { std::filesystem::remove_all(Folder()); });
    std::string error;
    ASSERT_TRUE(testsupport::WriteCatalogueArchive(Folder() / "lab.ac", error)) << error;
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
    EndShow();
    DrainMessages();
    d3d8::UseNullDevice(false);
    win32::UseRealClock();
    std::filesystem::current_path(previous_);
  }

  // The show with these keywords, clock rate (frames per second) and device, loaded (the rand()
  // sequence seeded with 7 first) and played through slots 0 .. slots - 1 as the entry plays
  // them; played on first use, then taken from the process's recordings.
  const Recording& Show(const std::string& partFile, double framesPerSecond = 100, bool software = false,
                        int slots = 2) {
    static auto* recordings = new std::map<std::string, Recording>;
    const std::string key = partFile + "|" + std::to_string(framesPerSecond) + (software ? "|ref|" : "|null|") +
                            std::to_string(slots);
    const auto found = recordings->find(key);
    if (found != recordings->end()) return found->second;
    UseClock(framesPerSecond);
    WinSrand(7);
    Recording r;
    r.demo = &LoadShow(partFile, software);
    StartTimeline();
    r.startTick = demo_->startTick;
    for (int slot = 0; slot < slots; ++slot) {
      RunSlot(*demo_, slot);
      r.afterSlot.push_back(Snapshot());
    }
    r.randAfterSlots = WinRand();
    ReadNewLines();
    r.frames = std::move(frames_);
    r.textureIndex = textureIndex_;
    EndShow();
    return recordings->emplace(key, std::move(r)).first->second;
  }

  // A fresh demo reading `partFile` as its "part.txt", with the engine and device up (the
  // software device when `software`), its assets loaded from `archive` at the current clock
  // rate, and the trace and frame records running from the first line LoadAssets writes.
  Demo& LoadShow(const std::string& partFile, bool software = false, const char* archive = "lab.ac") {
    EndShow();
    std::ofstream(Folder() / "part.txt") << partFile;
    BeginRecording();
    NewShow(software, archive);
    return *demo_;
  }

  // What the entry does right before slot 0: the timeline starts now, and frames from here on
  // are timed.
  void StartTimeline() {
    demo_->startTick = GetTickCount();
    timelineStarted_ = true;
  }

  // A demo reading `partFile` as its "part.txt", with the device up (the software device when
  // `software`), its assets loaded and the set-ups of the slots before `slot` done (their loops
  // held off), so that slot `slot` inherits what it would in the show; frames are recorded from
  // the next Present on.
  Demo& StartShow(const std::string& partFile, int slot, bool software = false) {
    EndShow();
    std::ofstream(Folder() / "part.txt") << partFile;
    platform::SetPresentHandler([this](HWND__*, const platform::FrameImage* image) { Record(image); });
    if (!software && KeptShow().demo) {
      g_pDxEngine = KeptShow().engine;
      demo_ = KeptShow().demo;
      demo_->flags = DemoFlags{};
      ApplyPartKeywords("part.txt", demo_->flags);
    } else {
      win32::UseFixedStepClock(1);  // the loading fades take two frames each
      NewShow(software, "lab.ac");
      if (!software) KeptShow() = {g_pDxEngine, demo_};
    }
    NameTextures();
    win32::UseFixedStepClock(framesPerSecond_);
    demo_->running = 1;
    const DemoFlags flags = demo_->flags;
    BYTE* parts = &demo_->flags.part01;
    for (int i = 0; i < kSlotCount; ++i) parts[i] = 0;
    for (int i = 0; i < slot; ++i) RunSlot(*demo_, i);
    demo_->flags = flags;
    BeginRecording();
    timelineStarted_ = true;
    return *demo_;
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
    stopAfter_ = 0;
    DrainMessages();
  }

  // The fixed-step clock for the frames of the parts.
  void UseClock(double framesPerSecond) {
    framesPerSecond_ = framesPerSecond;
    win32::UseFixedStepClock(framesPerSecond);
  }

  // Render states and light enables as the show left them.
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

  ShowState Snapshot() const {
    ShowState st;
    IDirect3DDevice8* device = g_pDxEngine->device;
    device->GetRenderState(D3DRS_LIGHTING, &st.lighting);
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &st.alphaBlend);
    device->GetRenderState(D3DRS_SRCBLEND, &st.srcBlend);
    device->GetRenderState(D3DRS_DESTBLEND, &st.destBlend);
    device->GetRenderState(D3DRS_CULLMODE, &st.cullMode);
    for (int i = 0; i < 4; ++i) {
      st.lightOn[i] = LightOn(i);
      st.light[i] = demo_->lights[i]->light;
    }
    device->GetTransform(D3DTS_PROJECTION, &st.deviceProjection);
    st.engineProjection = g_pDxEngine->projection;
    st.timeline = TimelineMs(*demo_);
    for (int i = 0; i < 20; ++i) {
      st.meshTexture[i] = demo_->meshes[i].texture;
      st.textureEnabled[i] = demo_->meshes[i].textureEnabled;
      st.useView[i] = demo_->meshes[i].useView;
    }
    return st;
  }

  // Catalogue position of a texture named in the trace ("tex<k>"); -1 when unknown.
  int TextureIndex(const std::string& name) const { return scenetest::TextureIndex(textureIndex_, name); }
  std::vector<std::vector<double>> Quads(const Frame& frame, int texture, bool alpha = true) const {
    return scenetest::Quads(textureIndex_, frame, texture, alpha);
  }

  // The frame's operations in order: light records left out, a run of draws as
  // "Draw first..last" (or "Draw mesh3 x10" for one mesh drawn again and again), a field of view
  // as "SetFov", a screen quad as its operation and catalogue texture position.
  std::vector<std::string> Operations(const Frame& f) const {
    std::vector<std::string> ops;
    std::string first, last;
    int run = 0;
    const auto flush = [&] {
      if (run > 1) ops.push_back("Draw " + first + (last != first ? ".." + last : " x" + std::to_string(run)));
      if (run == 1) ops.push_back("Draw " + first);
      run = 0;
    };
    for (const std::string& line : f.lines) {
      const auto fields = Fields(line);
      if (fields[0] == "Draw") {
        if (run++ == 0) first = fields[1];
        last = fields[1];
        continue;
      }
      flush();
      if (fields[0] == "SetLight") continue;
      if (fields[0] == "SetFov")
        ops.push_back(fields[0]);
      else if (fields[0].rfind("DrawScreenQuad", 0) == 0)
        ops.push_back(fields[0] + " " + std::to_string(TextureIndex(fields.at(5))));
      else
        ops.push_back(line);
    }
    flush();
    return ops;
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
  struct KeptEngine {
    DxEngine* engine = nullptr;
    Demo* demo = nullptr;
  };
  static KeptEngine& KeptShow() {
    static KeptEngine show;
    return show;
  }

  // An engine and a demo made anew, the assets loaded (the Present handler set by the caller).
  void NewShow(bool software, const char* archive) {
    d3d8::UseNullDevice(!software);
    g_pDxEngine = new DxEngine();
    EXPECT_EQ(g_pDxEngine->CreateDevice(g_pCore, 1), 1);
    static auto* demos = new std::vector<Demo*>;  // they live until the process ends, as in the show
    demos->push_back(new VariantDemo());
    demo_ = demos->back();
    demo_->archiveName = archive;
    demo_->LoadAssets();
    NameTextures();
  }

  void NameTextures() {
    textureIndex_.clear();
    for (int i = 0; i < g_textureCount; ++i) textureIndex_[trace::NameOf(demo_->textures[i])] = i;
  }

  // A new trace file and an empty frame record, with the Present handler recording.
  void BeginRecording() {
    trace_ = std::tmpfile();
    traceRead_ = 0;
    trace::Open(trace_);
    platform::SetPresentHandler([this](HWND__*, const platform::FrameImage* image) { Record(image); });
    frames_.clear();
    timelineStarted_ = false;
  }

  // Closes the trace file and the Present handler, and ends the engine unless it is the kept
  // null-device show's.
  void EndShow() {
    platform::SetPresentHandler(nullptr);
    trace::Open(nullptr);
    trace_ = nullptr;
    if (g_pDxEngine && g_pDxEngine != KeptShow().engine) {
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
    frame.timed = timelineStarted_;
    frame.t = long(TimelineMs(*demo_));
    if (demo_->meshes) {
      frame.eye11 = demo_->meshes[11].eye;
      frame.at11 = demo_->meshes[11].at;
      frame.eye0 = demo_->meshes[0].eye;
      frame.eye17 = demo_->meshes[17].eye;
      frame.at17 = demo_->meshes[17].at;
    }
    if (demo_->roomMeshes) {
      frame.eyeRoom = demo_->roomMeshes[0].eye;
      frame.atRoom = demo_->roomMeshes[0].at;
    }
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
  bool timelineStarted_ = false;
  double framesPerSecond_ = 100;
  int stopAfter_ = 0;
  bool quit_ = false;
  TextureNames textureIndex_;
};

}  // namespace scenetest
