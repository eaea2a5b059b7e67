#include "platform/d3d8/display_link.h"

#include "platform/win32/win32_host.h"
#include "platform/win32/window_backend.h"

namespace d3d8 {
namespace {

D3DDISPLAYMODE ToDisplayMode(const win32::ScreenMode& mode) {
  return {static_cast<UINT>(mode.width), static_cast<UINT>(mode.height),
          static_cast<UINT>(mode.refreshHz), AdapterFormatOfBits(mode.bitsPerPixel)};
}

}  // namespace

D3DFORMAT AdapterFormatOfBits(int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 32:
      return D3DFMT_X8R8G8B8;
    case 24:
      return D3DFMT_R8G8B8;
    case 16:
      return D3DFMT_R5G6B5;
    case 15:
      return D3DFMT_X1R5G5B5;
    default:
      return D3DFMT_UNKNOWN;
  }
}

std::vector<D3DDISPLAYMODE> AdapterModes() {
  std::vector<D3DDISPLAYMODE> modes;
  for (const win32::ScreenMode& mode : win32::GetWindowBackend().DisplayModes()) {
    const D3DDISPLAYMODE converted = ToDisplayMode(mode);
    if (converted.Format != D3DFMT_UNKNOWN && mode.width > 0 && mode.height > 0) {
      modes.push_back(converted);
    }
  }
  return modes;
}

D3DDISPLAYMODE DesktopMode() { return ToDisplayMode(win32::GetWindowBackend().DesktopMode()); }

bool ClientSize(HWND window, UINT& width, UINT& height) {
  RECT client{};
  if (!GetClientRect(window, &client)) return false;
  width = static_cast<UINT>(client.right - client.left);
  height = static_cast<UINT>(client.bottom - client.top);
  return true;
}

void SetFullscreen(HWND window, bool fullscreen) {
  win32::GetWindowBackend().SetFullscreen(window, fullscreen);
}

void FitFullScreenBackBuffer(UINT& width, UINT& height) {
  int w = static_cast<int>(width), h = static_cast<int>(height);
  win32::FitIntoClientAreaLimit(w, h);
  width = static_cast<UINT>(w);
  height = static_cast<UINT>(h);
}

}  // namespace d3d8
