// The small vocabulary every scene file is written in: ramps, light set-up, the set meshes' turn,
// and the screen-space pieces that recur (letterbox bars, full-screen veils, four-piece pictures).
//
// Rates are per hundredth of a second: callers pass `rate * delta` as a ramp's step. Screen
// coordinates are the 640 x 480 units of the 2D mode; the pieces expect the caller's Set2DMode
// (on) and blend state.
#pragma once

#include "demo/mesh_object.h"
#include "demo/scene_light.h"
#include "engine/dx_engine.h"

// Ramps. The clamped forms add while short of the limit and then clamp, so a value that starts at
// its limit stays there exactly. The unclamped forms stop adding once past the limit, which they
// may overshoot by up to one step.
inline void RiseTo(float& value, float limit, float step) {
  if (value < limit) value += step;
  if (value > limit) value = limit;
}
inline void FallTo(float& value, float limit, float step) {
  if (value > limit) value -= step;
  if (value < limit) value = limit;
}
inline void RiseWhileBelow(float& value, float limit, float step) {
  if (value < limit) value += step;
}
inline void FallWhileAbove(float& value, float limit, float step) {
  if (value > limit) value -= step;
}
// Keeps an opacity within 0 .. 1.
inline void ClampToUnit(float& value) {
  if (value < 0.0f) value = 0.0f;
  if (value > 1.0f) value = 1.0f;
}

// Light records, written field by field; they take effect at the light's next Apply.
struct Rgb {
  float r, g, b;
};
inline constexpr Rgb kWhite = {1.0f, 1.0f, 1.0f};
inline constexpr Rgb kBlack = {0.0f, 0.0f, 0.0f};
inline constexpr Rgb Grey(float level) { return {level, level, level}; }

void SetLightColours(SceneLight& light, Rgb ambient, Rgb diffuse, Rgb specular);
void SetLightDiffuse(SceneLight& light, Rgb diffuse);
void SetLightSpecular(SceneLight& light, Rgb specular);
void SetLightReach(SceneLight& light, float attenuation0, float range);
void SetLightPosition(SceneLight& light, float x, float y, float z);

// The sets (corridor, room, metal hall) were modelled in a frame that this turn stands upright:
// Translate (0, 0, 0), RotateY (3.132), RotateX (1.566). Further transforms may follow.
void TurnIntoSet(MeshObject& mesh);

// A tower of rings of spinning balls. Ball i of ring j spins by alpha about X, beta about Y and
// gamma about Z about its own centre, sits at (R sn[i], 0, R cs[i]) with R = 1 + 0.5 sin k, turns
// with its ring by alpha about Y and rises to heights[j]; then the whole tower leans by
// 0.348 sin gamma about Z and 0.348 cos beta about X. k starts at 3.2 beta and grows by
// `ringPhaseStep` from ring to ring, so the rings pulse one after another.
struct BallRings {
  const float* sn;
  const float* cs;
  int balls;
  const float* heights;
  int rings;
  float ringPhaseStep;
};
void DrawBallTower(MeshObject& ball, IDirect3DDevice8* device, const BallRings& rings, float alpha, float beta,
                   float gamma);

// The two letterbox bars, (0, 0)-(640, 100) and (0, 380)-(640, 480), opacity 1.
void DrawBars(IDirect3DTexture8* bars);
// The whole screen under one texture at `alpha`.
void DrawVeil(IDirect3DTexture8* texture, float alpha);
// A 640 x 288 picture in four pieces between the bars: 512 x 256 at (0, 100), 128 x 256 at
// (512, 100), 512 x 32 at (0, 356) and 128 x 32 at (512, 356); with alpha or opaque.
void DrawFourPieces(IDirect3DTexture8* const pieces[4], float alpha);
void DrawFourPiecesOpaque(IDirect3DTexture8* const pieces[4]);
