// The device front shared by every device (software, OpenGL, null): validates every call, keeps the
// pipeline state and the scene bracket, resolves each draw's fixed-function state, reports the
// states the devices do not implement, hands checked work to its backend and the presented frames
// to the host.
#pragma once

#include <memory>

#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/device_backend.h"
#include "platform/d3d8/device_state.h"
#include "platform/d3d8/fixed_function_state.h"
#include "platform/d3d8/reference_counted.h"

namespace d3d8 {

// What CreateDevice settled: the present parameters with every default filled in.
struct DeviceSetup {
  HWND window = nullptr;  // where Present delivers
  bool windowed = true;
  bool depthBuffer = false;
  UINT width = 0;   // back buffer, pixels
  UINT height = 0;  // back buffer, pixels
  D3DFORMAT format = D3DFMT_UNKNOWN;
  // The device as it names itself when it reports a state it does not implement ("REF", "HAL");
  // null for the null device, which draws nothing and so reports nothing.
  const char* reportsAs = nullptr;
};

class Device final : public ReferenceCounted<IDirect3DDevice8> {
 public:
  // The whole of IDirect3D8::CreateDevice after the adapter number was checked.
  static HRESULT Create(IDirect3D8* parent, D3DDEVTYPE type, HWND focusWindow,
                        D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** out);

  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                DWORD Stencil) override;
  HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                  const RGNDATA* pDirtyRegion) override;
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) override;
  HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                             IDirect3DVertexBuffer8** ppVertexBuffer) override;
  HRESULT GetDeviceCaps(D3DCAPS8* pCaps) override;
  HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format,
                        D3DPOOL Pool, IDirect3DTexture8** ppTexture) override;
  HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture8* pTexture) override;
  HRESULT GetTexture(DWORD Stage, IDirect3DBaseTexture8** ppTexture) override;
  HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override;
  HRESULT GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) override;
  HRESULT SetVertexShader(DWORD Handle) override;
  HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer8* pStreamData,
                          UINT Stride) override;
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex,
                        UINT PrimitiveCount) override;
  HRESULT SetLight(DWORD Index, const D3DLIGHT8* pLight) override;
  HRESULT GetLight(DWORD Index, D3DLIGHT8* pLight) override;
  HRESULT LightEnable(DWORD Index, BOOL Enable) override;
  HRESULT GetLightEnable(DWORD Index, BOOL* pEnable) override;
  HRESULT SetMaterial(const D3DMATERIAL8* pMaterial) override;
  HRESULT GetMaterial(D3DMATERIAL8* pMaterial) override;
  HRESULT CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                            IDirect3DIndexBuffer8** ppIndexBuffer) override;
  HRESULT SetIndices(IDirect3DIndexBuffer8* pIndexData, UINT BaseVertexIndex) override;
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT MinIndex, UINT NumVertices,
                               UINT StartIndex, UINT PrimitiveCount) override;

  const DeviceSetup& Setup() const { return setup_; }
  const DeviceState& State() const { return state_; }
  DeviceBackend& Backend() { return *backend_; }

 private:
  Device(IDirect3D8* parent, const DeviceSetup& setup, std::unique_ptr<DeviceBackend> backend);
  ~Device() override;

  // Resolves the fixed-function state for the request and hands it to the backend.
  void Submit(DrawRequest& request);

  IDirect3D8* parent_;  // holds one reference for the device's lifetime
  DeviceSetup setup_;
  DeviceState state_;
  FixedFunctionState fixed_;  // of the latest draw, reused
  std::unique_ptr<DeviceBackend> backend_;
  // Something left undrawn (platform::PixelsDrawn() false) is still in the back buffer or the depth
  // buffer: no clear of the whole of both has come since.
  bool holdsUndrawn_ = false;
};

}  // namespace d3d8
