// The glowing knot: 18041 ms until 36083 ms, while part02 is set; played without part01, it
// re-bases the timeline to its own start.
//
// In front of a four-piece background (textures 3, 32 .. 34) the knot (mesh 5) spins, drawn once
// solid and once enlarged and additive so that it glows, with two point lights circling it; mesh 2
// slides in from the depth on the left. Over it: the letterbox bars, a pulsing picture (texture
// 27) in the middle of the part, and a full-screen fade in at the start and out at the end.
//
// The set-up draws 200 values from the runtime's rand() even when the part does not play: the
// jellyfish hall goes on from where the sequence stands.
//
// Rates are per hundredth of a second (times the frame's delta); angles in radians, including 35
// and -45. The camera is the default one, which Set2DMode (off) restores every frame.
#include <cmath>

#include "demo/catalogue_positions.h"
#include "demo/demo.h"
#include "demo/mesh_object.h"
#include "demo/part_loop.h"
#include "demo/part_schedule.h"
#include "demo/parts/scene_kit.h"
#include "demo/scene_light.h"
#include "engine/dx_engine.h"
#include "platform/win32/crt.h"

namespace {

void SetUpLight(SceneLight& light) {
  SetLightColours(light, kBlack, kWhite, kWhite);
  SetLightReach(light, 1.0f, 10.5f);
  light.Enable();
  light.Apply();
}

class GlowingKnot : public PartScene {
 public:
  explicit GlowingKnot(Demo& demo) : demo_(demo) {}

  void Setup() override {
    SetUpLight(*demo_.lights[0]);
    SetUpLight(*demo_.lights[1]);
    demo_.meshes[MeshIndex("plomppo.x")].SetAmbient(0.0f, 0.0f, 0.0f);
    for (int round = 0; round < 50; ++round)
      for (int draw = 0; draw < 4; ++draw) WinRand();
    g_pDxEngine->SetLighting(1);
    g_pDxEngine->SetFov(1.566f);
    g_pDxEngine->Set2DMode(1);
  }

  void Frame(float delta) override {
    spinA_ += 0.00783f * delta;
    spinB_ += 0.004f * delta;
    CircleLights();
    Fade(delta);
    Pulse(delta);
    RiseTo(slideZ_, -7.0f, 0.017f * delta);

    g_pDxEngine->Clear();
    DrawBackground();
    g_pDxEngine->Set2DMode(0);
    DrawKnotAndGlow();
    g_pDxEngine->SetBlendMode(BlendAlpha);
    g_pDxEngine->Set2DMode(1);
    DrawBars(demo_.textures[TextureIndex("feidi.tga")]);
    g_pDxEngine->Set2DMode(0);
    DrawSlider();
    DrawPictureAndFade();
    g_pDxEngine->Present();
  }

 private:
  std::int32_t Now() const { return TimelineMs(demo_); }

  void CircleLights() {
    SceneLight** lights = demo_.lights;
    SetLightPosition(*lights[0], 3.0f * std::sin(spinB_) - 2.0f, 2.5f * std::cos(spinB_), std::sin(spinB_) - 7.0f);
    lights[0]->Apply();
    SetLightPosition(*lights[1], std::sin(spinB_) + 2.0f, 2.5f * std::cos(spinB_), 1.5f * std::sin(spinB_) + 7.0f);
    lights[1]->Apply();
  }

  void Fade(float delta) {
    if (Now() < 31068)
      FallTo(fadeAlpha_, 0.0f, 0.005f * delta);
    else
      RiseTo(fadeAlpha_, 1.0f, 0.002f * delta);
  }

  // The picture pulses in, is held at full from just after 24868 ms, keeps its last alpha from
  // 27120 ms and fades from 34120 ms.
  void Pulse(float delta) {
    const std::int32_t t = Now();
    if (t >= 21130 && t <= 24868) {
      RiseTo(flashAmp_, 0.5f, 0.0013f * delta);
      flashAlpha_ = (std::cos(100.0f * spinA_) + 1.0f) * flashAmp_;
      ClampToUnit(flashAlpha_);
    }
    if (t > 24868 && t < 27120) flashAlpha_ = 1.0f;
    if (t >= 34120) FallTo(flashAlpha_, 0.0f, 0.006f * delta);
  }

  // The background, in the 2D mode the previous frame (or the set-up) left on.
  void DrawBackground() {
    IDirect3DTexture8** textures = demo_.textures;
    IDirect3DTexture8* const pieces[4] = {textures[TextureIndex("nodelab.tga")], textures[TextureIndex("nlab02.tga")],
                                          textures[TextureIndex("nlab03.tga")], textures[TextureIndex("nlab04.tga")]};
    DrawFourPiecesOpaque(pieces);
  }

  // The knot, then again a little larger and added on top: its glow.
  void DrawKnotAndGlow() {
    MeshObject& knot = demo_.meshes[MeshIndex("knotti.x")];
    g_pDxEngine->BeginScene();
    knot.Translate(0.0f, 0.0f, 0.0f);
    knot.RotateX(-spinA_);
    knot.RotateZ(spinB_);
    knot.Translate(2.3f, -0.5f, 6.0f);
    knot.Draw(demo_.device);
    g_pDxEngine->EndScene();

    g_pDxEngine->SetAlphaBlend(1);
    g_pDxEngine->SetBlendMode(BlendAdd);
    g_pDxEngine->BeginScene();
    knot.Translate(0.0f, 0.0f, 0.0f);
    knot.Scale(1.1f, 1.1f, 1.1f);
    knot.RotateX(spinA_);
    knot.RotateZ(-spinB_);
    knot.RotateZ(spinA_ + spinB_);
    knot.Translate(2.3f, -0.5f, 6.0f);
    knot.Draw(demo_.device);
    g_pDxEngine->EndScene();
  }

  void DrawSlider() {
    MeshObject& slider = demo_.meshes[MeshIndex("plomppo.x")];
    g_pDxEngine->SetAlphaBlend(0);
    g_pDxEngine->SetLighting(1);
    g_pDxEngine->SetCullMode(D3DCULL_CCW);
    g_pDxEngine->BeginScene();
    slider.Translate(0.0f, 0.0f, 0.0f);
    slider.RotateY(3.132f);
    slider.RotateZ(spinA_);
    slider.RotateY(35.0f);
    slider.RotateX(-45.0f);
    slider.Translate(-9.9f, 2.0f, slideZ_);
    slider.Draw(demo_.device);
    g_pDxEngine->EndScene();
  }

  void DrawPictureAndFade() {
    IDirect3DTexture8** textures = demo_.textures;
    g_pDxEngine->SetBlendMode(BlendAlpha);
    g_pDxEngine->SetAlphaBlend(1);
    g_pDxEngine->Set2DMode(1);
    g_pDxEngine->DrawScreenQuadAlpha(128.0f, 124.0f, 512.0f, 256.0f, textures[TextureIndex("tr01.tga")], flashAlpha_);
    DrawVeil(textures[TextureIndex("feidi.tga")], fadeAlpha_);
    g_pDxEngine->SetAlphaBlend(0);
    // 2D mode stays on: the next frame's background is drawn in it.
  }

  Demo& demo_;
  float spinA_ = 0.0f;  // radians
  float spinB_ = 0.0f;  // radians
  float fadeAlpha_ = 1.0f;
  float flashAmp_ = 0.0f;  // 0 .. 0.5
  float flashAlpha_ = 0.0f;
  float slideZ_ = -18.0f;  // rises to -7
};

}  // namespace

void Demo::PartSlot1() {
  GlowingKnot scene(*this);
  PartLoop(*this, PartWindow{&flags.part02, &flags.part01, kPartStartMs[1], 36083}, scene);
}
