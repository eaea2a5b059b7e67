#include "demo/scene_light.h"

namespace {
int g_lightCounter = 0;
}  // namespace

SceneLight::SceneLight(D3DLIGHTTYPE type, IDirect3DDevice8* lightDevice)
    : light{}, index(g_lightCounter++), device(lightDevice) {
  light.Type = type;
}

void SceneLight::Apply() { device->SetLight(DWORD(index), &light); }
void SceneLight::Enable() { device->LightEnable(DWORD(index), TRUE); }
void SceneLight::Disable() { device->LightEnable(DWORD(index), FALSE); }

void ResetLightNumbering() { g_lightCounter = 0; }
