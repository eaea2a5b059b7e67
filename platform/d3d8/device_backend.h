// What differs between the devices: the software device (ref/), the OpenGL device (gl/) and the
// null device.
//
// The device front (device.h) validates every call, keeps the pipeline state, resolves the
// fixed-function state of each draw, reports what the devices do not implement and hands presented
// frames to the host; a backend only does the work on its surfaces and receives requests that are
// already checked and clipped.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/d3d8/d3d8.h"

namespace platform {
struct FrameImage;
}

namespace d3d8 {

struct DeviceState;
struct FixedFunctionState;
class IndexBuffer;
class VertexBuffer;

// One checked DrawPrimitive or DrawIndexedPrimitive; type is a triangle list, strip or fan.
// Unindexed: vertexCount vertices in primitive order. Indexed: the primitives' indices, each
// index i naming vertex i - firstIndex of the vertexCount vertices. Everything named lies inside
// its buffer.
struct DrawRequest {
  const DeviceState* state = nullptr;
  const FixedFunctionState* fixed = nullptr;  // `state` resolved for this draw
  D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
  const BYTE* vertices = nullptr;  // the first vertex of the draw
  UINT stride = 0;                 // bytes from one vertex to the next
  UINT vertexCount = 0;
  UINT primitiveCount = 0;
  DWORD fvf = 0;
  const BYTE* indices = nullptr;  // null: unindexed
  bool wideIndices = false;       // 32-bit indices, else 16-bit
  UINT firstIndex = 0;            // the index of the first vertex
  // The buffers that `vertices` and `indices` point into, for a backend that keeps copies.
  const VertexBuffer* vertexBuffer = nullptr;
  const IndexBuffer* indexBuffer = nullptr;
};

// The largest texture side a device reports, as cards of the DirectX 8 years did: a texture this large is 64 MiB at
// 32 bits, and a picture past it is refused by the texture loader before it is decoded.
constexpr UINT kMaxTextureSide = 4096;

class DeviceBackend {
 public:
  virtual ~DeviceBackend() = default;

  // The largest texture width and height this device takes (a power of two).
  virtual UINT MaxTextureSide() const { return kMaxTextureSide; }

  // rects lie inside the back buffer; flags hold only D3DCLEAR_TARGET and D3DCLEAR_ZBUFFER, the
  // latter only when the device has a depth buffer.
  virtual void Clear(const std::vector<D3DRECT>& rects, DWORD flags, D3DCOLOR color, float z) = 0;
  // Finishes the frame (showing it, for a device that shows frames in the window itself) and
  // returns its pixels for the host, valid until the next call; null when the device draws nothing
  // or showed the frame itself while the host wants no pixels (platform::FramePixelsWanted()).
  virtual const platform::FrameImage* Present() = 0;
  virtual void Draw(const DrawRequest& request) = 0;
};

// The software device's surfaces: a back buffer in the given format and, if depth is true, a 16-bit
// depth buffer of the same size.
std::unique_ptr<DeviceBackend> MakeRefBackend(UINT width, UINT height, D3DFORMAT format, bool depth);
std::unique_ptr<DeviceBackend> MakeNullBackend();
// The OpenGL device (gl/): the same surfaces on OpenGL 3.3 core or OpenGL ES 3.0 (gl_context.h),
// shown in the window by the device itself where the window backend gives the window an OpenGL
// context, headless otherwise. Null, with the reason in `why`, when OpenGL cannot start or, without
// acceptSoftware, runs on a software rasterizer; `renderer` gets GL_RENDERER whenever a context
// started, followed by ", OpenGL ES" on ES.
std::unique_ptr<DeviceBackend> MakeGlBackend(HWND window, UINT width, UINT height, D3DFORMAT format, bool depth,
                                             bool acceptSoftware, std::string& why, std::string& renderer);

}  // namespace d3d8
