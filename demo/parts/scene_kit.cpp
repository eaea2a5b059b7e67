#include "demo/parts/scene_kit.h"

#include <cmath>

namespace {

void Put(D3DCOLORVALUE& colour, Rgb rgb) {
  colour.r = rgb.r;
  colour.g = rgb.g;
  colour.b = rgb.b;
}

}  // namespace

void SetLightColours(SceneLight& light, Rgb ambient, Rgb diffuse, Rgb specular) {
  Put(light.light.Ambient, ambient);
  Put(light.light.Diffuse, diffuse);
  Put(light.light.Specular, specular);
}

void SetLightDiffuse(SceneLight& light, Rgb diffuse) { Put(light.light.Diffuse, diffuse); }
void SetLightSpecular(SceneLight& light, Rgb specular) { Put(light.light.Specular, specular); }

void SetLightReach(SceneLight& light, float attenuation0, float range) {
  light.light.Attenuation0 = attenuation0;
  light.light.Range = range;
}

void SetLightPosition(SceneLight& light, float x, float y, float z) {
  light.light.Position.x = x;
  light.light.Position.y = y;
  light.light.Position.z = z;
}

void TurnIntoSet(MeshObject& mesh) {
  mesh.Translate(0.0f, 0.0f, 0.0f);
  mesh.RotateY(3.132f);
  mesh.RotateX(1.566f);
}

void DrawBallTower(MeshObject& ball, IDirect3DDevice8* device, const BallRings& rings, float alpha, float beta,
                   float gamma) {
  const float tiltZ = 0.348f * std::sin(gamma);
  const float tiltX = 0.348f * std::cos(beta);
  float k = 3.2f * beta;
  for (int j = 0; j < rings.rings; ++j) {
    const float radius = 1.0f + 0.5f * std::sin(k);
    for (int i = 0; i < rings.balls; ++i) {
      ball.RotateX(alpha);
      ball.RotateY(beta);
      ball.RotateZ(gamma);
      ball.Translate(radius * rings.sn[i], 0.0f, radius * rings.cs[i]);
      ball.RotateY(alpha);
      ball.Translate(0.0f, rings.heights[j], 0.0f);
      ball.RotateZ(tiltZ);
      ball.RotateX(tiltX);
      ball.Draw(device);
    }
    k += rings.ringPhaseStep;
  }
}

void DrawBars(IDirect3DTexture8* bars) {
  g_pDxEngine->DrawScreenQuadAlpha(0.0f, 0.0f, 640.0f, 100.0f, bars, 1.0f);
  g_pDxEngine->DrawScreenQuadAlpha(0.0f, 380.0f, 640.0f, 100.0f, bars, 1.0f);
}

void DrawVeil(IDirect3DTexture8* texture, float alpha) {
  g_pDxEngine->DrawScreenQuadAlpha(0.0f, 0.0f, 640.0f, 480.0f, texture, alpha);
}

void DrawFourPieces(IDirect3DTexture8* const pieces[4], float alpha) {
  g_pDxEngine->DrawScreenQuadAlpha(0.0f, 100.0f, 512.0f, 256.0f, pieces[0], alpha);
  g_pDxEngine->DrawScreenQuadAlpha(512.0f, 100.0f, 128.0f, 256.0f, pieces[1], alpha);
  g_pDxEngine->DrawScreenQuadAlpha(0.0f, 356.0f, 512.0f, 32.0f, pieces[2], alpha);
  g_pDxEngine->DrawScreenQuadAlpha(512.0f, 356.0f, 128.0f, 32.0f, pieces[3], alpha);
}

void DrawFourPiecesOpaque(IDirect3DTexture8* const pieces[4]) {
  g_pDxEngine->DrawScreenQuad(0.0f, 100.0f, 512.0f, 256.0f, pieces[0]);
  g_pDxEngine->DrawScreenQuad(512.0f, 100.0f, 128.0f, 256.0f, pieces[1]);
  g_pDxEngine->DrawScreenQuad(0.0f, 356.0f, 512.0f, 32.0f, pieces[2]);
  g_pDxEngine->DrawScreenQuad(512.0f, 356.0f, 128.0f, 32.0f, pieces[3]);
}
