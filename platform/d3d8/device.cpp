#include "platform/d3d8/device.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "platform/d3d8/d3d8_host.h"
#include "platform/d3d8/device_trace.h"
#include "platform/d3d8/display_link.h"
#include "platform/d3d8/fvf.h"
#include "platform/d3d8/index_buffer.h"
#include "platform/d3d8/texture.h"
#include "platform/d3d8/unimplemented_states.h"
#include "platform/d3d8/vertex_buffer.h"
#include "platform/present/present.h"

namespace d3d8 {
namespace {

bool IsDepthFormat16(D3DFORMAT format) {
  return format == D3DFMT_D16 || format == D3DFMT_D16_LOCKABLE;
}

// The formats a back buffer may have: 32-bit (X8R8G8B8, A8R8G8B8), 24-bit R8G8B8, 16-bit (R5G6B5,
// X1R5G5B5, A1R5G5B5). The OpenGL device refuses R8G8B8 when it starts.
bool IsBackBufferFormat(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A8R8G8B8:
    case D3DFMT_R8G8B8:
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
      return true;
    default:
      return false;
  }
}

// A full-screen back buffer must match one of the adapter's modes.
bool AdapterHasMode(UINT width, UINT height, D3DFORMAT format) {
  for (const D3DDISPLAYMODE& mode : AdapterModes()) {
    if (mode.Width == width && mode.Height == height && mode.Format == format) return true;
  }
  return false;
}

// Fills in the defaults of the present parameters and checks what the devices can do.
HRESULT SettleSetup(HWND focusWindow, D3DPRESENT_PARAMETERS& params, DeviceSetup& setup) {
  setup.window = params.hDeviceWindow ? params.hDeviceWindow : focusWindow;
  if (!setup.window) return D3DERR_INVALIDCALL;
  setup.windowed = params.Windowed != FALSE;

  if (setup.windowed) {
    if (params.BackBufferWidth == 0 || params.BackBufferHeight == 0) {
      UINT width = 0, height = 0;
      if (!ClientSize(setup.window, width, height)) return D3DERR_INVALIDCALL;
      if (params.BackBufferWidth == 0) params.BackBufferWidth = width;
      if (params.BackBufferHeight == 0) params.BackBufferHeight = height;
    }
    if (params.BackBufferFormat == D3DFMT_UNKNOWN) {
      params.BackBufferFormat = DesktopMode().Format;
    }
  } else if (!AdapterHasMode(params.BackBufferWidth, params.BackBufferHeight,
                             params.BackBufferFormat)) {
    return D3DERR_INVALIDCALL;
  } else {
    // The mode chosen stands for the picture's shape; under a client-area limit (a size the mode
    // list lacks) the back buffer takes the limit's size, drawn natively, as a window's would.
    FitFullScreenBackBuffer(params.BackBufferWidth, params.BackBufferHeight);
  }
  if (params.BackBufferWidth == 0 || params.BackBufferHeight == 0) return D3DERR_INVALIDCALL;
  if (!IsBackBufferFormat(params.BackBufferFormat)) return D3DERR_INVALIDCALL;
  if (params.BackBufferCount == 0) params.BackBufferCount = 1;

  setup.depthBuffer = params.EnableAutoDepthStencil != FALSE;
  if (setup.depthBuffer && !IsDepthFormat16(params.AutoDepthStencilFormat)) {
    return D3DERR_NOTAVAILABLE;
  }
  setup.width = params.BackBufferWidth;
  setup.height = params.BackBufferHeight;
  setup.format = params.BackBufferFormat;
  return D3D_OK;
}

// The part of the rectangle inside the viewport; false when nothing is left.
bool ClipToViewport(const D3DRECT& rect, const D3DVIEWPORT8& viewport, D3DRECT& clipped) {
  const LONG left = static_cast<LONG>(viewport.X);
  const LONG top = static_cast<LONG>(viewport.Y);
  const LONG right = left + static_cast<LONG>(viewport.Width);
  const LONG bottom = top + static_cast<LONG>(viewport.Height);
  clipped.x1 = std::max(rect.x1, left);
  clipped.y1 = std::max(rect.y1, top);
  clipped.x2 = std::min(rect.x2, right);
  clipped.y2 = std::min(rect.y2, bottom);
  return clipped.x1 < clipped.x2 && clipped.y1 < clipped.y2;
}

bool IsTriangleType(D3DPRIMITIVETYPE type) {
  return type == D3DPT_TRIANGLELIST || type == D3DPT_TRIANGLESTRIP || type == D3DPT_TRIANGLEFAN;
}

// Vertices (or indices) that `primitives` (at least 1) triangles of the type read.
UINT TriangleVertexCount(D3DPRIMITIVETYPE type, UINT primitives) {
  return type == D3DPT_TRIANGLELIST ? 3 * primitives : primitives + 2;
}

// True when `count` vertices from `first` on, `stride` apart and `size` bytes each, lie within
// `bytes` bytes.
bool VerticesFit(std::uint64_t first, std::uint64_t count, UINT stride, UINT size,
                 std::size_t bytes) {
  return count == 0 || (first + count - 1) * stride + size <= bytes;
}

}  // namespace

HRESULT Device::Create(IDirect3D8* parent, D3DDEVTYPE type, HWND focusWindow,
                       D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** out) {
  if (!out || !params) return D3DERR_INVALIDCALL;
  *out = nullptr;
  const bool null = NullDeviceInUse() || type == D3DDEVTYPE_NULLREF;
  const HardwareDevice hardware = HardwareDeviceChoice();
  if (!null) {
    if (type == D3DDEVTYPE_HAL && hardware == HardwareDevice::kNever) return D3DERR_NOTAVAILABLE;
    if (type != D3DDEVTYPE_REF && type != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
  }

  D3DPRESENT_PARAMETERS settled = *params;
  DeviceSetup setup;
  if (const HRESULT hr = SettleSetup(focusWindow, settled, setup); FAILED(hr)) return hr;

  try {
    std::unique_ptr<DeviceBackend> backend;
    std::string description;
    if (null) {
      backend = MakeNullBackend();
      description = "null";
    } else if (type == D3DDEVTYPE_HAL) {
      std::string why, renderer;
      const bool acceptSoftware =
          hardware == HardwareDevice::kAnyOpenGl || std::getenv("VORNHOLD_LLVMPIPE_IS_HARDWARE") != nullptr;
      backend = MakeGlBackend(setup.window, setup.width, setup.height, setup.format, setup.depthBuffer,
                              acceptSoftware, why, renderer);
      if (!backend) {
        if (hardware == HardwareDevice::kAnyOpenGl) {
          std::fprintf(stderr, "vornhold: no hardware device: %s; using the software device\n", why.c_str());
        }
        return D3DERR_NOTAVAILABLE;
      }
      description = "OpenGL (" + renderer + ")";
      setup.reportsAs = "HAL";
    } else {
      backend = MakeRefBackend(setup.width, setup.height, setup.format, setup.depthBuffer);
      description = "software";
      setup.reportsAs = "REF";
    }
    *out = new Device(parent, setup, std::move(backend));
    NoteDeviceInUse(description);
    NoteBackBufferInUse({setup.width, setup.height});
  } catch (const std::bad_alloc&) {
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  *params = settled;
  return D3D_OK;
}

Device::Device(IDirect3D8* parent, const DeviceSetup& setup, std::unique_ptr<DeviceBackend> backend)
    : parent_(parent),
      setup_(setup),
      state_(DeviceState::Fresh(setup.width, setup.height, setup.depthBuffer)),
      backend_(std::move(backend)) {
  parent_->AddRef();
  if (!setup_.windowed) SetFullscreen(setup_.window, true);
}

Device::~Device() {
  for (Texture* texture : state_.textures) {
    if (texture) texture->Release();
  }
  if (state_.stream) state_.stream->Release();
  if (state_.indices) state_.indices->Release();
  if (!setup_.windowed) SetFullscreen(setup_.window, false);
  parent_->Release();
}

HRESULT Device::BeginScene() {
  if (state_.inScene) return D3DERR_INVALIDCALL;
  state_.inScene = true;
  return D3D_OK;
}

HRESULT Device::EndScene() {
  if (!state_.inScene) return D3DERR_INVALIDCALL;
  state_.inScene = false;
  return D3D_OK;
}

// Rectangles are clipped to the viewport; no rectangles clear the whole viewport. There is never a
// stencil buffer, so D3DCLEAR_STENCIL is accepted and does nothing.
HRESULT Device::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                      DWORD Stencil) {
  if (Count > 0 && !pRects) return D3DERR_INVALIDCALL;
  if ((Flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) == 0 ||
      (Flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0) {
    return D3DERR_INVALIDCALL;
  }
  if ((Flags & D3DCLEAR_ZBUFFER) && !setup_.depthBuffer) return D3DERR_INVALIDCALL;

  std::vector<D3DRECT> rects;
  const D3DVIEWPORT8& viewport = state_.viewport;
  if (Count == 0) {
    rects.push_back({static_cast<LONG>(viewport.X), static_cast<LONG>(viewport.Y),
                     static_cast<LONG>(viewport.X + viewport.Width),
                     static_cast<LONG>(viewport.Y + viewport.Height)});
  } else {
    for (DWORD i = 0; i < Count; ++i) {
      D3DRECT clipped;
      if (ClipToViewport(pRects[i], viewport, clipped)) rects.push_back(clipped);
    }
  }
  const DWORD work = Flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
  if (work == 0 || rects.empty()) return D3D_OK;
  if (!platform::PixelsDrawn()) {
    holdsUndrawn_ = true;  // even a whole clear: the surfaces keep what was there before it
    return D3D_OK;
  }
  // A clear of every pixel of both buffers leaves nothing of the frames before it.
  const DWORD both = D3DCLEAR_TARGET | (setup_.depthBuffer ? D3DCLEAR_ZBUFFER : 0);
  const D3DRECT& r = rects.front();
  const bool whole = (work & both) == both && rects.size() == 1 && r.x1 == 0 && r.y1 == 0 &&
                     r.x2 == LONG(setup_.width) && r.y2 == LONG(setup_.height);
  if (whole) holdsUndrawn_ = false;
  backend_->Clear(rects, work, Color, Z);
  return D3D_OK;
}

// Only whole-surface presents exist: source and destination rectangles must be null. The dirty
// region is a hint and is ignored.
HRESULT Device::Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                        const RGNDATA* pDirtyRegion) {
  if (pSourceRect || pDestRect) return D3DERR_INVALIDCALL;
  if (!platform::PixelsDrawn()) {
    platform::DeliverPresent(hDestWindowOverride ? hDestWindowOverride : setup_.window, nullptr);
    return D3D_OK;
  }
  if (holdsUndrawn_) platform::NoteUndrawnPixelsPresented();
  const platform::FrameImage* frame = backend_->Present();
  platform::DeliverPresent(hDestWindowOverride ? hDestWindowOverride : setup_.window, frame);
  return D3D_OK;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
  TraceSetTransform(State, pMatrix);
  D3DMATRIX* target = state_.Transform(State);
  if (!target || !pMatrix) return D3DERR_INVALIDCALL;
  *target = *pMatrix;
  return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) {
  D3DMATRIX* source = state_.Transform(State);
  if (!source || !pMatrix) return D3DERR_INVALIDCALL;
  *pMatrix = *source;
  return D3D_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
  TraceSetRenderState(State, Value);
  if (!IsRenderState(State)) return D3DERR_INVALIDCALL;
  state_.renderStates[State] = Value;
  if (setup_.reportsAs) NoteRenderState(setup_.reportsAs, State, Value);
  return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) {
  if (!IsRenderState(State) || !pValue) return D3DERR_INVALIDCALL;
  *pValue = state_.renderStates[State];
  return D3D_OK;
}

HRESULT Device::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                   IDirect3DVertexBuffer8** ppVertexBuffer) {
  if (!ppVertexBuffer) return D3DERR_INVALIDCALL;
  *ppVertexBuffer = nullptr;
  if (Length == 0 || Pool > D3DPOOL_SCRATCH) return D3DERR_INVALIDCALL;
  try {
    *ppVertexBuffer = new VertexBuffer(Length, Usage, FVF, Pool);
  } catch (const std::bad_alloc&) {
    return D3D_E_OUTOFMEMORY;
  }
  return D3D_OK;
}

// Not traced: it changes nothing, and the texture loader asks it for every picture.
HRESULT Device::GetDeviceCaps(D3DCAPS8* pCaps) {
  if (!pCaps) return D3DERR_INVALIDCALL;
  *pCaps = D3DCAPS8{};
  pCaps->MaxTextureWidth = pCaps->MaxTextureHeight = backend_->MaxTextureSide();
  return D3D_OK;
}

// Textures live in system memory whatever the pool; render-target and depth usages are refused
// because no draw can target a texture.
HRESULT Device::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format,
                              D3DPOOL Pool, IDirect3DTexture8** ppTexture) {
  if (!ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  const UINT largest = backend_->MaxTextureSide();
  if (Width == 0 || Height == 0 || Width > largest || Height > largest || Pool > D3DPOOL_SCRATCH ||
      !IsTextureFormat(Format)) {
    return D3DERR_INVALIDCALL;
  }
  if (Usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) return D3DERR_INVALIDCALL;
  const UINT fullChain = FullChainLength(Width, Height);
  if (Levels > fullChain) return D3DERR_INVALIDCALL;
  try {
    *ppTexture = new Texture(Width, Height, Levels == 0 ? fullChain : Levels, Usage, Format, Pool);
  } catch (const std::bad_alloc&) {
    return D3D_E_OUTOFMEMORY;
  }
  return D3D_OK;
}

HRESULT Device::SetTexture(DWORD Stage, IDirect3DBaseTexture8* pTexture) {
  TraceSetTexture(Stage, pTexture);
  if (Stage >= kStageCount) return D3DERR_INVALIDCALL;
  Texture* texture = nullptr;
  if (pTexture) {
    texture = dynamic_cast<Texture*>(pTexture);
    if (!texture) return D3DERR_INVALIDCALL;
    texture->AddRef();
  }
  if (state_.textures[Stage]) state_.textures[Stage]->Release();
  state_.textures[Stage] = texture;
  return D3D_OK;
}

HRESULT Device::GetTexture(DWORD Stage, IDirect3DBaseTexture8** ppTexture) {
  if (Stage >= kStageCount || !ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = state_.textures[Stage];
  if (*ppTexture) (*ppTexture)->AddRef();
  return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
  TraceSetTextureStageState(Stage, Type, Value);
  if (Stage >= kStageCount || !IsStageState(Type)) return D3DERR_INVALIDCALL;
  state_.stages[Stage][Type] = Value;
  if (setup_.reportsAs) NoteStageState(setup_.reportsAs, Stage, Type, Value);
  return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) {
  if (Stage >= kStageCount || !IsStageState(Type) || !pValue) return D3DERR_INVALIDCALL;
  *pValue = state_.stages[Stage][Type];
  return D3D_OK;
}

HRESULT Device::SetVertexShader(DWORD Handle) {
  FvfLayout layout;
  if (!DecodeFvf(Handle, layout)) return D3DERR_INVALIDCALL;
  state_.vertexShader = Handle;
  return D3D_OK;
}

// Only stream 0 exists for the fixed-function formats; a null buffer unbinds it.
HRESULT Device::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer8* pStreamData,
                                UINT Stride) {
  if (StreamNumber != 0) return D3DERR_INVALIDCALL;
  if (pStreamData) pStreamData->AddRef();
  if (state_.stream) state_.stream->Release();
  state_.stream = pStreamData;
  state_.streamStride = Stride;
  return D3D_OK;
}

// Draws only inside a scene; points and lines are not drawn by the software device and are
// refused, as are vertex ranges that run past the end of the buffer.
HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex,
                              UINT PrimitiveCount) {
  if (!state_.inScene || !state_.stream || state_.vertexShader == 0) return D3DERR_INVALIDCALL;
  if (!IsTriangleType(PrimitiveType)) return D3DERR_INVALIDCALL;
  if (PrimitiveCount == 0) return D3D_OK;
  const UINT vertexCount = TriangleVertexCount(PrimitiveType, PrimitiveCount);
  FvfLayout layout;
  DecodeFvf(state_.vertexShader, layout);
  if (state_.streamStride < layout.size) return D3DERR_INVALIDCALL;
  const auto& bytes = static_cast<VertexBuffer*>(state_.stream)->Bytes();
  if (!VerticesFit(StartVertex, vertexCount, state_.streamStride, layout.size, bytes.size())) {
    return D3DERR_INVALIDCALL;
  }

  DrawRequest request;
  request.state = &state_;
  request.type = PrimitiveType;
  request.vertices = bytes.data() + static_cast<std::size_t>(StartVertex) * state_.streamStride;
  request.stride = state_.streamStride;
  request.vertexCount = vertexCount;
  request.primitiveCount = PrimitiveCount;
  request.fvf = state_.vertexShader;
  request.vertexBuffer = static_cast<VertexBuffer*>(state_.stream);
  Submit(request);
  return D3D_OK;
}

void Device::Submit(DrawRequest& request) {
  if (!platform::PixelsDrawn()) {
    holdsUndrawn_ = true;
    return;
  }
  ResolveFixedFunction(state_, request.fvf, setup_.depthBuffer, fixed_);
  request.fixed = &fixed_;
  backend_->Draw(request);
}

HRESULT Device::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                  IDirect3DIndexBuffer8** ppIndexBuffer) {
  if (!ppIndexBuffer) return D3DERR_INVALIDCALL;
  *ppIndexBuffer = nullptr;
  if (Length == 0 || Pool > D3DPOOL_SCRATCH) return D3DERR_INVALIDCALL;
  if (Format != D3DFMT_INDEX16 && Format != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
  try {
    *ppIndexBuffer = new IndexBuffer(Length, Usage, Format, Pool);
  } catch (const std::bad_alloc&) {
    return D3D_E_OUTOFMEMORY;
  }
  return D3D_OK;
}

// A null buffer unbinds the indices.
HRESULT Device::SetIndices(IDirect3DIndexBuffer8* pIndexData, UINT BaseVertexIndex) {
  if (pIndexData && !dynamic_cast<IndexBuffer*>(pIndexData)) return D3DERR_INVALIDCALL;
  if (pIndexData) pIndexData->AddRef();
  if (state_.indices) state_.indices->Release();
  state_.indices = pIndexData;
  state_.baseVertexIndex = BaseVertexIndex;
  return D3D_OK;
}

// Refused when the indices run past their buffer, an index falls outside
// [MinIndex, MinIndex + NumVertices), or those vertices run past the stream buffer.
HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT MinIndex,
                                     UINT NumVertices, UINT StartIndex, UINT PrimitiveCount) {
  if (!state_.inScene || !state_.stream || !state_.indices || state_.vertexShader == 0) {
    return D3DERR_INVALIDCALL;
  }
  if (!IsTriangleType(PrimitiveType)) return D3DERR_INVALIDCALL;
  if (PrimitiveCount == 0) return D3D_OK;
  const UINT indexCount = TriangleVertexCount(PrimitiveType, PrimitiveCount);
  FvfLayout layout;
  DecodeFvf(state_.vertexShader, layout);
  if (state_.streamStride < layout.size || NumVertices == 0) return D3DERR_INVALIDCALL;
  const auto& vertexBytes = static_cast<VertexBuffer*>(state_.stream)->Bytes();
  const std::uint64_t firstVertex = static_cast<std::uint64_t>(state_.baseVertexIndex) + MinIndex;
  if (!VerticesFit(firstVertex, NumVertices, state_.streamStride, layout.size,
                   vertexBytes.size())) {
    return D3DERR_INVALIDCALL;
  }
  const auto* indexBuffer = static_cast<IndexBuffer*>(state_.indices);
  const auto& indexBytes = indexBuffer->Bytes();
  const UINT indexSize = indexBuffer->IndexSize();
  if ((static_cast<std::uint64_t>(StartIndex) + indexCount) * indexSize > indexBytes.size()) {
    return D3DERR_INVALIDCALL;
  }
  const BYTE* indices = indexBytes.data() + static_cast<std::size_t>(StartIndex) * indexSize;
  const std::uint64_t end = static_cast<std::uint64_t>(MinIndex) + NumVertices;
  for (UINT i = 0; i < indexCount; ++i) {
    std::uint32_t index;
    if (indexSize == 4) {
      std::memcpy(&index, indices + 4 * static_cast<std::size_t>(i), 4);
    } else {
      std::uint16_t narrow;
      std::memcpy(&narrow, indices + 2 * static_cast<std::size_t>(i), 2);
      index = narrow;
    }
    if (index < MinIndex || index >= end) return D3DERR_INVALIDCALL;
  }

  DrawRequest request;
  request.state = &state_;
  request.type = PrimitiveType;
  request.vertices = vertexBytes.data() + static_cast<std::size_t>(firstVertex) * state_.streamStride;
  request.stride = state_.streamStride;
  request.vertexCount = NumVertices;
  request.primitiveCount = PrimitiveCount;
  request.fvf = state_.vertexShader;
  request.indices = indices;
  request.wideIndices = indexSize == 4;
  request.firstIndex = MinIndex;
  request.vertexBuffer = static_cast<VertexBuffer*>(state_.stream);
  request.indexBuffer = indexBuffer;
  Submit(request);
  return D3D_OK;
}

// Any values are taken: a light of an undefined type shines nothing, and all-zero attenuation
// counts as the largest finite factor.
HRESULT Device::SetLight(DWORD Index, const D3DLIGHT8* pLight) {
  TraceSetLight(Index, pLight);
  if (!pLight) return D3DERR_INVALIDCALL;
  try {
    state_.lights[Index].light = *pLight;
  } catch (const std::bad_alloc&) {
    return D3D_E_OUTOFMEMORY;
  }
  return D3D_OK;
}

HRESULT Device::GetLight(DWORD Index, D3DLIGHT8* pLight) {
  const auto found = state_.lights.find(Index);
  if (!pLight || found == state_.lights.end()) return D3DERR_INVALIDCALL;
  *pLight = found->second.light;
  return D3D_OK;
}

HRESULT Device::LightEnable(DWORD Index, BOOL Enable) {
  TraceLightEnable(Index, Enable);
  auto found = state_.lights.find(Index);
  if (found == state_.lights.end()) {
    if (!Enable) return D3D_OK;  // nothing to switch off; no light is created
    LightSlot slot;
    slot.light.Type = D3DLIGHT_DIRECTIONAL;
    slot.light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    slot.light.Direction = {0.0f, 0.0f, 1.0f};
    try {
      found = state_.lights.emplace(Index, slot).first;
    } catch (const std::bad_alloc&) {
      return D3D_E_OUTOFMEMORY;
    }
  }
  found->second.enabled = Enable != FALSE;
  return D3D_OK;
}

HRESULT Device::GetLightEnable(DWORD Index, BOOL* pEnable) {
  const auto found = state_.lights.find(Index);
  if (!pEnable || found == state_.lights.end()) return D3DERR_INVALIDCALL;
  *pEnable = found->second.enabled ? TRUE : FALSE;
  return D3D_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL8* pMaterial) {
  TraceSetMaterial(pMaterial);
  if (!pMaterial) return D3DERR_INVALIDCALL;
  state_.material = *pMaterial;
  return D3D_OK;
}

HRESULT Device::GetMaterial(D3DMATERIAL8* pMaterial) {
  if (!pMaterial) return D3DERR_INVALIDCALL;
  *pMaterial = state_.material;
  return D3D_OK;
}

}  // namespace d3d8
