// The hardware device in a build without EGL: it never starts, and says why.
#include "platform/d3d8/device_backend.h"

namespace d3d8 {

std::unique_ptr<DeviceBackend> MakeGlBackend(HWND, UINT, UINT, D3DFORMAT, bool, bool, std::string& why, std::string&) {
  why = "this build has no OpenGL device (EGL was missing when it was configured, or VORNHOLD_GL was off)";
  return nullptr;
}

}  // namespace d3d8
