// The room panorama, slot 6's scene when the "room" keyword is set: 72190 ms until the timeline
// has passed 107010 ms, while part07 is set; played without part06, it re-bases the timeline to
// its own start.
//
// The furnished room fully textured from the first frame, seen from one still eye near its middle
// whose target circles it at a radius of 4, with a fixed field of view of 2.088 radians. No tint,
// no appearance schedule, no cuts and no flickering line. The part leaves the room's meshes with
// their loaded materials and their textures on, and the state the room tour leaves.
#include <cmath>

#include "demo/demo.h"
#include "demo/part_loop.h"
#include "demo/parts/furnished_room.h"
#include "engine/dx_engine.h"

namespace {

class RoomPanorama : public PartScene {
 public:
  explicit RoomPanorama(Demo& demo) : demo_(demo), room_(demo) {}

  void Setup() override { room_.SetUp(false); }

  void Frame(float delta) override {
    room_.Advance(delta);
    room_.PlaceLights();

    room_.BeginFrame(2.088f);
    const float eye[3] = {0.295f, -12.455f, 0.209f};
    const float target[3] = {4.0f * std::sin(4.3f * demo_.spinX), -14.0f, 4.0f * std::cos(4.3f * demo_.spinX)};
    room_.Look(eye, target);
    room_.DrawRoom();
    room_.BeginOverlays();
    room_.DrawPictureAndBars();
    g_pDxEngine->Present();
  }

 private:
  Demo& demo_;
  FurnishedRoom room_;
};

}  // namespace

void Demo::PlayRoomPanorama() {
  RoomPanorama scene(*this);
  PartLoop(*this, PartWindow{&flags.part07, &flags.part06, kRoomStart, kRoomEnd, PartEnd::kPassed}, scene);
}
