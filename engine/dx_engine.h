// DxEngine: the one Direct3D 8 device wrapper of the system, reached through g_pDxEngine.
//
// Owns the Direct3D object and the device; lists the display modes the setup offers; creates the
// device on the main window for the chosen mode; keeps the camera (view) and perspective
// projection so that 2D drawing can restore them; and offers the per-frame operations. Angles are
// radians, coordinates world units. Device results are not examined, as the system is designed.
#pragma once

#include <vector>

#include "platform/d3d8/d3d8.h"
#include "platform/d3dx8/d3dx8.h"
#include "platform/win32/win32.h"

class QvCore;

// One offered display mode; `index` is its position in the offer, from 0.
struct DisplayMode {
  int width;   // pixels
  int height;  // pixels
  int bitsPerPixel;
  int index;
  D3DFORMAT format;
};

class DxEngine {
 public:
  DxEngine();
  void Shutdown();

  static int BitDepthOfFormat(D3DFORMAT format);
  // wanted: `count` rows of (width, height, bits per pixel).
  void EnumerateModes(const int (*wanted)[3], int count, std::vector<DisplayMode>& target);
  int CreateDevice(QvCore* core, BYTE windowed);

  void SetProjection(float fov, float aspectRatio, float nearPlane, float farPlane);
  void SetFov(float fov);
  void LookAt(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ);
  void ApplyView();

  void BeginScene();
  void EndScene();
  void Clear();
  void Present();

  IDirect3D8* d3d;
  IDirect3DDevice8* device;
  std::vector<DisplayMode> modes;
  int chosenMode;
  D3DXMATRIX view;
  D3DXMATRIX projection;
  float aspect, zNear, zFar;
  IDirect3DVertexBuffer8* quadBuffer;
};

extern DxEngine* g_pDxEngine;
