// The furnished room of part slot 6, shared by its two scenes (the room tour and the "room"
// panorama): the 32 room meshes with their textures, the two lights, the turning fan, the lava
// lamp glowing additively with camera-space texture coordinates, the ring of ten plates (mesh 3)
// that unfolds from 105393 ms while light 1 dims, and the opening picture that fades out over the
// bars.
//
// Both scenes run from 72190 ms until the timeline has passed 107010 ms. They advance the shared
// spin angles of Demo (radians), which the jellyfish hall carries on. Rates are per hundredth of a
// second (times the frame's delta).
#pragma once

#include <cstdint>

#include "demo/part_schedule.h"

#include "demo/demo.h"

class FurnishedRoom {
 public:
  explicit FurnishedRoom(Demo& demo) : demo_(demo) {}

  // Lights, Gouraud shading with the device's ambient 0x05050505, the textures of every room
  // mesh and the ring; the tour first tints the room and then hides its textures.
  void SetUp(bool tour);
  // The shared spin angles, the picture's fade, and from 105393 ms the ring and the dimming lamp.
  void Advance(float delta);
  void PlaceLights();
  // The frame's 3D state: clear, w-buffer, counter-clockwise culling, lighting, no blending.
  void BeginFrame(float fovRadians);
  // The room's camera, carried by its first mesh.
  void Look(const float eye[3], const float target[3]);
  // Thirty meshes and the fan, the lava lamp, then the ring while it has a size.
  void DrawRoom();
  // Depth writes back on, the 2D mode and BlendAlpha: ready for the overlays.
  void BeginOverlays();
  // The fading opening picture and the bars; the 2D mode off again.
  void DrawPictureAndBars();

 private:
  Demo& demo_;
  float fadeAlpha_ = 1.0f;        // opacity of the opening picture (texture 2)
  float ringScale_ = 0.0f;        // scale of the ring plates, up to 10
  float ringSpread_ = 20.0f;      // divisor of the angle step between plates, down to 3
  float lampAttenuation_ = 0.8f;  // light 1's attenuation0 from 105393 ms
};

// Timeline ms of the room's window.
inline constexpr std::int32_t kRoomStart = kPartStartMs[6];
inline constexpr std::int32_t kRoomEnd = 107010;  // the last frame may fall on it
