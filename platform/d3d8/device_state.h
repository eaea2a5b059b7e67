// The pipeline state a device holds, as the Direct3D calls set it; what a draw needs is resolved from
// it once per draw in the device front (fixed_function_state.h).
//
// A fresh device starts with Direct3D 8's defaults: every render state as on a new device, every
// transform the identity, the viewport covering the whole back buffer with depth range [0, 1].
#pragma once

#include <array>
#include <map>

#include "platform/d3d8/d3d8.h"

namespace d3d8 {

// Render state ids run below this bound; ids that Direct3D 8 does not define are refused.
constexpr DWORD kRenderStateLimit = 176;

bool IsRenderState(DWORD id);

constexpr DWORD kStageCount = 8;
// Texture stage state ids run below this bound (D3DTSS_RESULTARG is the last).
constexpr DWORD kStageStateLimit = 29;

bool IsStageState(DWORD id);

class Texture;

// At most this many lights shine at once; beyond it, the lowest enabled indices win.
constexpr DWORD kMaxActiveLights = 8;

struct LightSlot {
  D3DLIGHT8 light{};
  bool enabled = false;
};

struct DeviceState {
  // Indexed by D3DRENDERSTATETYPE; entries of undefined ids stay 0 and are never read.
  std::array<DWORD, kRenderStateLimit> renderStates{};
  D3DMATRIX view{};
  D3DMATRIX projection{};
  std::array<D3DMATRIX, 8> texture{};  // D3DTS_TEXTURE0..7
  std::array<D3DMATRIX, 256> world{};  // D3DTS_WORLDMATRIX(0..255)
  D3DVIEWPORT8 viewport{};
  // Indexed by stage, then D3DTEXTURESTAGESTATETYPE (ids 0 and 12 are undefined and stay 0).
  std::array<std::array<DWORD, kStageStateLimit>, kStageCount> stages{};
  // Bound textures; the device holds one reference to each.
  std::array<Texture*, kStageCount> textures{};
  DWORD vertexShader = 0;  // FVF code; 0 until SetVertexShader
  IDirect3DVertexBuffer8* stream = nullptr;  // stream 0; the device holds one reference
  UINT streamStride = 0;  // bytes
  IDirect3DIndexBuffer8* indices = nullptr;  // the device holds one reference
  UINT baseVertexIndex = 0;  // added to every index
  bool inScene = false;
  // Every light index ever set or enabled, in index order.
  std::map<DWORD, LightSlot> lights;
  D3DMATERIAL8 material{};  // all zero on a fresh device

  // autoDepth: the device has an automatic depth buffer (D3DRS_ZENABLE then starts as D3DZB_TRUE).
  static DeviceState Fresh(UINT backBufferWidth, UINT backBufferHeight, bool autoDepth);

  // The matrix behind a transform id; null for ids Direct3D 8 does not define.
  D3DMATRIX* Transform(D3DTRANSFORMSTATETYPE id);
};

D3DMATRIX IdentityMatrix();

}  // namespace d3d8
