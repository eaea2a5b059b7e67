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

// The blend modes of SetBlendMode.
enum BlendMode { BlendAlpha = 1, BlendAdd = 2, BlendInvert = 3 };

// One corner of a screen quad (vertex format 0x142): x, y in 2D-mode units (a 640 x 480 screen,
// origin top left, y down), z always 1.0; ARGB colour; texture coordinates.
struct ScreenVertex {
  float x, y, z;
  D3DCOLOR colour;
  float u, v;
};
static_assert(sizeof(ScreenVertex) == 24);
// ScreenVertex's vertex format: position, diffuse colour, one texture coordinate pair.
inline constexpr DWORD kScreenVertexFormat = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
// The screen-quad vertex buffer holds one quad's four corners (96 bytes); it is made with the
// device and refilled for every quad.
inline constexpr UINT kQuadBufferBytes = 4 * sizeof(ScreenVertex);

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

  // Render-state switches; a boolean argument counts by its low byte.
  void SetLighting(BYTE on);
  void SetZBuffer(BYTE on);  // on: w-buffering (D3DZB_USEW)
  void SetZWrite(BYTE on);
  void SetCullMode(DWORD cullMode);
  void SetAlphaBlend(BYTE on);
  void SetShadeMode(DWORD shadeMode);
  void SetTexGen(BYTE on);  // camera-space positions as stage 0's texture coordinates
  void SetBlendMode(int mode);

  // The 640 x 480 screen space (on) or the stored camera and projection (off).
  void Set2DMode(BYTE on);
  // Decodes an image file held in memory; returns the location of `lastTexture`, which the next
  // call overwrites: callers copy the handle.
  IDirect3DTexture8** CreateTextureFromMemory(const void* data, UINT size);
  // The texture on the rectangle (x, y)-(x + w, y + h) in 2D-mode units, each quad in a scene of
  // its own; opaque white, or white with alpha x 255 (truncated).
  void DrawScreenQuad(float x, float y, float w, float h, IDirect3DTexture8* texture);
  void DrawScreenQuadAlpha(float x, float y, float w, float h, IDirect3DTexture8* texture, float alpha);

  IDirect3D8* d3d;
  IDirect3DDevice8* device;
  std::vector<DisplayMode> modes;
  int chosenMode;
  D3DXMATRIX view;
  D3DXMATRIX projection;
  IDirect3DTexture8* lastTexture;
  float aspect, zNear, zFar;
  IDirect3DVertexBuffer8* quadBuffer;

 private:
  void DrawQuad(float x, float y, float w, float h, IDirect3DTexture8* texture, D3DCOLOR colour);
};

extern DxEngine* g_pDxEngine;

// The textures the engine makes are named tex0, tex1, ... in the trace; this starts again at tex0
// (for a run of the show that starts over in the same process).
void ResetTextureNumbering();
