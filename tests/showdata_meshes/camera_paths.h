// The camera paths of the scenes that move through the sets, sampled over their time windows.
// Motions are the scenes' own: rates per hundredth of a second over the demo clock in ms.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "mesh_views.h"

namespace meshviews {

struct Sample {
  std::string name;
  Camera camera;
};

// The room tour's fourteen shots (spinX grows by 0.001 per hundredth from 0 at 72190 ms), each at
// the start, the middle and the end of its window, and the panorama's fixed eye turned round.
inline std::vector<Sample> RoomShots() {
  struct Linear {
    int shot;
    float t0, t1, fov;
    D3DXVECTOR3 eye, target, eyeRate, targetRate;
  };
  const Linear linear[] = {
      {0, 72190, 74814, 125, {-0.125f, -4.749f, -14.849f}, {-0.525f, -20.174f, 13.527f}, {0, -0.03f, 0}, {0, 0, 0}},
      {2, 76100, 78680, 75, {0.251f, -6.492f, 15.708f}, {0.356f, -26.236f, 5.22f}, {0, 0, -0.137f}, {0, 0, -0.0536f}},
      {3, 78680, 79450, 95, {12.593f, -5.656f, -4.249f}, {14.897f, -21.44f, -18.826f}, {0, -0.19f, 0}, {0, 0, 0}},
      {4, 79450, 80600, 85, {-5.435f, -10.037f, -11.452f}, {-14.927f, -12.501f, 0.696f}, {0.01f, 0, 0.234f},
       {0.003f, 0, 0.0627f}},
      {5, 80600, 81300, 45, {8.392f, -18.668f, 3.33f}, {8.264f, -13.516f, 22.653f}, {-0.244f, 0, 0.0029f},
       {-0.191f, 0, 0.0004f}},
      {6, 81300, 83550, 55, {4.029f, -24.043f, -9.131f}, {1.384f, -24.567f, 16.472f}, {-0.0147f, 0.0468f, 0.0353f},
       {0, 0.015f, 0.00227f}},
      {7, 83550, 84900, 45, {9.812f, -24.36f, -5.435f}, {16.532f, -15.633f, 5.571f}, {-0.014f, 0.015f, 0.199f}, {0, 0, 0}},
      {8, 84900, 86842, 45, {2.649f, -14.051f, 21.436f}, {14.349f, -19.313f, 20.927f}, {0.0068f, -0.044f, 0}, {0, 0, 0}},
      {11, 98104, 102608, 120, {0, -1.129f, -21.043f}, {0, -20.436f, 15.318f}, {0, -0.0495f, 0.0469f},
       {0, -0.0055f, 0.0151f}},
      {12, 102608, 104838, 75, {0, -24.984f, 10.883f}, {0, -25.595f, 3.797f}, {0, 0.046f, -0.0415f},
       {0, -0.00206f, -0.0513f}},
  };
  std::vector<Sample> samples;
  const float rad = 0.0174f;
  for (const Linear& s : linear) {
    for (int k = 0; k < 3; ++k) {
      const float h = (s.t1 - s.t0) / 10 * float(k) / 2;
      samples.push_back({"shot" + std::to_string(s.shot) + "_" + std::to_string(k),
                         {s.eye + s.eyeRate * h, s.target + s.targetRate * h, s.fov * rad}});
    }
  }
  struct Orbit {
    int shot;
    float t0, t1, fov, factor, rx, rz, y;
    D3DXVECTOR3 target;
  };
  const Orbit orbits[] = {{1, 74814, 76100, 110, 2.3f, 15.484f, 15.864f, -3.456f, {-0.525f, -0.567f, 0.458f}},
                          {10, 93599, 98104, 75, 1.7f, 15.484f, 15.864f, -3.456f, {-0.525f, -0.567f, 0.458f}},
                          {9, 86842, 93599, 125, 4.3f, 4, 4, -12.455f, {0, -14, 0}}};
  for (const Orbit& o : orbits) {
    for (int k = 0; k < 3; ++k) {
      const float t = o.t0 + (o.t1 - o.t0) * float(k) / 2;
      const float spin = 0.001f * (t - 72190) / 10;
      const D3DXVECTOR3 eye(o.rx * std::sin(o.factor * spin), o.y, o.rz * std::cos(o.factor * spin));
      samples.push_back({"shot" + std::to_string(o.shot) + "_" + std::to_string(k), {eye, o.target, o.fov * rad}});
    }
  }
  for (int k = 0; k < 3; ++k) {  // shot 20: the eye rises until -17.96, its z stops at 15.287
    const float h = (107010.0f - 104838.0f) / 10 * float(k) / 2;
    const D3DXVECTOR3 eye(10.933f, std::fmin(-26.423f + 0.0389f * h, -17.96f), std::fmin(14.664f + 0.0028f * h, 15.287f));
    samples.push_back({"shot20_" + std::to_string(k), {eye, {14.286f, -19.2f, 21.07f}, 75 * rad}});
  }
  for (int k = 0; k < 8; ++k) {  // the panorama
    const float a = float(k) * 0.785f;
    samples.push_back({"panorama_" + std::to_string(k),
                       {{0.295f, -12.455f, 0.209f}, {4 * std::sin(a), -14, 4 * std::cos(a)}, 2.088f}});
  }
  return samples;
}

// The opening scene's camera over the set: the glide (0 .. 9102 ms) and the orbit (9125 .. 18040 ms).
inline Camera OpeningCamera(float t) {
  if (t < 9125) {
    const float h = std::fmin(t, 9102.0f) / 10;
    return {{-16.323f + 0.036f * h, -5.225f, 0.207f + 0.0024f * h},
            {-28.496f + 0.033f * h, -5.225f + 0.004f * h, 0.207f},
            45 * 0.0174f};
  }
  const float h = (t - 9125) / 10, late = std::fmax(0.0f, (t - 13258) / 10);
  const float angle = 0.007f * h, radius = 10 - 0.015f * late;
  const float fov = std::fmin(110.0f, 45 + 0.08f * h);
  return {{std::sin(angle) * radius, 4.542f, -std::cos(angle) * radius}, {0.316f, -5.662f + 0.059f * late, 0.33f},
          fov * 0.0174f};
}

// The jellyfish hall's three camera phases (spinX as it stands in that part).
inline Camera HallCamera(int phase, float spinX, float orbitX = 6, float orbitZ = 6) {
  if (phase == 0) {
    return {{orbitX * std::sin(0.8f * spinX), 7.106f, -orbitZ * std::cos(0.8f * spinX)}, {0, 2.008f, 0}, 60 * 0.0174f};
  }
  if (phase == 1) {
    return {{5 * std::sin(0.9f * spinX), -2.811f, -5 * std::cos(0.9f * spinX)}, {0.02f, 1.963f, 0}, 130 * 0.0174f};
  }
  return {{15 * std::sin(spinX), 6.223f, 15 * std::cos(spinX)}, {0.018f, 5.173f, 0}, 92 * 0.0174f};
}

}  // namespace meshviews
