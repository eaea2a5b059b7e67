// The ball column: 36083 ms until 45162 ms, while part03 is set; played without part02, it re-
// bases the timeline to its own start.
//
// A column of spinning, flat-shaded balls (mesh 6) stacked in fifteen pulsing rings. Four times
// the column gives way to one tilted ring of fifteen balls, each drawn over an unlit, slightly
// larger copy of itself (its halo), with a picture (texture 28) in front. A second picture
// (texture 29) flickers in and then stays; the part ends with a fast fade to the colour of the
// bars (texture 1).
//
// Rates are per hundredth of a second (times the frame's delta); angles in radians. The ring
// angles step by the float 0.4176, not 2 pi / 15. The part leaves flat shading, lighting and alpha
// blending on.
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

constexpr int kBalls = 15;          // per ring, and rings per column
constexpr float kRingStep = 0.4176f;  // radians between neighbouring balls and rings

class BallColumn : public PartScene {
 public:
  explicit BallColumn(Demo& demo) : demo_(demo) {}

  void Setup() override {
    for (int i = 0; i < kBalls; ++i) {
      const float theta = kRingStep * float(i);
      cs_[i] = 3.0f * std::cos(theta);
      sn_[i] = 3.0f * std::sin(theta);
      h_[i] = -7.5f + float(i);
    }
    SetLightColours(*demo_.lights[2], kBlack, Grey(0.8f), kWhite);
    SetLightReach(*demo_.lights[2], 1.0f, 2.0f);
    demo_.lights[2]->Enable();
    g_pDxEngine->SetLighting(1);
    g_pDxEngine->SetShadeMode(D3DSHADE_FLAT);
  }

  void Frame(float delta) override {
    Spin(delta);
    SetLightPosition(*demo_.lights[2], 2.0f, 0.1f, 6.0f);
    demo_.lights[2]->Apply();
    if (Now() > 44778) RiseTo(fade_, 1.0f, 0.26f * delta);
    ChooseMode();
    Flicker(delta);

    g_pDxEngine->Clear();
    g_pDxEngine->Set2DMode(0);  // the stored camera, and the field of view the glowing knot set
    g_pDxEngine->SetAlphaBlend(0);
    if (ringMode_) {
      g_pDxEngine->SetLighting(0);
      g_pDxEngine->SetZBuffer(0);
      g_pDxEngine->BeginScene();
      RingPass(true);
      g_pDxEngine->EndScene();
      g_pDxEngine->SetLighting(1);
      g_pDxEngine->SetZBuffer(1);
      g_pDxEngine->BeginScene();
      RingPass(false);
      g_pDxEngine->EndScene();
    } else {
      g_pDxEngine->BeginScene();
      ColumnPass();
      g_pDxEngine->EndScene();
    }
    DrawOverlays();
    g_pDxEngine->Present();
  }

  // Also when the loop never ran.
  void Finish() override {
    g_pDxEngine->Set2DMode(0);
    demo_.lights[2]->Disable();
  }

 private:
  std::int32_t Now() const { return TimelineMs(demo_); }

  // From 42016 to 42537 ms the spin reverses and the ring contracts; R has no lower clamp.
  void Spin(float delta) {
    const std::int32_t t = Now();
    if (t >= 42016 && t <= 42537) {
      alpha_ -= 0.01f * delta;
      radius_ -= 0.017f * delta;
    } else {
      alpha_ += 0.008f * delta;
      beta_ += 0.01f * delta;
      gamma_ += 0.0053f * delta;
      RiseTo(radius_, 1.0f, 0.015f * delta);
    }
  }

  // 41759 ms belongs to neither list: the mode stays as it was.
  void ChooseMode() {
    const std::int32_t t = Now();
    if ((t >= 37291 && t < 38266) || (t >= 39543 && t < 40658) || (t >= 41760 && t < 42782) || t >= 44063)
      ringMode_ = 1;
    if ((t >= 38266 && t < 39543) || (t >= 40658 && t < 41759) || (t >= 42782 && t < 44063)) ringMode_ = 0;
  }

  void Flicker(float delta) {
    const std::int32_t t = Now();
    if (t >= 38038 && t <= 41309) {
      RiseTo(flickerAmp_, 0.5f, 0.0021f * delta);
      flickerAlpha_ = (std::cos(100.0f * alpha_) + 1.0f) * flickerAmp_;
      ClampToUnit(flickerAlpha_);
    }
    if (t >= 41310) flickerAlpha_ = 1.0f;
  }

  void DrawOverlays() {
    IDirect3DTexture8** textures = demo_.textures;
    g_pDxEngine->SetAlphaBlend(1);
    g_pDxEngine->SetBlendMode(BlendAlpha);
    g_pDxEngine->Set2DMode(1);
    if (ringMode_)
      g_pDxEngine->DrawScreenQuadAlpha(64.0f, 112.0f, 512.0f, 256.0f, textures[TextureIndex("tr02.tga")], 1.0f);
    DrawBars(textures[TextureIndex("feidi.tga")]);
    g_pDxEngine->DrawScreenQuadAlpha(0.0f, 100.0f, 512.0f, 256.0f, textures[TextureIndex("tr03.tga")], flickerAlpha_);
    DrawVeil(textures[TextureIndex("feidi.tga")], fade_);
  }

  // One tilted ring; the halo pass draws each ball 1.1 times larger.
  void RingPass(bool halo) {
    MeshObject& ball = demo_.meshes[MeshIndex("ballo.x")];
    for (int i = 0; i < kBalls; ++i) {
      if (halo) ball.Scale(1.1f, 1.1f, 1.1f);
      ball.RotateX(alpha_);
      ball.RotateY(beta_);
      ball.RotateZ(gamma_);
      ball.Translate(radius_ * sn_[i], 0.0f, radius_ * cs_[i]);
      ball.RotateY(-alpha_);
      ball.RotateX(0.435f);
      ball.Translate(0.0f, 0.0f, 3.0f);
      ball.Draw(demo_.device);
    }
  }

  // Fifteen rings stacked along Y, each pulsing with its own phase, the whole column tilted.
  void ColumnPass() {
    DrawBallTower(demo_.meshes[MeshIndex("ballo.x")], demo_.device, BallRings{sn_, cs_, kBalls, h_, kBalls, kRingStep},
                  alpha_, beta_, gamma_);
  }

  Demo& demo_;
  float cs_[kBalls] = {};  // 3 cos(0.4176 i)
  float sn_[kBalls] = {};  // 3 sin(0.4176 i)
  float h_[kBalls] = {};   // ring heights -7.5 .. 6.5
  float alpha_ = 0.0f;     // radians
  float beta_ = 0.0f;
  float gamma_ = 0.0f;
  float radius_ = 1.0f;        // factor of the ring's radius
  float flickerAmp_ = 0.0f;    // 0 .. 0.5
  float flickerAlpha_ = 0.0f;  // opacity of texture 29
  float fade_ = 0.0f;          // opacity of the closing fade
  int ringMode_ = 0;           // 0 column, 1 ring
};

}  // namespace

void Demo::PartSlot2() {
  BallColumn scene(*this);
  PartLoop(*this, PartWindow{&flags.part03, &flags.part02, kPartStartMs[2], 45162}, scene);
}
