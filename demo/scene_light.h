// SceneLight: one fixed-function light slot. The parts write `light` field by field, then Apply.
// Each light takes the next device index from a process-wide counter (0, 1, 2, ...).
#pragma once

#include "platform/d3d8/d3d8.h"

class SceneLight {
 public:
  SceneLight(D3DLIGHTTYPE type, IDirect3DDevice8* device);

  void Apply();
  void Enable();
  void Disable();

  D3DLIGHT8 light;
  int index;
  IDirect3DDevice8* device;  // not owned
};

// Lights take the device's light slots 0, 1, ... in the order they are made; this starts again at
// slot 0 (for a run of the show that starts over in the same process).
void ResetLightNumbering();
