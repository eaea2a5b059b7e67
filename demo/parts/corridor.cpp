// The opening corridor fly-through: 0 ms until 18041 ms, while part01 is set; it leaves the
// timeline alone.
//
// The camera glides down the corridor of the scene1 set (meshes 11 .. 16) until 9102 ms, then from
// 9125 ms orbits the chamber's core on a shrinking circle while the field of view widens from 45 to
// 110 degrees. Three additive, spinning copies of mesh 0 with a projected flare float in front with
// a camera of their own. Over it: a flashing four-piece picture (textures 35 .. 38) until 7291 ms,
// a second one (39 .. 42) fading in after 9125 ms, the two letterbox bars and a full-screen fade.
//
// Rates are per hundredth of a second (times the frame's delta); angles in radians; the field of
// view is animated in degrees and converted with 0.0174.
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

// White light with a grey ambient part.
void SetUpLight(SceneLight& light, float ambient, float attenuation0, float range) {
  SetLightColours(light, Grey(ambient), kWhite, kWhite);
  SetLightReach(light, attenuation0, range);
}

class Corridor : public PartScene {
 public:
  explicit Corridor(Demo& demo) : demo_(demo) {}

  void Setup() override {
    SetUpLight(*demo_.lights[0], 0.0f, 1.0f, 3.5f);
    SetUpLight(*demo_.lights[1], 0.3f, 0.8f, 10.5f);
    SetUpLight(*demo_.lights[2], 0.3f, 1.0f, 14.5f);
    for (int i = 0; i < 3; ++i) demo_.lights[i]->Enable();

    MeshObject* meshes = demo_.meshes;
    IDirect3DTexture8** textures = demo_.textures;
    meshes[MeshIndex("kama.x")].useView = 1;
    meshes[MeshIndex("kama.x")].SetTexture(textures[TextureIndex("flare.bmp")]);
    meshes[MeshIndex("s1_core.x")].SetTexture(textures[TextureIndex("metal.tga")]);
    meshes[MeshIndex("s1_corridor.x")].SetTexture(textures[TextureIndex("floor2.tga")]);
    meshes[MeshIndex("s1_floor.x")].SetTexture(textures[TextureIndex("floor.tga")]);
    meshes[MeshIndex("s1_huone.x")].SetTexture(textures[TextureIndex("wall.tga")]);
    meshes[MeshIndex("s1_roof.x")].SetTexture(textures[TextureIndex("wall_dark.tga")]);
    meshes[MeshIndex("s1_tube.x")].SetTexture(textures[TextureIndex("mdark.tga")]);

    g_pDxEngine->SetBlendMode(BlendAlpha);
    g_pDxEngine->SetLighting(1);
    g_pDxEngine->SetFov(1.827f);
  }

  void Frame(float delta) override {
    PlaceLights();
    tumbleX_ += 0.001f * delta;
    tumbleY_ += 0.002f * delta;
    tumbleZ_ += 0.003f * delta;
    pulsePhase_ += 1.57f * delta;
    PulseFirstPicture(delta);
    MoveCameras(delta);
    Fade(delta);

    g_pDxEngine->Clear();
    g_pDxEngine->SetAlphaBlend(0);
    g_pDxEngine->SetFov(fovDeg_ * 0.0174f);
    DrawSet();
    DrawFloatingCopies();
    DrawOverlays();
    g_pDxEngine->Present();
  }

 private:
  std::int32_t Now() const { return TimelineMs(demo_); }

  void PlaceLights() {
    SceneLight** lights = demo_.lights;
    SetLightPosition(*lights[0], 0.0f, 0.0f, 2.0f);
    lights[0]->Apply();
    SetLightPosition(*lights[1], -27.422f, -5.329f, 0.172f);
    lights[1]->Apply();
    SetLightPosition(*lights[2], 0.128f, 0.0f, 0.023f);
    lights[2]->Apply();
  }

  // The first picture pulses in, holds, and pulses out.
  void PulseFirstPicture(float delta) {
    const std::int32_t t = Now();
    if (t <= 2763) {
      RiseTo(pulseAmp_, 0.5f, 0.002f * delta);
      flashAlpha_ = (std::cos(pulsePhase_) + 1.0f) * pulseAmp_;
    } else if (t < 4667) {
      flashAlpha_ = 1.0f;
    } else {
      FallTo(pulseAmp_, 0.0f, 0.0019f * delta);
      flashAlpha_ = (std::cos(pulsePhase_) + 1.0f) * pulseAmp_;
    }
  }

  // The glide down the corridor, then the orbit round the core with the title fading in.
  void MoveCameras(float delta) {
    const std::int32_t t = Now();
    if (t < 9102) {
      eyeX1_ += 0.036f * delta;
      eyeZ1_ += 0.0024f * delta;
      atX1_ += 0.033f * delta;
      atY1_ += 0.004f * delta;
    }
    if (t >= 9125) {
      RiseTo(titleAlpha_, 1.0f, 0.004f * delta);
      eyeX2_ = std::sin(orbitAngle_) * orbitRadius_;
      eyeZ2_ = -std::cos(orbitAngle_) * orbitRadius_;
      RiseTo(fovDeg_, 110.0f, 0.08f * delta);
      orbitAngle_ += 0.007f * delta;
    }
    if (t >= 13258) {
      atY2_ += 0.059f * delta;
      orbitRadius_ -= 0.015f * delta;
    }
  }

  // The fade covers the cut between glide and orbit, and the end.
  void Fade(float delta) {
    const std::int32_t t = Now();
    if (t >= 7267 && t < 9102)
      RiseTo(fadeAlpha_, 1.0f, 0.0055f * delta);
    else if (t >= 9152 && t < 14744)
      FallTo(fadeAlpha_, 0.0f, 0.01f * delta);
    else if (t >= 14744)
      RiseTo(fadeAlpha_, 1.0f, 0.003f * delta);
  }

  // The set under lights 1 and 2; its camera rides on its first mesh.
  void DrawSet() {
    SceneLight** lights = demo_.lights;
    MeshObject* meshes = demo_.meshes;
    if (Now() < 9125)
      meshes[MeshIndex("s1_core.x")].SetView(eyeX1_, -5.225f, eyeZ1_, atX1_, atY1_, 0.207f, 0.0f, 1.0f, 0.0f);
    else
      meshes[MeshIndex("s1_core.x")].SetView(eyeX2_, 4.542f, eyeZ2_, 0.316f, atY2_, 0.33f, 0.0f, 1.0f, 0.0f);
    meshes[MeshIndex("s1_core.x")].useView = 1;

    lights[0]->Disable();
    lights[1]->Enable();
    lights[2]->Enable();
    g_pDxEngine->BeginScene();
    for (int i = MeshIndex("s1_core.x"); i <= MeshIndex("s1_tube.x"); ++i) {
      TurnIntoSet(meshes[i]);
      meshes[i].Draw(demo_.device);
    }
    g_pDxEngine->EndScene();
  }

  // The floating copies: light 0 only, flare projected from camera space.
  void DrawFloatingCopies() {
    SceneLight** lights = demo_.lights;
    lights[0]->Enable();
    lights[1]->Disable();
    lights[2]->Disable();
    g_pDxEngine->SetTexGen(1);
    g_pDxEngine->SetFov(1.827f);
    MeshObject& copy = demo_.meshes[MeshIndex("kama.x")];
    copy.SetView(6.0f * std::sin(3.4f * tumbleX_), 1.5f * std::sin(tumbleY_), 4.5f * std::cos(3.1f * tumbleZ_), 0.0f,
                 0.0f, 0.0f, 0.0f, 1.0f, 0.0f);
    g_pDxEngine->SetAlphaBlend(1);
    g_pDxEngine->SetBlendMode(BlendAdd);
    g_pDxEngine->SetLighting(1);
    g_pDxEngine->BeginScene();
    copy.Translate(0.0f, 0.0f, 0.0f);
    copy.RotateX(tumbleX_);
    copy.RotateY(tumbleY_);
    copy.RotateZ(tumbleZ_);
    copy.Translate(0.0f, 0.0f, 1.0f);
    copy.Draw(demo_.device);
    copy.Translate(0.0f, 0.0f, 0.0f);
    copy.RotateX(tumbleX_);
    copy.RotateY(-tumbleY_);
    copy.RotateZ(2.4f * tumbleZ_);
    copy.Translate(2.0f, 0.0f, 0.0f);
    copy.Draw(demo_.device);
    copy.Translate(0.0f, 0.0f, 0.0f);
    copy.RotateX(-3.0f * tumbleX_);
    copy.RotateY(1.2f * tumbleY_);
    copy.RotateZ(-tumbleZ_);
    copy.Translate(-2.0f, 0.0f, 0.0f);
    copy.Draw(demo_.device);
    g_pDxEngine->EndScene();
    g_pDxEngine->SetTexGen(0);
  }

  void DrawOverlays() {
    const std::int32_t t = Now();
    IDirect3DTexture8** textures = demo_.textures;
    g_pDxEngine->SetBlendMode(BlendAlpha);
    g_pDxEngine->Set2DMode(1);
    if (t < 7291) DrawFourPieces(textures + TextureIndex("rac01.tga"), flashAlpha_);
    if (t > 9125) DrawFourPieces(textures + TextureIndex("kw01.tga"), titleAlpha_);
    DrawBars(textures[TextureIndex("feidi.tga")]);
    DrawVeil(textures[TextureIndex("feidi.tga")], fadeAlpha_);
    g_pDxEngine->Set2DMode(0);
  }

  Demo& demo_;
  float tumbleX_ = 0.0f, tumbleY_ = 0.0f, tumbleZ_ = 0.0f;  // radians
  float pulsePhase_ = 0.0f;                                 // radians
  float pulseAmp_ = 0.0f;                                   // 0 .. 0.5
  float flashAlpha_ = 0.0f;
  float titleAlpha_ = 0.0f;
  float fadeAlpha_ = 0.0f;
  float fovDeg_ = 45.0f;  // degrees, up to 110
  float orbitAngle_ = 0.0f;
  float orbitRadius_ = 10.0f;
  float eyeX1_ = -16.323f, eyeZ1_ = 0.207f;  // glide eye; its y is -5.225
  float atX1_ = -28.496f, atY1_ = -5.225f;   // glide target; its z is 0.207
  float eyeX2_ = 0.0f, eyeZ2_ = 0.0f;        // orbit eye; its y is 4.542
  float atY2_ = -5.662f;                     // orbit target height; x 0.316, z 0.33
};

}  // namespace

void Demo::PartSlot0() {
  Corridor scene(*this);
  PartLoop(*this, PartWindow{&flags.part01, nullptr, kPartStartMs[0], 18041}, scene);
}
