// The room tour: 72190 ms until the timeline has passed 107010 ms, while part07 is set; played
// without part06, it re-bases the timeline to its own start. The "room" keyword plays the
// panorama in its place.
//
// The camera cuts through fourteen shots of the furnished room (0 .. 12, then 20 from 104838 ms).
// The room starts untextured in a cold blue tint; at 32 fixed moments its objects take on their
// loaded materials and textures one after another, at most one per frame, so that after a long
// frame the schedule catches up frame by frame. A flickering vertical line (texture 31) crosses
// the even shots.
//
// Each shot keeps its own camera, so a shot's motion is never undone; fields of view are degrees,
// converted with 0.0174. The part leaves depth writes on, culling off, alpha blending on with
// BlendAlpha and lighting off.
#include <cmath>
#include <cstdint>
#include <limits>

#include "demo/asset_catalogue.h"
#include "demo/catalogue_positions.h"
#include "demo/demo.h"
#include "demo/mesh_object.h"
#include "demo/part_loop.h"
#include "demo/parts/furnished_room.h"
#include "demo/parts/scene_kit.h"
#include "engine/dx_engine.h"

namespace {

// When each room mesh takes its real look.
struct Appearance {
  std::int32_t time;  // ms
  int mesh;           // roomMeshes index
};
constexpr Appearance kSchedule[g_roomMeshCount] = {
    {74327, RoomMeshIndex("walls.x")}, {74443, RoomMeshIndex("floor.x")}, {74582, RoomMeshIndex("ceil.x")},
    {74814, RoomMeshIndex("fcenter.x")}, {75557, RoomMeshIndex("lamp.x")}, {75906, RoomMeshIndex("fan.x")},
    {76300, RoomMeshIndex("table02.x")}, {76695, RoomMeshIndex("slitz1.x")}, {77067, RoomMeshIndex("slitz2.x")},
    {77461, RoomMeshIndex("mag01.x")}, {77833, RoomMeshIndex("mag02.x")}, {78204, RoomMeshIndex("beanie.x")},
    {78576, RoomMeshIndex("beanie2.x")}, {78831, RoomMeshIndex("cactus.x")}, {79319, RoomMeshIndex("jar.x")},
    {79690, RoomMeshIndex("shelf.x")}, {80062, RoomMeshIndex("book01.x")}, {80433, RoomMeshIndex("book02.x")},
    {80828, RoomMeshIndex("poster1.x")}, {81200, RoomMeshIndex("poster2.x")}, {81455, RoomMeshIndex("speakers.x")},
    {81711, RoomMeshIndex("elements.x")}, {81943, RoomMeshIndex("table01.x")}, {82314, RoomMeshIndex("vinyls.x")},
    {83080, RoomMeshIndex("vplay01.x")}, {83336, RoomMeshIndex("vplay02.x")}, {83824, RoomMeshIndex("dframe.x")},
    {84172, RoomMeshIndex("door.x")}, {84567, RoomMeshIndex("knob.x")}, {85310, RoomMeshIndex("lava.x")},
    {85704, RoomMeshIndex("lballs.x")}, {86076, RoomMeshIndex("llamp.x")}};

// A shot: current from `from` until the next shot's `from`. Its eye and target move by their
// rates times delta (per hundredth of a second) while it is current; an orbiting shot instead
// sets eye x and z to (radiusX sin(turn spinX), radiusZ cos(turn spinX)).
struct Shot {
  int number;
  std::int32_t from;  // ms
  float fovDeg;
  float eye[3], target[3];
  float eyeRate[3], targetRate[3];
  float turn, radiusX, radiusZ;  // turn 0: no orbit
};
constexpr std::int32_t kBeforeAll = std::numeric_limits<std::int32_t>::min();
constexpr int kShots = 14;
constexpr int kLastShot = 13;  // shot 20, with motions of its own
// One shot on two lines: its start camera, then its motion.
// clang-format off
const Shot kShotTable[kShots] = {
    {0, kBeforeAll, 125, {-0.125f, -4.749f, -14.849f}, {-0.525f, -20.174f, 13.527f},
     {0, -0.03f, 0}, {0, 0, 0}, 0, 0, 0},
    {1, 74814, 110, {-0.125f, -3.456f, -14.849f}, {-0.525f, -0.567f, 0.458f},
     {0, 0, 0}, {0, 0, 0}, 2.3f, 15.484f, 15.864f},
    {2, 76100, 75, {0.251f, -6.492f, 15.708f}, {0.356f, -26.236f, 5.22f},
     {0, 0, -0.137f}, {0, 0, -0.0536f}, 0, 0, 0},
    {3, 78680, 95, {12.593f, -5.656f, -4.249f}, {14.897f, -21.44f, -18.826f},
     {0, -0.19f, 0}, {0, 0, 0}, 0, 0, 0},
    {4, 79450, 85, {-5.435f, -10.037f, -11.452f}, {-14.927f, -12.501f, 0.696f},
     {0.01f, 0, 0.234f}, {0.003f, 0, 0.0627f}, 0, 0, 0},
    {5, 80600, 45, {8.392f, -18.668f, 3.33f}, {8.264f, -13.516f, 22.653f},
     {-0.244f, 0, 0.0029f}, {-0.191f, 0, 0.0004f}, 0, 0, 0},
    {6, 81300, 55, {4.029f, -24.043f, -9.131f}, {1.384f, -24.567f, 16.472f},
     {-0.0147f, 0.0468f, 0.0353f}, {0, 0.015f, 0.00227f}, 0, 0, 0},
    {7, 83550, 45, {9.812f, -24.36f, -5.435f}, {16.532f, -15.633f, 5.571f},
     {-0.014f, 0.015f, 0.199f}, {0, 0, 0}, 0, 0, 0},
    {8, 84900, 45, {2.649f, -14.051f, 21.436f}, {14.349f, -19.313f, 20.927f},
     {0.0068f, -0.044f, 0}, {0, 0, 0}, 0, 0, 0},
    {9, 86842, 125, {0.295f, -12.455f, 0.209f}, {0, -14, 0},
     {0, 0, 0}, {0, 0, 0}, 4.3f, 4, 4},
    {10, 93599, 75, {0, -3.456f, 0}, {-0.525f, -0.567f, 0.458f},
     {0, 0, 0}, {0, 0, 0}, 1.7f, 15.484f, 15.864f},
    {11, 98104, 120, {0, -1.129f, -21.043f}, {0, -20.436f, 15.318f},
     {0, -0.0495f, 0.0469f}, {0, -0.0055f, 0.0151f}, 0, 0, 0},
    {12, 102608, 75, {0, -24.984f, 10.883f}, {0, -25.595f, 3.797f},
     {0, 0.046f, -0.0415f}, {0, -0.00206f, -0.0513f}, 0, 0, 0},
    {20, 104838, 75, {10.933f, -26.423f, 14.664f}, {14.286f, -19.2f, 21.07f},
     {0, 0, 0}, {0, 0, 0}, 0, 0, 0},  // moves as MoveCamera says
};
// clang-format on

class RoomTour : public PartScene {
 public:
  explicit RoomTour(Demo& demo) : demo_(demo), room_(demo) {
    for (int s = 0; s < kShots; ++s)
      for (int i = 0; i < 3; ++i) {
        eye_[s][i] = kShotTable[s].eye[i];
        target_[s][i] = kShotTable[s].target[i];
      }
  }

  void Setup() override { room_.SetUp(true); }

  void Frame(float delta) override {
    room_.Advance(delta);
    Appear();
    room_.PlaceLights();
    MoveCamera(delta);

    room_.BeginFrame(kShotTable[shot_].fovDeg * 0.0174f);
    room_.Look(eye_[shot_], target_[shot_]);
    room_.DrawRoom();
    room_.BeginOverlays();
    if (kShotTable[shot_].number % 2 == 0 && shot_ != kLastShot) DrawLine();
    room_.DrawPictureAndBars();
    g_pDxEngine->Present();
  }

 private:
  // One more object per frame at most; every object that has appeared gets its look again.
  void Appear() {
    if (appeared_ < g_roomMeshCount && TimelineMs(demo_) >= kSchedule[appeared_].time) ++appeared_;
    for (int k = 0; k < appeared_; ++k) {
      MeshObject& mesh = demo_.roomMeshes[kSchedule[k].mesh];
      mesh.EnableTexture();
      mesh.RestoreMaterials();
    }
  }

  // The shot whose window holds the time, then its motion.
  void MoveCamera(float delta) {
    const std::int32_t t = TimelineMs(demo_);
    shot_ = 0;
    while (shot_ + 1 < kShots && t >= kShotTable[shot_ + 1].from) ++shot_;
    const Shot& shot = kShotTable[shot_];
    float* eye = eye_[shot_];
    float* target = target_[shot_];
    if (shot_ == kLastShot) {  // rises to about -17.96 unclamped; closes in to exactly 15.287
      RiseWhileBelow(eye[1], -17.96f, 0.0389f * delta);
      RiseTo(eye[2], 15.287f, 0.0028f * delta);
      return;
    }
    if (shot.turn != 0.0f) {
      eye[0] = shot.radiusX * std::sin(shot.turn * demo_.spinX);
      eye[2] = shot.radiusZ * std::cos(shot.turn * demo_.spinX);
      return;
    }
    for (int i = 0; i < 3; ++i) {
      if (shot.eyeRate[i] != 0.0f) eye[i] += shot.eyeRate[i] * delta;
      if (shot.targetRate[i] != 0.0f) target[i] += shot.targetRate[i] * delta;
    }
  }

  // The flickering line at a whole x between 440 and 560.
  void DrawLine() {
    const float x = std::trunc(500.0f + 20.0f * std::cos(7.0f * demo_.spinZ) + 40.0f * std::sin(16.0f * demo_.spinX));
    const float alpha = (std::cos(std::tan(demo_.spinY)) + 1.0f) * 0.5f;
    g_pDxEngine->DrawScreenQuadAlpha(x, 100.0f, 32.0f, 280.0f, demo_.textures[TextureIndex("tviiva.tga")], alpha);
  }

  Demo& demo_;
  FurnishedRoom room_;
  int shot_ = 1;      // row of kShotTable, recomputed every frame
  int appeared_ = 0;  // schedule entries that have taken their real look
  float eye_[kShots][3], target_[kShots][3];
};

}  // namespace

void Demo::PartSlot6() {
  RoomTour scene(*this);
  PartLoop(*this, PartWindow{&flags.part07, &flags.part06, kRoomStart, kRoomEnd, PartEnd::kPassed}, scene);
}
