// Direct3DCreate8 and the adapter: one adapter whose modes and desktop mode come from the
// window backend, each mode with the D3DFORMAT of its bit depth.
#include <atomic>
#include <vector>

#include "platform/d3d8/d3d8_host.h"
#include "platform/d3d8/device.h"
#include "platform/d3d8/display_link.h"
#include "platform/d3d8/reference_counted.h"

namespace d3d8 {
namespace {

bool& NullDeviceSwitch() {
  static bool on = false;
  return on;
}

class Direct3D8 final : public ReferenceCounted<IDirect3D8> {
 public:
  UINT GetAdapterModeCount(UINT Adapter) override {
    return Adapter == D3DADAPTER_DEFAULT ? static_cast<UINT>(AdapterModes().size()) : 0;
  }

  HRESULT EnumAdapterModes(UINT Adapter, UINT Mode, D3DDISPLAYMODE* pMode) override {
    if (Adapter != D3DADAPTER_DEFAULT || !pMode) return D3DERR_INVALIDCALL;
    const std::vector<D3DDISPLAYMODE> modes = AdapterModes();
    if (Mode >= modes.size()) return D3DERR_INVALIDCALL;
    *pMode = modes[Mode];
    return D3D_OK;
  }

  HRESULT GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) override {
    if (Adapter != D3DADAPTER_DEFAULT || !pMode) return D3DERR_INVALIDCALL;
    const D3DDISPLAYMODE desktop = DesktopMode();
    if (desktop.Format == D3DFMT_UNKNOWN) return D3DERR_NOTAVAILABLE;
    *pMode = desktop;
    return D3D_OK;
  }

  HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                       D3DPRESENT_PARAMETERS* pPresentationParameters,
                       IDirect3DDevice8** ppReturnedDeviceInterface) override {
    if (ppReturnedDeviceInterface) *ppReturnedDeviceInterface = nullptr;
    if (Adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    return Device::Create(this, DeviceType, hFocusWindow, pPresentationParameters,
                          ppReturnedDeviceInterface);
  }

 private:
  ~Direct3D8() override = default;
};

}  // namespace

void UseNullDevice(bool on) { NullDeviceSwitch() = on; }

bool NullDeviceInUse() { return NullDeviceSwitch(); }

namespace {
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
std::atomic<bool> g_rasterizerHelper{false};  // WebAssembly without threads: every row on one thread
#else
std::atomic<bool> g_rasterizerHelper{true};
#endif
}  // namespace

namespace {
std::atomic<HardwareDevice> g_hardwareDevice{HardwareDevice::kNever};
std::string& DeviceDescription() {
  static std::string description = "none";
  return description;
}
}  // namespace

void UseHardwareDevice(HardwareDevice choice) { g_hardwareDevice = choice; }

HardwareDevice HardwareDeviceChoice() { return g_hardwareDevice; }

std::string DeviceInUse() { return DeviceDescription(); }

void NoteDeviceInUse(const std::string& description) { DeviceDescription() = description; }

namespace {
BackBufferSize& BackBufferNoted() {
  static BackBufferSize size;
  return size;
}
}  // namespace

BackBufferSize BackBufferInUse() { return BackBufferNoted(); }

void NoteBackBufferInUse(BackBufferSize size) { BackBufferNoted() = size; }

void UseRasterizerHelper(bool on) { g_rasterizerHelper = on; }

bool RasterizerHelperInUse() { return g_rasterizerHelper; }

}  // namespace d3d8

IDirect3D8* Direct3DCreate8(UINT SDKVersion) {
  if (SDKVersion != D3D_SDK_VERSION && SDKVersion != 120) return nullptr;
  return new d3d8::Direct3D8();
}
