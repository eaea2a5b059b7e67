// What differs between the software device and the null device.
//
// The device front (device.h) validates every call and keeps the pipeline state; a backend only
// does the work on its surfaces and receives requests that are already checked and clipped.
#pragma once

#include <memory>
#include <vector>

#include "platform/d3d8/d3d8.h"

namespace d3d8 {

class DeviceBackend {
 public:
  virtual ~DeviceBackend() = default;

  // rects lie inside the back buffer; flags hold only D3DCLEAR_TARGET and D3DCLEAR_ZBUFFER, the
  // latter only when the device has a depth buffer.
  virtual void Clear(const std::vector<D3DRECT>& rects, DWORD flags, D3DCOLOR color, float z) = 0;
  // Hands the finished back buffer to the host for the window.
  virtual void Present(HWND window) = 0;
};

// The software device's surfaces: a back buffer in the given format and, if depth is true, a 16-bit
// depth buffer of the same size.
std::unique_ptr<DeviceBackend> MakeRefBackend(UINT width, UINT height, D3DFORMAT format, bool depth);
std::unique_ptr<DeviceBackend> MakeNullBackend();

}  // namespace d3d8
