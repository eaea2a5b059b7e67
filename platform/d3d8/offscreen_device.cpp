#include "platform/d3d8/offscreen_device.h"

#include <map>
#include <memory>
#include <string>

#include "platform/win32/win32.h"
#include "platform/win32/window_backend.h"

namespace d3d8 {

HWND CreateOffscreenWindow(int width, int height, WNDPROC procedure) {
  // As on Windows, a class registers once per process, so each procedure keeps the class it got.
  static std::map<WNDPROC, std::string> classes;
  const auto [entry, fresh] = classes.try_emplace(procedure, "offscreen window " + std::to_string(classes.size()));
  const std::string& name = entry->second;
  if (fresh) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.lpszClassName = name.c_str();
    if (!RegisterClassExA(&wc)) {
      classes.erase(entry);
      return nullptr;
    }
  }
  return CreateWindowExA(0, name.c_str(), "", WS_POPUP, 0, 0, width, height, nullptr, nullptr, nullptr, nullptr);
}

HRESULT CreateOffscreenDevice(IDirect3D8* d3d, const OffscreenDeviceSetup& setup, IDirect3DDevice8** device) {
  *device = nullptr;
  const HWND window = CreateOffscreenWindow(setup.width, setup.height);
  if (!window) return D3DERR_NOTAVAILABLE;
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferFormat = setup.format;
  pp.BackBufferCount = 1;
  pp.SwapEffect = D3DSWAPEFFECT_COPY;
  pp.Windowed = TRUE;
  pp.EnableAutoDepthStencil = setup.depth ? TRUE : FALSE;
  pp.AutoDepthStencilFormat = D3DFMT_D16;
  return d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_REF, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                           device);
}

OffscreenDevice::OffscreenDevice(const OffscreenDeviceSetup& setup) {
  auto backend = std::make_unique<win32::HeadlessBackend>();
  backend->SetDesktopMode({setup.width, setup.height, 32, 60});
  win32::SetWindowBackend(std::move(backend));
  d3d_ = Direct3DCreate8(D3D_SDK_VERSION);
  result_ = d3d_ ? CreateOffscreenDevice(d3d_, setup, &device_) : D3DERR_NOTAVAILABLE;
}

OffscreenDevice::~OffscreenDevice() {
  if (device_) device_->Release();
  if (d3d_) d3d_->Release();
}

}  // namespace d3d8
