#include "demo/parts/furnished_room.h"

#include <cmath>

#include "demo/asset_catalogue.h"
#include "demo/catalogue_positions.h"
#include "demo/mesh_object.h"
#include "demo/part_loop.h"
#include "demo/parts/scene_kit.h"
#include "demo/scene_light.h"
#include "engine/dx_engine.h"

namespace {

// The texture of each room mesh, in room-mesh order; kNone for lballs.x, knob.x, lamp.x and vplay02.x.
constexpr int kNone = -1;
constexpr int kRoomTextures[g_roomMeshCount] = {
    TextureIndex("walls.bmp"), TextureIndex("floor.bmp"), TextureIndex("roof.bmp"), TextureIndex("beanibag.bmp"),
    TextureIndex("beanibag.bmp"), TextureIndex("wlight.bmp"), TextureIndex("wlight.bmp"), TextureIndex("wdark.bmp"),
    TextureIndex("wdark.bmp"), TextureIndex("brushed.bmp"), TextureIndex("beanibag.bmp"), TextureIndex("pottery.bmp"),
    TextureIndex("bdark.bmp"), TextureIndex("blight.bmp"), TextureIndex("poster1.bmp"), TextureIndex("poster2.bmp"),
    TextureIndex("vinylcover.bmp"), TextureIndex("pron1.bmp"), TextureIndex("pron2.bmp"), TextureIndex("mcover1.bmp"),
    TextureIndex("mcover2.bmp"), TextureIndex("brushed.bmp"), kNone, TextureIndex("wdark.bmp"),
    TextureIndex("wlight.bmp"), kNone, TextureIndex("wdark.bmp"), kNone, TextureIndex("brushed.bmp"), kNone,
    TextureIndex("wlight.bmp"), TextureIndex("meduca.tga")};
constexpr int kFan = RoomMeshIndex("fan.x");
constexpr int kLavaLamp = RoomMeshIndex("llamp.x");
constexpr int kPlates = 10;
constexpr std::int32_t kRingFrom = 105393;  // ms

}  // namespace

void FurnishedRoom::SetUp(bool tour) {
  MeshObject* room = demo_.roomMeshes;
  if (tour) {
    for (int i = 0; i < g_roomMeshCount; ++i) {
      room[i].SetDiffuse(0.1f, 0.6f, 0.8f);
      room[i].SetSpecular(0.1f, 0.6f, 0.8f);
    }
  }
  SceneLight& warm = *demo_.lights[0];
  SetLightColours(warm, {0.1f, 0.0f, 0.0f}, {1.0f, 0.2f, 0.2f}, kWhite);
  SetLightReach(warm, 0.6f, 5.0f);
  warm.Enable();
  SceneLight& lamp = *demo_.lights[1];
  SetLightColours(lamp, Grey(0.3f), kWhite, kWhite);
  SetLightReach(lamp, 0.8f, 45.0f);
  lamp.Enable();

  g_pDxEngine->SetShadeMode(D3DSHADE_GOURAUD);
  demo_.device->SetRenderState(D3DRS_AMBIENT, 0x05050505);

  for (int i = 0; i < g_roomMeshCount; ++i)
    if (kRoomTextures[i] >= 0) room[i].SetTexture(demo_.textures[kRoomTextures[i]]);
  if (tour)
    for (int i = 0; i < g_roomMeshCount; ++i) room[i].DisableTexture();

  g_pDxEngine->SetAlphaBlend(1);
  g_pDxEngine->SetLighting(0);
  demo_.meshes[MeshIndex("taso.x")].SetTexture(demo_.textures[TextureIndex("flare01.bmp")]);
}

void FurnishedRoom::Advance(float delta) {
  demo_.spinX += 0.001f * delta;
  demo_.spinY += 0.02f * delta;
  demo_.spinZ += 0.0143f * delta;
  FallTo(fadeAlpha_, 0.0f, 0.004f * delta);
  if (TimelineMs(demo_) >= kRingFrom) {
    RiseTo(ringScale_, 10.0f, 0.0618f * delta);
    FallTo(ringSpread_, 3.0f, 0.135f * delta);
    RiseWhileBelow(lampAttenuation_, 1.0f, 0.0003f * delta);
    demo_.lights[1]->light.Attenuation0 = lampAttenuation_;
  }
}

void FurnishedRoom::PlaceLights() {
  SceneLight& warm = *demo_.lights[0];
  SetLightPosition(warm, 14.321f, std::cos(demo_.spinY) - 19.286f, 21.065f);
  warm.Apply();
  SceneLight& lamp = *demo_.lights[1];
  SetLightPosition(lamp, 0.043f, -1.888f, 0.05f);
  lamp.Apply();
}

void FurnishedRoom::BeginFrame(float fovRadians) {
  g_pDxEngine->Clear();
  g_pDxEngine->SetZBuffer(1);
  g_pDxEngine->SetCullMode(D3DCULL_CCW);
  g_pDxEngine->SetLighting(1);
  g_pDxEngine->SetAlphaBlend(0);
  g_pDxEngine->SetFov(fovRadians);
}

void FurnishedRoom::Look(const float eye[3], const float target[3]) {
  MeshObject& walls = demo_.roomMeshes[RoomMeshIndex("walls.x")];
  walls.SetView(eye[0], eye[1], eye[2], target[0], target[1], target[2], 0.0f, 1.0f, 0.0f);
  walls.useView = 1;
}

void FurnishedRoom::DrawRoom() {
  MeshObject* room = demo_.roomMeshes;
  g_pDxEngine->BeginScene();
  for (int i = 0; i < kFan; ++i) {
    TurnIntoSet(room[i]);
    room[i].Draw(demo_.device);
  }
  TurnIntoSet(room[kFan]);
  room[kFan].RotateY(-8.3f * demo_.spinX);
  room[kFan].Draw(demo_.device);
  g_pDxEngine->EndScene();

  // The lava lamp: added, unculled, without depth writes, its texture projected from camera space.
  g_pDxEngine->SetAlphaBlend(1);
  g_pDxEngine->SetBlendMode(BlendAdd);
  g_pDxEngine->SetCullMode(D3DCULL_NONE);
  g_pDxEngine->SetZWrite(0);
  g_pDxEngine->SetTexGen(1);
  g_pDxEngine->BeginScene();
  TurnIntoSet(room[kLavaLamp]);
  room[kLavaLamp].Draw(demo_.device);
  g_pDxEngine->EndScene();
  g_pDxEngine->SetTexGen(0);
  g_pDxEngine->SetLighting(0);

  // The ring: additive, unlit plates without depth writes, as the lamp left the state.
  if (ringScale_ == 0.0f) return;
  MeshObject& plate = demo_.meshes[MeshIndex("taso.x")];
  g_pDxEngine->BeginScene();
  for (int k = 0; k < kPlates; ++k) {
    const float w = float(k) / ringSpread_;
    plate.Translate(0.0f, 0.0f, 0.0f);
    plate.Scale(ringScale_, ringScale_, ringScale_);
    plate.RotateX(w + demo_.spinX);
    plate.RotateY(w + demo_.spinY);
    plate.RotateZ(w + demo_.spinZ);
    plate.Translate(13.786f, -19.2f, 20.8f);
    plate.Draw(demo_.device);
  }
  g_pDxEngine->EndScene();
}

void FurnishedRoom::BeginOverlays() {
  g_pDxEngine->SetZWrite(1);
  g_pDxEngine->Set2DMode(1);
  g_pDxEngine->SetBlendMode(BlendAlpha);
}

void FurnishedRoom::DrawPictureAndBars() {
  DrawVeil(demo_.textures[TextureIndex("superstar.bmp")], fadeAlpha_);
  DrawBars(demo_.textures[TextureIndex("feidi.tga")]);
  g_pDxEngine->Set2DMode(0);
}
