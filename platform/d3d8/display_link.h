// The window side the adapter and the devices depend on, read from the Win32 window backend.
#pragma once

#include <vector>

#include "platform/d3d8/d3d8.h"

namespace d3d8 {

// The backend's modes in its order, each with the format of its bit depth (32 -> X8R8G8B8,
// 24 -> R8G8B8, 16 -> R5G6B5, 15 -> X1R5G5B5); other bit depths are left out.
std::vector<D3DDISPLAYMODE> AdapterModes();
// The desktop mode; Format is D3DFMT_UNKNOWN when its bit depth has no adapter format.
D3DDISPLAYMODE DesktopMode();
// The client area of a window in pixels; false for a window that does not exist.
bool ClientSize(HWND window, UINT& width, UINT& height);
void SetFullscreen(HWND window, bool fullscreen);
// A full-screen back buffer of the mode width x height, enlarged or shrunk as windows are by the
// host's client-area limit (its shape kept); unchanged without a limit.
void FitFullScreenBackBuffer(UINT& width, UINT& height);

D3DFORMAT AdapterFormatOfBits(int bitsPerPixel);

}  // namespace d3d8
