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

#include "demo/demo.h"
#include "demo/mesh_object.h"
#include "demo/part_loop.h"
#include "demo/scene_light.h"
#include "engine/dx_engine.h"

namespace {

void SetPosition(SceneLight& light, float x, float y, float z) {
  light.light.Position.x = x;
  light.light.Position.y = y;
  light.light.Position.z = z;
}

void SetColours(SceneLight& light, float ambient, float attenuation0, float range) {
  light.light.Ambient.r = light.light.Ambient.g = light.light.Ambient.b = ambient;
  light.light.Diffuse.r = light.light.Diffuse.g = light.light.Diffuse.b = 1.0f;
  light.light.Specular.r = light.light.Specular.g = light.light.Specular.b = 1.0f;
  light.light.Attenuation0 = attenuation0;
  light.light.Range = range;
}

// Adds `step` while below 1, then clamps to 1.
void RiseToOne(float& value, float step) {
  if (value < 1.0f) value += step;
  if (value > 1.0f) value = 1.0f;
}

// Subtracts `step` while above 0, then clamps to 0.
void FallToZero(float& value, float step) {
  if (value > 0.0f) value -= step;
  if (value < 0.0f) value = 0.0f;
}

class Corridor : public PartScene {
 public:
  explicit Corridor(Demo& demo) : demo_(demo) {}

  void Setup() override {
    SetColours(*demo_.lights[0], 0.0f, 1.0f, 3.5f);
    SetColours(*demo_.lights[1], 0.3f, 0.8f, 10.5f);
    SetColours(*demo_.lights[2], 0.3f, 1.0f, 14.5f);
    for (int i = 0; i < 3; ++i) demo_.lights[i]->Enable();

    MeshObject* meshes = demo_.meshes;
    IDirect3DTexture8** textures = demo_.textures;
    meshes[0].useView = 1;
    meshes[0].SetTexture(textures[4]);
    meshes[11].SetTexture(textures[16]);
    meshes[12].SetTexture(textures[11]);
    meshes[13].SetTexture(textures[12]);
    meshes[14].SetTexture(textures[13]);
    meshes[15].SetTexture(textures[14]);
    meshes[16].SetTexture(textures[15]);

    g_pDxEngine->SetBlendMode(BlendAlpha);
    g_pDxEngine->SetLighting(1);
    g_pDxEngine->SetFov(1.827f);
  }

  void Frame(float d) override {
    const std::int32_t t = TimelineMs(demo_);
    SceneLight** lights = demo_.lights;
    MeshObject* meshes = demo_.meshes;
    IDirect3DTexture8** textures = demo_.textures;

    SetPosition(*lights[0], 0.0f, 0.0f, 2.0f);
    lights[0]->Apply();
    SetPosition(*lights[1], -27.422f, -5.329f, 0.172f);
    lights[1]->Apply();
    SetPosition(*lights[2], 0.128f, 0.0f, 0.023f);
    lights[2]->Apply();

    tumbleX_ += 0.001f * d;
    tumbleY_ += 0.002f * d;
    tumbleZ_ += 0.003f * d;
    pulsePhase_ += 1.57f * d;

    // The first picture pulses in, holds, and pulses out.
    if (t <= 2763) {
      if (pulseAmp_ < 0.5f) pulseAmp_ += 0.002f * d;
      if (pulseAmp_ > 0.5f) pulseAmp_ = 0.5f;
      flashAlpha_ = (std::cos(pulsePhase_) + 1.0f) * pulseAmp_;
    } else if (t < 4667) {
      flashAlpha_ = 1.0f;
    } else {
      FallToZero(pulseAmp_, 0.0019f * d);
      flashAlpha_ = (std::cos(pulsePhase_) + 1.0f) * pulseAmp_;
    }

    if (t < 9102) {  // glide
      eyeX1_ += 0.036f * d;
      eyeZ1_ += 0.0024f * d;
      atX1_ += 0.033f * d;
      atY1_ += 0.004f * d;
    }
    if (t >= 9125) {  // orbit
      RiseToOne(titleAlpha_, 0.004f * d);
      eyeX2_ = std::sin(orbitAngle_) * orbitRadius_;
      eyeZ2_ = -std::cos(orbitAngle_) * orbitRadius_;
      if (fovDeg_ < 110.0f) fovDeg_ += 0.08f * d;
      if (fovDeg_ > 110.0f) fovDeg_ = 110.0f;
      orbitAngle_ += 0.007f * d;
    }
    if (t >= 13258) {
      atY2_ += 0.059f * d;
      orbitRadius_ -= 0.015f * d;
    }

    // The fade covers the cut between glide and orbit, and the end.
    if (t >= 7267 && t < 9102)
      RiseToOne(fadeAlpha_, 0.0055f * d);
    else if (t >= 9152 && t < 14744)
      FallToZero(fadeAlpha_, 0.01f * d);
    else if (t >= 14744)
      RiseToOne(fadeAlpha_, 0.003f * d);

    g_pDxEngine->Clear();
    g_pDxEngine->SetAlphaBlend(0);
    g_pDxEngine->SetFov(fovDeg_ * 0.0174f);

    // The set's camera rides on its first mesh.
    if (t < 9125)
      meshes[11].SetView(eyeX1_, -5.225f, eyeZ1_, atX1_, atY1_, 0.207f, 0.0f, 1.0f, 0.0f);
    else
      meshes[11].SetView(eyeX2_, 4.542f, eyeZ2_, 0.316f, atY2_, 0.33f, 0.0f, 1.0f, 0.0f);
    meshes[11].useView = 1;

    lights[0]->Disable();
    lights[1]->Enable();
    lights[2]->Enable();
    g_pDxEngine->BeginScene();
    for (int i = 11; i <= 16; ++i) {
      meshes[i].Translate(0.0f, 0.0f, 0.0f);
      meshes[i].RotateY(3.132f);
      meshes[i].RotateX(1.566f);
      meshes[i].Draw(demo_.device);
    }
    g_pDxEngine->EndScene();

    // The floating copies: light 0 only, flare projected from camera space.
    lights[0]->Enable();
    lights[1]->Disable();
    lights[2]->Disable();
    g_pDxEngine->SetTexGen(1);
    g_pDxEngine->SetFov(1.827f);
    meshes[0].SetView(6.0f * std::sin(3.4f * tumbleX_), 1.5f * std::sin(tumbleY_), 4.5f * std::cos(3.1f * tumbleZ_),
                      0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f);
    g_pDxEngine->SetAlphaBlend(1);
    g_pDxEngine->SetBlendMode(BlendAdd);
    g_pDxEngine->SetLighting(1);
    g_pDxEngine->BeginScene();
    MeshObject& copy = meshes[0];
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
    g_pDxEngine->SetBlendMode(BlendAlpha);
    g_pDxEngine->Set2DMode(1);
    if (t < 7291) DrawFourPieces(textures + 35, flashAlpha_);
    if (t > 9125) DrawFourPieces(textures + 39, titleAlpha_);
    g_pDxEngine->DrawScreenQuadAlpha(0.0f, 0.0f, 640.0f, 100.0f, textures[1], 1.0f);
    g_pDxEngine->DrawScreenQuadAlpha(0.0f, 380.0f, 640.0f, 100.0f, textures[1], 1.0f);
    g_pDxEngine->DrawScreenQuadAlpha(0.0f, 0.0f, 640.0f, 480.0f, textures[1], fadeAlpha_);
    g_pDxEngine->Set2DMode(0);
    g_pDxEngine->Present();
  }

 private:
  // A 640 x 288 picture in four pieces, between the bars.
  static void DrawFourPieces(IDirect3DTexture8* const* pieces, float alpha) {
    g_pDxEngine->DrawScreenQuadAlpha(0.0f, 100.0f, 512.0f, 256.0f, pieces[0], alpha);
    g_pDxEngine->DrawScreenQuadAlpha(512.0f, 100.0f, 128.0f, 256.0f, pieces[1], alpha);
    g_pDxEngine->DrawScreenQuadAlpha(0.0f, 356.0f, 512.0f, 32.0f, pieces[2], alpha);
    g_pDxEngine->DrawScreenQuadAlpha(512.0f, 356.0f, 128.0f, 32.0f, pieces[3], alpha);
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
  PartLoop(*this, PartWindow{&flags.part01, nullptr, 0, 18041}, scene);
}
