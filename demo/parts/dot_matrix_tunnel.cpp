// The dot-matrix tunnel: 54172 ms until 72190 ms, while part06 is set; played without part05, it
// re-bases the timeline to its own start.
//
// Between the letterbox bars lies a matrix of 80 x 35 small white dots over a backdrop picture
// (texture 2), each dot's opacity a byte from one of three sources: a tunnel (the 256 x 256 map
// txt2 seen through polar tables that bend with time), the scrolling text bitmap written over it,
// or, in two windows, the frames of the video clip. In front, left of centre, a mesh turns over an
// unlit, slightly larger copy of itself (its halo). Seven beats flash a picture (texture 30); six
// of them step the scene through beats 0 .. 6, which change how the mesh turns and which mesh it
// is; in beat 4 the dots and the lit mesh are drawn as wireframe and the backdrop is left out. The
// part ends with four quick cuts between fixed poses.
//
// Rates are per hundredth of a second (times the frame's delta); angles in radians. The tunnel
// tables are 16.16 fixed point, rebuilt every frame in double precision, so that a dot's texel is
// a shift, an add and a mask. The camera is the stored one (eye (0, 0, 10), field of view 1.479
// from the echo trail). The part leaves the 2D mode on, alpha blending on with BlendAlpha, the
// depth test and lighting on and only light 0 enabled.
#include <cmath>
#include <cstdint>
#include <vector>

#include "demo/asset_catalogue.h"
#include "demo/catalogue_positions.h"
#include "demo/demo.h"
#include "demo/mesh_object.h"
#include "demo/part_loop.h"
#include "demo/part_schedule.h"
#include "demo/parts/scene_kit.h"
#include "demo/scene_light.h"
#include "engine/dx_engine.h"

namespace {

constexpr int kRows = 35;     // g_videoFrameHeight
constexpr int kColumns = 80;  // g_videoFrameWidth
constexpr int kTextColumns = g_tekstiWidth;
constexpr double kAngleScale = 40.76433121019108;  // 128 / 3.14: about 256 texture rows a turn

// The flash picture's moments; each after the first also steps the beat on.
constexpr std::int32_t kBeatTimes[7] = {55286, 57539, 59791, 62043, 64296, 66548, 68800};

// The closing cuts, bounds inclusive: each sets the turn, the dot source and the mesh.
struct Cut {
  std::int32_t from, to;  // ms
  float alpha, beta;      // radians
  int videoOn;
  int meshIndex;
};
constexpr Cut kCuts[4] = {{71053, 71285, 0.0f, 1.0f, 1, MeshIndex("qtio.x")},
                          {71308, 71540, -2.434f, 3.234f, 0, MeshIndex("tapitus.x")},
                          {71563, 71796, 3.3242f, -0.232f, 1, MeshIndex("qtio.x")},
                          {71819, 72028, 4.324f, 1.23f, 0, MeshIndex("tapitus.x")}};

class DotMatrixTunnel : public PartScene {
 public:
  explicit DotMatrixTunnel(Demo& demo) : demo_(demo), tunnelDist_(kRows * kColumns), tunnelAngle_(kRows * kColumns) {}

  void Setup() override {
    if (demo_.flags.lesbian) {
      clip_ = demo_.video01Frames;
      lastFrame_ = float(g_video01FrameCount - 1);
    } else {
      clip_ = demo_.video02Frames;
      lastFrame_ = float(g_video02FrameCount - 1);
    }
    // Ambient, attenuation and range stay as the glowing knot set them.
    SceneLight& light = *demo_.lights[0];
    SetLightDiffuse(light, {0.0f, 0.6f, 0.9f});
    SetLightSpecular(light, kWhite);
    demo_.lights[1]->Disable();
    light.Enable();
  }

  void Frame(float delta) override {
    AdvanceVideo(delta);
    scroll_ += 0.2f * delta;
    textScroll_ += 0.3f * delta;
    FallTo(veil_, 0.0f, 0.002f * delta);
    RiseTo(meshX_, -1.5f, 0.0025f * delta);
    FallTo(flash_, 0.0f, 0.01f * delta);
    TakeBeats();
    ChooseVideo();
    alpha_ += 0.001f * delta;
    beta_ += 0.003f * delta;
    meshIndex_ = beat_ == 3 || beat_ == 5 ? MeshIndex("tapitus.x") : MeshIndex("qtio.x");
    ApplyCuts();
    SceneLight& light = *demo_.lights[0];
    SetLightPosition(light, 1.5f * std::sin(beta_) + 1.0f, 0.0f, 1.5f * std::cos(beta_) + 8.0f);
    light.Apply();
    BuildTunnelTables();

    DrawDots();
    DrawMesh();
    DrawOverlays();
    g_pDxEngine->Present();
  }

 private:
  std::int32_t Now() const { return TimelineMs(demo_); }

  // Steps only after a frame that showed the clip: 20 clip frames a second, back to the first
  // once past the last.
  void AdvanceVideo(float delta) {
    if (!videoOn_) return;
    videoFrame_ += 0.2f * delta;
    if (videoFrame_ > lastFrame_) videoFrame_ = 0.0f;
  }

  // Each beat is taken once, in order; after a long frame several are taken at once.
  void TakeBeats() {
    const std::int32_t t = Now();
    for (int i = 0; i < 7; ++i) {
      if (beatTaken_[i] || t < kBeatTimes[i]) continue;
      beatTaken_[i] = 1;
      if (i > 0) ++beat_;
      flash_ = 1.0f;
    }
  }

  void ChooseVideo() {
    const std::int32_t t = Now();
    videoOn_ = (t >= 57562 && t <= 59768) || (t >= 66548 && t <= 68800) ? 1 : 0;
  }

  void ApplyCuts() {
    const std::int32_t t = Now();
    for (const Cut& cut : kCuts) {
      if (t < cut.from || t > cut.to) continue;
      alpha_ = cut.alpha;
      beta_ = cut.beta;
      videoOn_ = cut.videoOn;
      meshIndex_ = cut.meshIndex;
    }
  }

  // Table point (x, y) = (-320 + 8c, -140 + 8r): the centre x = y = 0 falls between rows 17 and
  // 18 in column 40 and is never on the grid, so the angle is always defined. The distance is
  // bent into k lobes.
  void BuildTunnelTables() {
    const double k = 3.0 * (std::sin(3.0 * double(beta_)) + 1.0);
    for (int r = 0; r < kRows; ++r) {
      for (int c = 0; c < kColumns; ++c) {
        const int x = -320 + 8 * c;
        const int y = -140 + 8 * r;
        const double d = std::sqrt(double(x * x + y * y));
        const double theta = std::atan2(double(x), double(y));
        tunnelDist_[r * kColumns + c] = std::int32_t((d + 65.0 * std::cos(k * theta)) * 65536.0);
        tunnelAngle_[r * kColumns + c] = std::int32_t(theta * kAngleScale * 65536.0);
      }
    }
  }

  // The dot's byte: the clip's while it shows, otherwise the tunnel's texel with the text over it.
  // The same scroll on both texture coordinates moves the texture into the tunnel and turns it.
  BYTE DotByte(int r, int c) const {
    if (videoOn_) return clip_[int(videoFrame_) * g_videoFrameBytes + r * kColumns + c];
    const std::int32_t a = std::int32_t(scroll_);
    const std::uint32_t u = std::uint32_t((tunnelDist_[r * kColumns + c] >> 16) + a) & 0xFF;
    const std::uint32_t v = std::uint32_t((tunnelAngle_[r * kColumns + c] >> 16) + a) & 0xFF;
    BYTE b = demo_.txt2Map[v * 256 + u];
    int column = int(textScroll_) + c;
    if (column < 0) column = 0;
    if (column > kTextColumns - 1) column = kTextColumns - 1;
    const BYTE text = demo_.tekstiBitmap[r * kTextColumns + column];
    if (text != 0) b = text;
    return b;
  }

  // The backdrop (not in beat 4) and 2800 dots, 6 x 6 units on an 8-unit pitch, each with its
  // byte as alpha; beat 4 draws them as outlines.
  void DrawDots() {
    g_pDxEngine->Clear();
    g_pDxEngine->Set2DMode(1);
    g_pDxEngine->SetAlphaBlend(0);
    if (beat_ != 4)
      g_pDxEngine->DrawScreenQuad(0.0f, 0.0f, 640.0f, 480.0f, demo_.textures[TextureIndex("superstar.bmp")]);
    g_pDxEngine->SetAlphaBlend(1);
    g_pDxEngine->SetBlendMode(BlendAlpha);
    if (beat_ == 4) demo_.device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    IDirect3DTexture8* dot = demo_.textures[TextureIndex("white.tga")];
    for (int r = 0; r < kRows; ++r) {
      for (int c = 0; c < kColumns; ++c) {
        const float opacity = float(DotByte(r, c)) / 255.0f;
        g_pDxEngine->DrawScreenQuadAlpha(float(1 + 8 * c), float(101 + 8 * r), 6.0f, 6.0f, dot, opacity);
      }
    }
  }

  // The halo (unlit, 1.1 times larger, always solid), then the lit mesh (wireframe in beat 4).
  void DrawMesh() {
    g_pDxEngine->SetAlphaBlend(0);
    g_pDxEngine->Set2DMode(0);
    SetFillMode(D3DFILL_SOLID);
    g_pDxEngine->SetZBuffer(0);
    g_pDxEngine->SetLighting(0);
    DrawMeshPass(true);
    SetFillMode(D3DFILL_WIREFRAME);
    g_pDxEngine->SetZBuffer(1);
    g_pDxEngine->SetLighting(1);
    DrawMeshPass(false);
    SetFillMode(D3DFILL_SOLID);
  }

  void DrawMeshPass(bool halo) {
    MeshObject& mesh = demo_.meshes[meshIndex_];
    g_pDxEngine->BeginScene();
    mesh.Translate(0.0f, 0.0f, 0.0f);
    if (halo) mesh.Scale(1.1f, 1.1f, 1.1f);
    Turn(mesh);
    mesh.Translate(meshX_, 0.1f, 8.0f);
    mesh.Draw(demo_.device);
    g_pDxEngine->EndScene();
  }

  // Beat 4 switches the fill mode on the device itself; the other beats never touch it.
  void SetFillMode(D3DFILLMODE mode) {
    if (beat_ == 4) demo_.device->SetRenderState(D3DRS_FILLMODE, DWORD(mode));
  }

  void Turn(MeshObject& mesh) const {
    switch (beat_) {
      case 0:
        mesh.RotateZ(beta_);
        mesh.RotateX(0.348f);
        break;
      case 1:
        mesh.RotateY(-beta_);
        mesh.RotateX(alpha_);
        break;
      case 2:
      case 5:
        mesh.RotateY(beta_);
        break;
      case 3:
        mesh.RotateY(beta_);
        mesh.RotateX(1.4f * beta_);
        break;
      case 4:
        mesh.RotateY(beta_);
        mesh.RotateX(alpha_);
        mesh.RotateZ(beta_);
        break;
      default:
        mesh.RotateX(alpha_);
        mesh.RotateY(beta_);
        mesh.RotateZ(3.4f * alpha_);
        break;
    }
  }

  void DrawOverlays() {
    IDirect3DTexture8** textures = demo_.textures;
    g_pDxEngine->Set2DMode(1);
    g_pDxEngine->SetAlphaBlend(1);
    g_pDxEngine->SetBlendMode(BlendAlpha);
    DrawBars(textures[TextureIndex("feidi.tga")]);
    if (flash_ != 0.0f)
      g_pDxEngine->DrawScreenQuadAlpha(128.0f, 112.0f, 512.0f, 256.0f, textures[TextureIndex("tr04.tga")], flash_);
    if (veil_ != 0.0f) DrawVeil(textures[TextureIndex("feidi.tga")], veil_);
  }

  Demo& demo_;
  std::vector<std::int32_t> tunnelDist_;   // 16.16, row-major 35 x 80
  std::vector<std::int32_t> tunnelAngle_;  // 16.16, row-major 35 x 80
  const BYTE* clip_ = nullptr;             // the chosen video set, 2800 bytes a frame
  float lastFrame_ = 0.0f;                 // its last frame number
  float videoFrame_ = 0.0f;                // position in the clip, frames
  float scroll_ = 0.0f;                    // tunnel scroll, texels
  float textScroll_ = -100.0f;             // text column at the first dot column
  float veil_ = 1.0f;                      // opacity of texture 1 over the whole screen
  float meshX_ = -3.0f;                    // slides right to -1.5
  float flash_ = 0.0f;                     // opacity of the beat picture
  float alpha_ = 0.0f, beta_ = 0.0f;       // the mesh's turning, radians
  int beat_ = 0;                           // 0 .. 6
  int beatTaken_[7] = {};
  int videoOn_ = 0;
  int meshIndex_ = MeshIndex("qtio.x");  // or tapitus.x
};

}  // namespace

void Demo::PartSlot5() {
  DotMatrixTunnel scene(*this);
  PartLoop(*this, PartWindow{&flags.part06, &flags.part05, kPartStartMs[5], 72190}, scene);
}
