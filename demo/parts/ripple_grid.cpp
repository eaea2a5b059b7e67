// The ripple grid: 45162 ms until 50793 ms, while part04 is set; played without part03, it re-
// bases the timeline to its own start.
//
// A flat grid of 30 x 12 copies of mesh 1 faces the viewer; every frame each copy is pushed in
// depth by an integer height from an animated pattern: a five-petal swirl (stages 1 and 3),
// ripples from a centre below the grid (stages 2 and 4), a six-petal swirl with a spike at its
// centre (stage 5). The stage, the grid's turning, the field of view and the picture beside the
// grid (textures 43 .. 45) change at fixed times, between the letterbox bars and under a veil of
// texture 1 that thins at the start and thickens again at the end.
//
// Rates are per hundredth of a second (times the frame's delta); angles in radians; the field of
// view is kept in degrees and converted with 0.0174. The part sets up light 1 but enables none,
// sets neither depth test nor culling, and leaves alpha blending off.
#include <cmath>
#include <cstdint>

#include "demo/catalogue_positions.h"
#include "demo/demo.h"
#include "demo/mesh_object.h"
#include "demo/part_loop.h"
#include "demo/part_schedule.h"
#include "demo/parts/scene_kit.h"
#include "demo/scene_light.h"
#include "engine/dx_engine.h"

namespace {

constexpr int kColumns = 30;
constexpr int kRows = 12;

class RippleGrid : public PartScene {
 public:
  explicit RippleGrid(Demo& demo) : demo_(demo) {}

  void Setup() override {
    SceneLight& light = *demo_.lights[1];
    SetLightDiffuse(light, {0.0f, 0.6f, 0.9f});
    SetLightPosition(light, 0.0f, 0.0f, 5.0f);
    light.light.Range = 24.0f;
    light.Apply();
  }

  void Frame(float delta) override {
    phase_ += 0.01f * delta;
    MoveVeil(delta);
    ChooseStage();
    RiseWhileBelow(sway_, 10.0f, 0.024f * delta);
    BuildHeights();
    Turn(delta);

    g_pDxEngine->Clear();
    g_pDxEngine->SetFov(0.0174f * fovDeg_);
    g_pDxEngine->BeginScene();
    MeshObject& tile = demo_.meshes[MeshIndex("qtio.x")];
    for (int i = 0; i < kRows; ++i) {
      for (int j = 0; j < kColumns; ++j) {
        tile.Translate(float(j - 15), float(i - 6), float(height_[i][j]) / 256.0f + 2.0f);
        tile.RotateY(ry_);
        tile.RotateX(rx_);
        tile.RotateZ(rz_);
        tile.Draw(demo_.device);
      }
    }
    g_pDxEngine->EndScene();

    IDirect3DTexture8** textures = demo_.textures;
    g_pDxEngine->SetAlphaBlend(1);
    g_pDxEngine->SetBlendMode(BlendAlpha);
    g_pDxEngine->Set2DMode(1);
    // Opaque white: the picture's own alpha blends.
    if (stage_ == 1 || stage_ == 5)
      g_pDxEngine->DrawScreenQuad(0.0f, 100.0f, 256.0f, 256.0f, textures[TextureIndex("p4_01.tga")]);
    else if (stage_ == 2)
      g_pDxEngine->DrawScreenQuad(0.0f, 124.0f, 128.0f, 256.0f, textures[TextureIndex("p4_02.tga")]);
    else
      g_pDxEngine->DrawScreenQuad(128.0f, 124.0f, 512.0f, 256.0f, textures[TextureIndex("p4_03.tga")]);
    DrawBars(textures[TextureIndex("feidi.tga")]);
    if (veil_ != 0.0f) DrawVeil(textures[TextureIndex("feidi.tga")], veil_);
    g_pDxEngine->Set2DMode(0);
    g_pDxEngine->SetAlphaBlend(0);
    g_pDxEngine->Present();
  }

 private:
  std::int32_t Now() const { return TimelineMs(demo_); }

  // Falls until 46800 ms (only to about 0.18 from the part's start), rises from 49899 ms.
  void MoveVeil(float delta) {
    if (Now() < 46800) FallTo(veil_, 0.0f, 0.005f * delta);
    if (Now() >= 49899) RiseTo(veil_, 1.0f, 0.005f * delta);
  }

  // Bounds inclusive; before 46300 ms the stage stays 1.
  void ChooseStage() {
    const std::int32_t t = Now();
    if (t >= 46300 && t <= 47298) {
      stage_ = 2;
      fovDeg_ = 120.0f;
    } else if (t >= 47299 && t <= 48551) {
      stage_ = 3;
      fovDeg_ = 90.0f;
    } else if (t >= 48552 && t <= 49689) {
      stage_ = 4;
      fovDeg_ = 65.0f;
    } else if (t >= 49690) {
      stage_ = 5;
      fovDeg_ = 90.0f;
    }
  }

  // Integer heights, truncated toward zero, around a centre that may lie off the grid.
  void BuildHeights() {
    const bool ripples = stage_ == 2 || stage_ == 4;
    const int ci = ripples ? -12 : int((std::sin(2.0f * phase_) + 1.0f) * 6.0f);
    const float cjWave = ripples ? std::cos(2.5f * phase_) : std::cos(1.5f * phase_);
    const int cj = int((cjWave + 1.0f) * 15.0f);
    for (int i = 0; i < kRows; ++i) {
      for (int j = 0; j < kColumns; ++j) {
        const int y = i - ci;
        const int x = j - cj;
        const float d = std::sqrt(float(x * x + y * y));
        const float angle = (x == 0 && y == 0) ? 0.0f : std::atan2(float(y), float(x));
        int h = 0;
        if (ripples)
          h = int(d * (24.0f * std::sin(std::cos(4.4f * phase_)) + 6.5f * std::cos(d)));
        else if (stage_ == 5)
          h = d == 0.0f ? 0 : int(96.0f * std::sin(6.0f * angle - phase_) + 500.0f / d);
        else
          h = int(40.0f * d * std::cos(5.0f * angle + phase_));
        height_[i][j] = h;
      }
    }
  }

  // Stages 1 and 5 set the turn outright; stages 2 to 4 carry on from what the last stage left.
  void Turn(float delta) {
    switch (stage_) {
      case 1:
      case 5:
        rx_ = -0.1044f;
        rz_ = 0.0f;
        ry_ = 0.0174f * sway_;
        break;
      case 2:
        rx_ += 0.001f * delta;
        ry_ -= 0.002f * delta;
        rz_ += 0.0001f * delta;
        break;
      case 3:
        rx_ -= 0.002f * delta;
        ry_ += 0.001f * delta;
        rz_ += 0.00053f * delta;
        break;
      case 4:
        rx_ += 0.0025f * delta;
        rz_ -= 0.002f * delta;
        ry_ -= 0.0012f * delta;
        break;
    }
  }

  Demo& demo_;
  float phase_ = 0.0f;   // pattern phase r, radians
  float veil_ = 1.0f;    // opacity of texture 1 over the whole screen
  float sway_ = -10.0f;  // P; stages 1 and 5 turn the grid by 0.0174 P about Y
  float rx_ = 0.0f, ry_ = 0.0f, rz_ = 0.0f;  // turn of the whole grid, radians
  int stage_ = 1;
  float fovDeg_ = 90.0f;
  int height_[kRows][kColumns] = {};
};

}  // namespace

void Demo::PartSlot3() {
  RippleGrid scene(*this);
  PartLoop(*this, PartWindow{&flags.part04, &flags.part03, kPartStartMs[3], 50793}, scene);
}
