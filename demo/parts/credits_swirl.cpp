// The credits swirl: 126223 ms until 136382 ms, while part09 is set; played without part08, it re-
// bases the timeline to its own start.
//
// A flat grid of 30 x 12 copies of mesh 1, untextured, pushed in depth by a six-petal swirl that
// turns with time; the grid sways about Y and leans back, lit by one blue-green point light. Four
// stages each put a name at the upper left (textures 19 .. 22) and change the field of view;
// three captions (textures 23 .. 25) come later within their stage and go with it, so each stage
// keeps its name alone for a while. The bars (texture 1) frame it all.
//
// Rates are per hundredth of a second (times the frame's delta). The part leaves light 1 on,
// light 0 (and, once stage 3 has run, light 3) off, and its last field of view and shade mode.
#include <cmath>

#include "demo/catalogue_positions.h"
#include "demo/demo.h"
#include "demo/mesh_object.h"
#include "demo/part_loop.h"
#include "demo/part_schedule.h"
#include "demo/parts/scene_kit.h"
#include "demo/scene_light.h"
#include "engine/dx_engine.h"

namespace {

constexpr int kColumns = 30;        // x = -15 .. 14
constexpr int kRows = 12;           // y = -6 .. 5
constexpr float kDegree = 0.0174f;  // the show's degrees to radians, a little short of pi / 180

class CreditsSwirl : public PartScene {
 public:
  explicit CreditsSwirl(Demo& demo) : demo_(demo) {}

  void Setup() override {
    SceneLight& light = *demo_.lights[1];
    SetLightColours(light, kBlack, Rgb{0.0f, 0.6f, 0.9f}, kWhite);
    SetLightPosition(light, 0.0f, 0.0f, 5.0f);
    light.light.Range = 10.5f;
    light.Enable();
    light.light.Attenuation0 = 1.0f;
    light.Apply();
    demo_.lights[0]->Disable();
    demo_.meshes[MeshIndex("qtio.x")].DisableTexture();
    g_pDxEngine->ApplyView();
  }

  void Frame(float delta) override {
    phase_ += 0.01f * delta;
    ChooseCaption();
    ChooseStage();
    const float sway = 10.0f * std::sin(phase_);  // degrees
    BuildHeights();

    g_pDxEngine->Clear();
    g_pDxEngine->SetShadeMode(shade_);
    g_pDxEngine->SetLighting(1);
    g_pDxEngine->SetFov(kDegree * fovDeg_);
    g_pDxEngine->BeginScene();
    GridPass(sway);
    g_pDxEngine->EndScene();
    DrawPictures();
    g_pDxEngine->Set2DMode(0);
    g_pDxEngine->SetAlphaBlend(0);
    g_pDxEngine->Present();
  }

 private:
  std::int32_t Now() const { return TimelineMs(demo_); }

  // Each caption comes a second into its stage and goes a little before the next stage. Caption
  // 4 has no picture.
  void ChooseCaption() {
    const std::int32_t t = Now();
    caption_ = 0;
    if (t >= 128383 && t < 129637) caption_ = 1;
    if (t >= 130763 && t < 131889) caption_ = 2;
    if (t >= 132887 && t < 134130) caption_ = 3;
    if (t >= 135267) caption_ = 4;
  }

  // The stages join without a gap from 127384 on; the stage and the view stay as they were set.
  void ChooseStage() {
    const std::int32_t t = Now();
    if (t >= 127384 && t < 129637) stage_ = 1;
    if (t >= 129637 && t < 131889) {
      fovDeg_ = 110.0f;
      stage_ = 2;
    }
    if (t >= 131889 && t < 134130) {
      fovDeg_ = 85.0f;
      demo_.lights[3]->Disable();
      shade_ = D3DSHADE_GOURAUD;
      stage_ = 3;
    }
    if (t >= 134130) {
      fovDeg_ = 125.0f;
      stage_ = 4;
    }
  }

  // Six petals turning with the phase, growing with the distance from the centre; truncated
  // toward zero. atan2(0, 0) is 0, but the centre's distance is 0 anyway.
  void BuildHeights() {
    for (int y = -6; y < kRows - 6; ++y) {
      for (int x = -15; x < kColumns - 15; ++x) {
        const float d = std::sqrt(float(x * x + y * y));
        const float angle = std::atan2(float(y), float(x));
        height_[y + 6][x + 15] = int(std::cos(6.0f * angle + phase_) * d * 50.0f);
      }
    }
  }

  // Each copy moves to its cell, then the whole grid sways about Y and leans back about X.
  void GridPass(float sway) {
    MeshObject& tile = demo_.meshes[MeshIndex("qtio.x")];
    for (int y = -6; y < kRows - 6; ++y) {
      for (int x = -15; x < kColumns - 15; ++x) {
        tile.Translate(float(x), float(y), float(height_[y + 6][x + 15]) / 256.0f + 2.0f);
        tile.RotateY(kDegree * sway);
        tile.RotateX(-0.1044f);
        tile.Draw(demo_.device);
      }
    }
  }

  void DrawPictures() {
    IDirect3DTexture8** textures = demo_.textures;
    g_pDxEngine->SetAlphaBlend(1);
    g_pDxEngine->SetBlendMode(BlendAlpha);
    g_pDxEngine->Set2DMode(1);
    if (stage_ == 1) g_pDxEngine->DrawScreenQuad(5.0f, 105.0f, 256.0f, 64.0f, textures[TextureIndex("tuvesk.tga")]);
    if (caption_ == 1) g_pDxEngine->DrawScreenQuad(384.0f, 316.0f, 256.0f, 64.0f, textures[TextureIndex("code.tga")]);
    if (stage_ == 2) g_pDxEngine->DrawScreenQuad(5.0f, 105.0f, 512.0f, 64.0f, textures[TextureIndex("plovetta.tga")]);
    if (caption_ == 2) g_pDxEngine->DrawScreenQuad(384.0f, 316.0f, 256.0f, 64.0f, textures[TextureIndex("music.tga")]);
    if (stage_ == 3) g_pDxEngine->DrawScreenQuad(5.0f, 105.0f, 256.0f, 64.0f, textures[TextureIndex("zarnik.tga")]);
    if (caption_ == 3) g_pDxEngine->DrawScreenQuad(384.0f, 316.0f, 256.0f, 64.0f, textures[TextureIndex("3d.tga")]);
    if (stage_ == 4) g_pDxEngine->DrawScreenQuad(5.0f, 105.0f, 256.0f, 256.0f, textures[TextureIndex("oru.tga")]);
    DrawBars(textures[TextureIndex("feidi.tga")]);
  }

  Demo& demo_;
  float phase_ = 0.0f;  // radians
  int stage_ = 0;       // 0 .. 4; 0 shows no name
  int caption_ = 0;     // 0 .. 4, chosen afresh every frame; 0 and 4 show no caption
  float fovDeg_ = 45.0f;
  DWORD shade_ = D3DSHADE_FLAT;
  int height_[kRows][kColumns] = {};
};

}  // namespace

void Demo::PartSlot8() {
  CreditsSwirl scene(*this);
  PartLoop(*this, PartWindow{&flags.part09, &flags.part08, kPartStartMs[8], 136382}, scene);
}
