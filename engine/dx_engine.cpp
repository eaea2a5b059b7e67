#include "engine/dx_engine.h"

#include "Win32Platform/Window/qv_core.h"
#include "platform/trace/trace.h"

DxEngine* g_pDxEngine = nullptr;

namespace {

// Program-wide: offered modes are numbered in the order they are found, across every call.
int g_modeCounter = 0;

}  // namespace

DxEngine::DxEngine()
    : d3d(nullptr),
      device(nullptr),
      chosenMode(0),
      lastTexture(nullptr),
      aspect(0),
      zNear(0),
      zFar(0),
      quadBuffer(nullptr) {
  d3d = Direct3DCreate8(120);
  if (!d3d) MessageBoxA(nullptr, "Unable to create D3D8 Object", "DX8::Error", MB_OK);
}

void DxEngine::Shutdown() {
  if (quadBuffer) {
    quadBuffer->Release();
    quadBuffer = nullptr;
  }
  if (device) {
    device->Release();
    device = nullptr;
  }
  if (d3d) {
    d3d->Release();
    d3d = nullptr;
  }
  modes.clear();
}

int DxEngine::BitDepthOfFormat(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_R8G8B8:  // 24-bit counts as 32
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
      return 32;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
      return 16;
    case D3DFMT_L8:
    case D3DFMT_A4L4:
      return 8;
    default:
      return 0;
  }
}

void DxEngine::EnumerateModes(const int (*wanted)[3], int count, std::vector<DisplayMode>& target) {
  const UINT n = d3d->GetAdapterModeCount(0);
  for (UINT i = 0; i < n; ++i) {
    D3DDISPLAYMODE mode;
    d3d->EnumAdapterModes(0, i, &mode);
    for (int w = 0; w < count; ++w) {
      if (int(mode.Width) != wanted[w][0] || int(mode.Height) != wanted[w][1] ||
          BitDepthOfFormat(mode.Format) != wanted[w][2])
        continue;
      bool known = false;
      for (const DisplayMode& m : target)
        known = known || (m.width == int(mode.Width) && m.height == int(mode.Height) && m.format == mode.Format);
      if (known) continue;
      const DisplayMode record{int(mode.Width), int(mode.Height), wanted[w][2], g_modeCounter, mode.Format};
      target.push_back(record);
      modes.push_back(record);
      ++g_modeCounter;
    }
  }
}

int DxEngine::CreateDevice(QvCore* core, BYTE windowed) {
  D3DPRESENT_PARAMETERS pp = {};
  if (windowed) {
    D3DDISPLAYMODE desktop;
    d3d->GetAdapterDisplayMode(0, &desktop);
    pp.BackBufferFormat = desktop.Format;  // width and height 0: the window's client size
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.Windowed = TRUE;
  } else {
    for (const DisplayMode& m : modes) {
      if (m.index != chosenMode) continue;
      pp.BackBufferWidth = UINT(m.width);
      pp.BackBufferHeight = UINT(m.height);
      pp.BackBufferFormat = m.format;
    }
    pp.SwapEffect = D3DSWAPEFFECT_FLIP;
    pp.Windowed = FALSE;
    pp.FullScreen_RefreshRateInHz = 0;
    pp.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_ONE;
  }
  pp.BackBufferCount = 1;
  pp.MultiSampleType = D3DMULTISAMPLE_NONE;
  pp.hDeviceWindow = nullptr;
  pp.EnableAutoDepthStencil = TRUE;
  pp.AutoDepthStencilFormat = D3DFMT_D16;
  pp.Flags = 0;

  if (FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, core->m_hWnd, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                               &device)) &&
      FAILED(d3d->CreateDevice(0, D3DDEVTYPE_REF, core->m_hWnd, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                               &device))) {
    device = nullptr;
    MessageBoxA(nullptr, "Unable to create Direct3D Device", "DX Engine::DX8 Error", MB_OK);
    return 0;
  }
  device->CreateVertexBuffer(kQuadBufferBytes, D3DUSAGE_WRITEONLY, kScreenVertexFormat, D3DPOOL_MANAGED,
                             &quadBuffer);
  return 1;
}

void DxEngine::SetProjection(float fov, float aspectRatio, float nearPlane, float farPlane) {
  const trace::Operation operation(__func__, fov, aspectRatio, nearPlane, farPlane);
  D3DXMatrixPerspectiveFovLH(&projection, fov, aspectRatio, nearPlane, farPlane);
  device->SetTransform(D3DTS_PROJECTION, &projection);
  aspect = aspectRatio;
  zNear = nearPlane;
  zFar = farPlane;
}

void DxEngine::SetFov(float fov) {
  const trace::Operation operation(__func__, fov);
  D3DXMatrixPerspectiveFovLH(&projection, fov, aspect, zNear, zFar);
  device->SetTransform(D3DTS_PROJECTION, &projection);
}

void DxEngine::LookAt(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ) {
  const trace::Operation operation(__func__, eyeX, eyeY, eyeZ, targetX, targetY, targetZ);
  const D3DXVECTOR3 eye(eyeX, eyeY, eyeZ);
  const D3DXVECTOR3 target(targetX, targetY, targetZ);
  const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
  D3DXMatrixLookAtLH(&view, &eye, &target, &up);
  device->SetTransform(D3DTS_VIEW, &view);
}

void DxEngine::ApplyView() {
  const trace::Operation operation(__func__);
  device->SetTransform(D3DTS_VIEW, &view);
}

void DxEngine::BeginScene() {
  const trace::Operation operation(__func__);
  device->BeginScene();
}

void DxEngine::EndScene() {
  const trace::Operation operation(__func__);
  device->EndScene();
}

void DxEngine::Clear() {
  const trace::Operation operation(__func__);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, 1.0f, 0);
}

// The trace line of a presented frame is written where the frame arrives (the host).
void DxEngine::Present() { device->Present(nullptr, nullptr, nullptr, nullptr); }
