// The jellyfish hall: 107010 ms until 126223 ms, while part08 is set; played without part07, it
// re-bases the timeline to its own start. The "jelly" keyword skips the whole slot.
//
// The metal hall (meshes 17 .. 19) seen through a camera of its own that spirals outwards (phase
// 0), cuts to a low close view at 116099 ms (phase 1) and to a wide high orbit at 120604 ms (phase
// 2). Ten jellyfish (mesh 10) rise from the floor, spread out as they climb and start again from
// below; ten large plates (mesh 3) turn about the centre, added without lighting; in phases 1 and
// 2 a glowing crystal (mesh 4) stands in the middle, and in phase 2 it sinks. Captions sit
// between the letterbox bars.
//
// The jellyfish are placed with the runtime's rand(), going on from where the glowing knot's
// set-up left the sequence. They are drawn with the blend state the frame before left: opaque and
// lit, except in the first frame, which inherits the room's blending and so adds them.
//
// Rates are per hundredth of a second (times the frame's delta); angles in radians; the field of
// view is kept in degrees and converted with 0.0174. The shared spin angles carry on from the
// room. The part leaves light 3 on and lights 0 .. 2 off, depth writes on, culling off, alpha
// blending off and the hall's camera on mesh 17.
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
#include "platform/win32/crt.h"

namespace {

constexpr int kJellyfish = 10;
constexpr int kPlates = 10;
constexpr int kHall[3] = {MeshIndex("s2_huone.x"), MeshIndex("s2_keskio.x"), MeshIndex("s2_piikit.x")};
constexpr std::int32_t kPhase1 = 116099;  // ms
constexpr std::int32_t kPhase2 = 120604;  // ms

struct Jellyfish {
  float x, z;   // offsets from the centre line, -2 .. 1.999
  float y;      // height, 2 .. 10.5
  float speed;  // rise per hundredth of a second at full pace, 0.004 .. 0.01199
};

class JellyfishHall : public PartScene {
 public:
  explicit JellyfishHall(Demo& demo) : demo_(demo) {}

  void Setup() override {
    SceneLight& light = *demo_.lights[3];
    SetLightColours(light, Grey(0.3f), kWhite, kWhite);
    SetLightReach(light, 1.0f, 13.0f);
    light.Enable();
    for (int i = 0; i < 3; ++i) demo_.lights[i]->Disable();

    // At entry the height is drawn first, anywhere up the hall.
    for (Jellyfish& j : jellyfish_) {
      j.y = float(WinRand() % 8500) * 0.001f + 2.0f;
      Restart(j);
    }

    g_pDxEngine->SetZBuffer(1);
    g_pDxEngine->SetCullMode(D3DCULL_CCW);  // every frame then turns culling off
    MeshObject* meshes = demo_.meshes;
    IDirect3DTexture8** textures = demo_.textures;
    meshes[MeshIndex("s2_huone.x")].SetTexture(textures[TextureIndex("steelplate.tga")]);
    meshes[MeshIndex("s2_keskio.x")].SetTexture(textures[TextureIndex("metal.tga")]);
    meshes[MeshIndex("s2_piikit.x")].SetTexture(textures[TextureIndex("mdark.tga")]);
    meshes[MeshIndex("mude.x")].SetTexture(textures[TextureIndex("meduca.tga")]);
    meshes[MeshIndex("bling.x")].SetTexture(textures[TextureIndex("valo.tga")]);
  }

  void Frame(float delta) override {
    demo_.spinX += 0.001f * delta;
    demo_.spinY += 0.02f * delta;
    demo_.spinZ += 0.0143f * delta;
    SceneLight& light = *demo_.lights[3];
    SetLightPosition(light, 0.0f, 2.0f, 0.0f);
    light.Apply();
    wave_ += 0.01f * delta;
    Rise(delta);
    MoveCamera(delta);
    FallTo(plateScale_, 8.0f, 0.01f * delta);
    FallTo(captionFade_, 0.0f, 0.001f * delta);

    g_pDxEngine->Clear();
    g_pDxEngine->SetFov(0.0174f * fovDeg_);
    demo_.meshes[MeshIndex("s2_huone.x")].SetView(eye_[0], eye_[1], eye_[2], target_[0], target_[1], target_[2], 0.0f,
                                                  1.0f, 0.0f);
    demo_.meshes[MeshIndex("s2_huone.x")].useView = 1;
    DrawHall();
    DrawJellyfish();
    DrawPlates();
    if (phase_ != 0) DrawCrystal();
    DrawOverlays();
    g_pDxEngine->Present();
  }

 private:
  // Offsets and pace anew; the height is the caller's.
  static void Restart(Jellyfish& j) {
    j.x = float(WinRand() % 4000) * 0.001f - 2.0f;
    j.z = float(WinRand() % 4000) * 0.001f - 2.0f;
    j.speed = float(WinRand() % 800) * 0.00001f + 0.004f;
  }

  // The pace swells and pauses with the wave (k = cos w + 1); one that reaches 10.5 starts again
  // at 2 in the same frame.
  void Rise(float delta) {
    const float k = std::cos(2.5f * wave_) + 1.0f;
    for (Jellyfish& j : jellyfish_) {
      j.y += j.speed * k * delta;
      if (j.y >= 10.5f) {
        j.y = 2.0f;
        Restart(j);
      }
    }
  }

  // Phase 0 spirals out and widens; phases 1 and 2 set their field of view outright.
  void MoveCamera(float delta) {
    const std::int32_t t = TimelineMs(demo_);
    const float spin = demo_.spinX;
    if (t < kPhase1) {
      phase_ = 0;
      RiseTo(orbitX_, 15.158f, 0.01f * delta);
      RiseTo(orbitZ_, 13.266f, 0.009f * delta);
      SetCamera(orbitX_ * std::sin(0.8f * spin), 7.106f, -orbitZ_ * std::cos(0.8f * spin), 0.0f, 2.008f);
      RiseWhileBelow(fovDeg_, 90.0f, 0.04f * delta);
    } else if (t < kPhase2) {
      phase_ = 1;
      fovDeg_ = 130.0f;
      SetCamera(5.0f * std::sin(0.9f * spin), -2.811f, -5.0f * std::cos(0.9f * spin), 0.02f, 1.963f);
    } else {
      phase_ = 2;
      fovDeg_ = 92.0f;
      SetCamera(15.0f * std::sin(spin), 6.223f, 15.0f * std::cos(spin), 0.018f, 5.173f);
      sink_ -= 0.01f * delta;
    }
  }

  // The eye, and a target on the plane z = 0.
  void SetCamera(float eyeX, float eyeY, float eyeZ, float targetX, float targetY) {
    eye_[0] = eyeX;
    eye_[1] = eyeY;
    eye_[2] = eyeZ;
    target_[0] = targetX;
    target_[1] = targetY;
    target_[2] = 0.0f;
  }

  // Mesh 17 sets the view, which then holds for everything drawn in 3D this frame.
  void DrawHall() {
    g_pDxEngine->SetLighting(1);
    g_pDxEngine->SetZBuffer(1);
    g_pDxEngine->SetCullMode(D3DCULL_NONE);
    g_pDxEngine->BeginScene();
    for (int mesh : kHall) {
      TurnIntoSet(demo_.meshes[mesh]);
      demo_.meshes[mesh].Draw(demo_.device);
    }
    g_pDxEngine->EndScene();
  }

  // Straight up the middle to height 5, then out to 1.5 times their offsets by height 6.5.
  void DrawJellyfish() {
    const float w = 2.5f * wave_;
    const float sx = 0.5f * std::sin(w) + 1.0f;
    const float sz = 0.3f * std::cos(w) + 1.0f;
    MeshObject& mesh = demo_.meshes[MeshIndex("mude.x")];
    g_pDxEngine->SetBlendMode(BlendAdd);
    g_pDxEngine->BeginScene();
    for (const Jellyfish& j : jellyfish_) {
      float g = j.y - 5.0f;
      if (g < 0.0f) g = 0.0f;
      if (g > 1.5f) g = 1.5f;
      mesh.Translate(0.0f, 0.0f, 0.0f);
      mesh.Scale(sx, sx, sz);
      mesh.RotateY(3.132f);
      mesh.RotateX(1.566f);
      mesh.Translate(g * j.x, j.y, g * j.z);
      mesh.Draw(demo_.device);
    }
    g_pDxEngine->EndScene();
  }

  // Added (BlendAdd is still set), unlit, without depth writes, each a third of a radian on.
  void DrawPlates() {
    g_pDxEngine->SetLighting(0);
    g_pDxEngine->SetZWrite(0);
    g_pDxEngine->SetCullMode(D3DCULL_NONE);
    g_pDxEngine->SetAlphaBlend(1);
    MeshObject& plate = demo_.meshes[MeshIndex("taso.x")];
    g_pDxEngine->BeginScene();
    for (int i = 0; i < kPlates; ++i) {
      const float a = float(i) * 0.33333334f;
      plate.Translate(0.0f, 0.0f, 0.0f);
      plate.Scale(plateScale_, plateScale_, plateScale_);
      plate.RotateX(a + demo_.spinX);
      plate.RotateY(a + demo_.spinY);
      plate.RotateZ(a + demo_.spinZ);
      plate.Translate(0.0f, 2.008f, 0.0f);
      plate.Draw(demo_.device);
    }
    g_pDxEngine->EndScene();
  }

  // As the plates: added, unlit, without depth writes.
  void DrawCrystal() {
    MeshObject& crystal = demo_.meshes[MeshIndex("bling.x")];
    g_pDxEngine->BeginScene();
    TurnIntoSet(crystal);
    crystal.Translate(0.0f, sink_, 0.0f);
    crystal.Draw(demo_.device);
    g_pDxEngine->EndScene();
  }

  void DrawOverlays() {
    IDirect3DTexture8** textures = demo_.textures;
    g_pDxEngine->SetZWrite(1);
    g_pDxEngine->Set2DMode(1);
    g_pDxEngine->SetAlphaBlend(1);
    g_pDxEngine->SetBlendMode(BlendAlpha);
    if (phase_ == 0) {
      g_pDxEngine->DrawScreenQuadAlpha(0.0f, 100.0f, 640.0f, 128.0f, textures[TextureIndex("jelly01.tga")],
                                       1.0f - captionFade_);
    } else if (phase_ == 1) {
      g_pDxEngine->DrawScreenQuadAlpha(384.0f, 100.0f, 256.0f, 256.0f, textures[TextureIndex("jelly02.tga")], 1.0f);
    } else {
      g_pDxEngine->DrawScreenQuadAlpha(512.0f, 100.0f, 128.0f, 256.0f, textures[TextureIndex("jelly03.tga")], 1.0f);
      g_pDxEngine->DrawScreenQuadAlpha(0.0f, 124.0f, 128.0f, 256.0f, textures[TextureIndex("jelly04.tga")], 1.0f);
    }
    DrawBars(textures[TextureIndex("feidi.tga")]);
    g_pDxEngine->SetAlphaBlend(0);
    g_pDxEngine->Set2DMode(0);
  }

  Demo& demo_;
  Jellyfish jellyfish_[kJellyfish] = {};
  float wave_ = 0.0f;                    // u; the wave w = 2.5 u, radians
  int phase_ = 0;                        // camera phase 0, 1 or 2
  float fovDeg_ = 45.0f;                 // degrees
  float orbitX_ = 6.0f, orbitZ_ = 6.0f;  // phase 0's orbit radii, out to 15.158 and 13.266
  float plateScale_ = 15.0f;             // down to 8
  float sink_ = 0.0f;                    // the crystal's height
  float captionFade_ = 1.0f;             // the phase-0 caption shows 1 - captionFade_
  float eye_[3] = {}, target_[3] = {};   // the current phase's camera
};

}  // namespace

void Demo::PartSlot7() {
  JellyfishHall scene(*this);
  PartLoop(*this, PartWindow{&flags.part08, &flags.part07, kPartStartMs[7], 126223}, scene);
}
