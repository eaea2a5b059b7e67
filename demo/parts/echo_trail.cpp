// The echo trail: 50793 ms until 54172 ms, while part05 is set; played without part04, it re-bases
// the timeline to its own start.
//
// One textured object (mesh 7 with texture 5) tumbles in front of the viewer, drawn ten times
// along the line of sight, added up without a depth test, so that its copies form a glowing trail
// that stretches towards and past the viewer. A white point light (light 1) circles close to it.
// The part fades in from the colour of the bars (texture 1), sits between them and fades back out.
//
// Rates are per hundredth of a second (times the frame's delta); angles in radians. The camera is
// the stored one (eye (0, 0, 10) looking at the origin). The part leaves alpha blending on, the
// depth test and culling off, Gouraud shading, only light 1 enabled and the field of view 1.479.
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

constexpr int kCopies = 10;

class EchoTrail : public PartScene {
 public:
  explicit EchoTrail(Demo& demo) : demo_(demo) {}

  void Setup() override {
    MeshObject& object = demo_.meshes[MeshIndex("bollo.x")];
    object.SetTexture(demo_.textures[TextureIndex("texture01.tga")]);
    object.SetAmbient(0.0f, 0.0f, 0.0f);
    g_pDxEngine->SetShadeMode(D3DSHADE_GOURAUD);
    demo_.lights[0]->Disable();
    demo_.lights[2]->Disable();
    demo_.lights[3]->Disable();
    // Light 1 stays enabled as the earlier parts left it; the first frame applies this.
    SetLightColours(*demo_.lights[1], kBlack, kWhite, kWhite);
    SetLightReach(*demo_.lights[1], 1.0f, 2.0f);
    g_pDxEngine->SetFov(1.479f);
  }

  void Frame(float delta) override {
    tumble_ += 0.005f * delta;
    spacing_ += 0.003f * delta;
    MoveVeil(delta);
    CircleLight();

    // Alpha blending is on from the previous frame's overlays (in the first frame, as the parts
    // before left it).
    g_pDxEngine->Clear();
    g_pDxEngine->SetLighting(1);
    g_pDxEngine->SetCullMode(D3DCULL_NONE);
    g_pDxEngine->SetZBuffer(0);
    g_pDxEngine->SetBlendMode(BlendAdd);
    DrawTrail();

    IDirect3DTexture8** textures = demo_.textures;
    g_pDxEngine->SetAlphaBlend(1);
    g_pDxEngine->SetBlendMode(BlendAlpha);
    g_pDxEngine->Set2DMode(1);
    DrawBars(textures[TextureIndex("feidi.tga")]);
    if (veil_ != 0.0f) DrawVeil(textures[TextureIndex("feidi.tga")], veil_);
    g_pDxEngine->Set2DMode(0);
    g_pDxEngine->Present();
  }

 private:
  std::int32_t Now() const { return TimelineMs(demo_); }

  // Clears until 53000 ms and closes again from 53545 ms.
  void MoveVeil(float delta) {
    if (Now() < 53000) FallTo(veil_, 0.0f, 0.013f * delta);
    if (Now() >= 53545) RiseTo(veil_, 1.0f, 0.016f * delta);
  }

  void CircleLight() {
    SceneLight& light = *demo_.lights[1];
    SetLightPosition(light, 1.5f * std::sin(2.4f * tumble_), 1.5f * std::cos(2.0f * tumble_),
                     0.8f * std::cos(1.4f * spacing_) + 3.0f);
    light.Apply();
  }

  // Ten copies along the line of sight, `spacing_` apart from z = 3.
  void DrawTrail() {
    g_pDxEngine->BeginScene();
    MeshObject& object = demo_.meshes[MeshIndex("bollo.x")];
    float z = 3.0f;
    for (int k = 0; k < kCopies; ++k) {
      object.Translate(0.0f, 0.0f, 0.0f);
      object.RotateX(tumble_);
      object.RotateY(tumble_);
      object.RotateZ(tumble_);
      object.Translate(0.0f, 0.0f, z);
      object.Draw(demo_.device);
      z += spacing_;
    }
    g_pDxEngine->EndScene();
  }

  Demo& demo_;
  float tumble_ = 0.0f;   // a, radians about X, Y and Z
  float spacing_ = 0.0f;  // b, distance between neighbouring copies along Z
  float veil_ = 1.0f;     // opacity of texture 1 over the whole screen
};

}  // namespace

void Demo::PartSlot4() {
  EchoTrail scene(*this);
  PartLoop(*this, PartWindow{&flags.part05, &flags.part04, kPartStartMs[4], 54172}, scene);
}
