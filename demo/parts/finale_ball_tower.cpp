// The finale ball tower: from 136382 ms with no time limit (Escape or the window's quit message
// ends it), while part10 is set; played without part09, it re-bases the timeline to its own start.
//
// A tower of twenty rings of fifteen spinning balls (mesh 6), each ring pulsing in radius, turns
// and leans in the middle; on the lower right the third video set loops as 80 x 35 white dots
// (texture 6) whose opacity is the pixel's byte, read straight from the frame buffer. Three title
// words (textures 49 .. 51) come in one after another from 141897 ms; at 143139 ms they give way
// to the closing picture (texture 52), which fades out over two seconds. The bars (texture 1)
// frame it all.
//
// Rates are per hundredth of a second (times the frame's delta); angles in radians. The ring
// angles step by the float 0.4176, not 2 pi / 15. The part keeps the shade mode the credits left,
// and leaves light 2 on and lights 0, 1 and 3 off.
#include <cmath>

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

constexpr int kBalls = 15;  // per ring
constexpr int kRings = 20;
constexpr float kBallStep = 0.4176f;  // radians between neighbouring balls
constexpr float kRingPhaseStep = 0.3132f;
constexpr int kVideoColumns = 80;
constexpr int kVideoRows = 35;
constexpr float kLastVideoFrame = 180.0f;         // of the 181; reached only when v lands on it exactly
constexpr std::int32_t kClosingPicture = 143139;  // ms: the words go, the closing picture fades

class FinaleBallTower : public PartScene {
 public:
  explicit FinaleBallTower(Demo& demo) : demo_(demo) {}

  void Setup() override {
    for (int i = 0; i < kBalls; ++i) {
      const float theta = kBallStep * float(i);
      sn_[i] = 3.0f * std::sin(theta);
      cs_[i] = 3.0f * std::cos(theta);
    }
    for (int j = 0; j < kRings; ++j) h_[j] = -10.0f + float(j);
    demo_.meshes[MeshIndex("ballo.x")].SetAmbient(0.0f, 0.0f, 0.0f);
    SceneLight& light = *demo_.lights[2];
    SetLightColours(light, kBlack, kWhite, kWhite);
    SetLightReach(light, 1.0f, 4.0f);
    light.Enable();
    for (int i : {0, 1, 3}) demo_.lights[i]->Disable();
    g_pDxEngine->SetFov(1.566f);
    g_pDxEngine->SetLighting(1);
  }

  void Frame(float delta) override {
    alpha_ += 0.008f * delta;
    beta_ += 0.01f * delta;
    gamma_ += 0.0053f * delta;
    SetLightPosition(*demo_.lights[2], 1.0f, 0.1f, 4.0f);
    demo_.lights[2]->Apply();
    // 12 frames a second; the part of a step beyond the last frame is dropped.
    video_ += 0.12f * delta;
    if (video_ > kLastVideoFrame) video_ = 0.0f;
    if (Now() >= kClosingPicture) FallTo(closingAlpha_, 0.0f, 0.005f * delta);

    g_pDxEngine->Clear();
    g_pDxEngine->BeginScene();
    TowerPass();
    g_pDxEngine->EndScene();
    g_pDxEngine->SetAlphaBlend(1);
    g_pDxEngine->SetBlendMode(BlendAlpha);
    g_pDxEngine->Set2DMode(1);
    DrawVideo();
    DrawWords();
    DrawBars(demo_.textures[TextureIndex("feidi.tga")]);
    g_pDxEngine->Set2DMode(0);
    g_pDxEngine->SetAlphaBlend(0);
    g_pDxEngine->Present();
  }

 private:
  std::int32_t Now() const { return TimelineMs(demo_); }

  void TowerPass() {
    DrawBallTower(demo_.meshes[MeshIndex("ballo.x")], demo_.device,
                  BallRings{sn_, cs_, kBalls, h_, kRings, kRingPhaseStep}, alpha_, beta_, gamma_);
  }

  // Frame trunc(v) as 3 x 3 dots every 4 units over x 320 .. 639, y 240 .. 379.
  void DrawVideo() {
    const BYTE* frame = demo_.video03Frames + std::size_t(video_) * g_videoFrameBytes;
    IDirect3DTexture8* dot = demo_.textures[TextureIndex("white.tga")];
    for (int r = 0; r < kVideoRows; ++r)
      for (int c = 0; c < kVideoColumns; ++c)
        g_pDxEngine->DrawScreenQuadAlpha(float(320 + 4 * c), float(240 + 4 * r), 3.0f, 3.0f, dot,
                                         float(frame[kVideoColumns * r + c]) * 0.003921569f);
  }

  void DrawWords() {
    IDirect3DTexture8** textures = demo_.textures;
    const std::int32_t t = Now();
    if (t >= 141897 && t < kClosingPicture)
      g_pDxEngine->DrawScreenQuad(256.0f, 144.0f, 128.0f, 64.0f, textures[TextureIndex("the.tga")]);
    if (t >= 142152 && t < kClosingPicture)
      g_pDxEngine->DrawScreenQuad(64.0f, 208.0f, 512.0f, 64.0f, textures[TextureIndex("mota.tga")]);
    if (t >= 142524 && t < kClosingPicture)
      g_pDxEngine->DrawScreenQuad(256.0f, 272.0f, 128.0f, 64.0f, textures[TextureIndex("end.tga")]);
    if (t >= kClosingPicture)
      g_pDxEngine->DrawScreenQuadAlpha(64.0f, 170.0f, 512.0f, 64.0f, textures[TextureIndex("esc.tga")], closingAlpha_);
  }

  Demo& demo_;
  float sn_[kBalls] = {};  // 3 sin(0.4176 i)
  float cs_[kBalls] = {};  // 3 cos(0.4176 i)
  float h_[kRings] = {};   // ring heights -10 .. 9
  float alpha_ = 0.0f;     // radians
  float beta_ = 0.0f;
  float gamma_ = 0.0f;
  float video_ = 0.0f;         // position in the third video set, frames
  float closingAlpha_ = 1.0f;  // opacity of the closing picture
};

}  // namespace

void Demo::PartSlot9() {
  FinaleBallTower scene(*this);
  PartLoop(*this, PartWindow{&flags.part10, &flags.part09, kPartStartMs[9], 0, PartEnd::kNever}, scene);
}
