#include <bit>

#include "d3d8_test_support.h"
#include "platform/d3d8/d3d8_host.h"
#include "platform/win32/win32_host.h"

namespace d3d8_test {
namespace {

using DeviceTest = D3D8Test;

DWORD Bits(float value) { return std::bit_cast<DWORD>(value); }

TEST_F(DeviceTest, HalIsRefusedAndRefIsAccepted) {
  HWND window = MakeWindow(32, 16);
  D3DPRESENT_PARAMETERS pp = WindowedParameters(D3DFMT_X8R8G8B8);
  IDirect3DDevice8* device = reinterpret_cast<IDirect3DDevice8*>(&pp);  // must be overwritten
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                               &device),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(device, nullptr);
  ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_REF, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                               &device),
            D3D_OK);
  ASSERT_NE(device, nullptr);
  // The zero size of a windowed device became the client size.
  EXPECT_EQ(pp.BackBufferWidth, 32u);
  EXPECT_EQ(pp.BackBufferHeight, 16u);
  device->Present(nullptr, nullptr, nullptr, nullptr);
  ASSERT_EQ(deliveries_.size(), 1u);
  EXPECT_EQ(deliveries_[0].window, window);
  ASSERT_TRUE(deliveries_[0].image);
  EXPECT_EQ(deliveries_[0].image->width, 32);
  EXPECT_EQ(deliveries_[0].image->height, 16);
  EXPECT_EQ(device->Release(), 0u);
}

TEST_F(DeviceTest, NullDeviceAnswersEveryDeviceTypeAndDeliversNullFrames) {
  d3d8::UseNullDevice(true);
  HWND window = MakeWindow(16, 16);
  for (D3DDEVTYPE type : {D3DDEVTYPE_HAL, D3DDEVTYPE_REF}) {
    D3DPRESENT_PARAMETERS pp = WindowedParameters(D3DFMT_X8R8G8B8);
    IDirect3DDevice8* device = nullptr;
    ASSERT_EQ(d3d_->CreateDevice(0, type, window, 0, &pp, &device), D3D_OK) << type;
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    DWORD value = 0;
    EXPECT_EQ(device->GetRenderState(D3DRS_CULLMODE, &value), D3D_OK);
    EXPECT_EQ(value, static_cast<DWORD>(D3DCULL_CCW));
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(device->Release(), 0u);
  }
  ASSERT_EQ(deliveries_.size(), 2u);
  for (const Delivery& delivery : deliveries_) {
    EXPECT_EQ(delivery.window, window);
    EXPECT_FALSE(delivery.image);
  }
}

TEST_F(DeviceTest, CreationChecksItsParameters) {
  HWND window = MakeWindow(16, 16);
  IDirect3DDevice8* device = nullptr;
  D3DPRESENT_PARAMETERS pp = WindowedParameters(D3DFMT_X8R8G8B8);
  EXPECT_EQ(d3d_->CreateDevice(1, D3DDEVTYPE_REF, window, 0, &pp, &device), D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_REF, nullptr, 0, &pp, &device), D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_REF, window, 0, nullptr, &device),
            D3DERR_INVALIDCALL);
  pp.BackBufferFormat = D3DFMT_L8;
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_REF, window, 0, &pp, &device), D3DERR_INVALIDCALL);
  pp = WindowedParameters(D3DFMT_X8R8G8B8);
  pp.AutoDepthStencilFormat = D3DFMT_D24S8;
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_REF, window, 0, &pp, &device), D3DERR_NOTAVAILABLE);
  // A window that does not exist has no client size to take.
  pp = WindowedParameters(D3DFMT_X8R8G8B8);
  SendMessageA(window, WM_CLOSE, 0, 0);  // the default procedure destroys it
  ASSERT_FALSE(IsWindow(window));
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_REF, window, 0, &pp, &device), D3DERR_INVALIDCALL);
  EXPECT_EQ(device, nullptr);
  EXPECT_EQ(pp.BackBufferWidth, 0u) << "a failed call left the parameters as they were";
}

// Full screen as the engine asks for it: the chosen mode's size and format, FLIP, interval ONE.
TEST_F(DeviceTest, FullScreenNeedsAnAdapterModeAndSwitchesTheWindowAndFollowsTheClientAreaLimit) {
  HWND window = MakeWindow(640, 480);
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = 800;
  pp.BackBufferHeight = 600;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;  // the adapter has 800x600 only in 16 bits
  pp.BackBufferCount = 1;
  pp.SwapEffect = D3DSWAPEFFECT_FLIP;
  pp.Windowed = FALSE;
  pp.EnableAutoDepthStencil = TRUE;
  pp.AutoDepthStencilFormat = D3DFMT_D16;
  pp.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_ONE;
  IDirect3DDevice8* device = nullptr;
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_REF, window, 0, &pp, &device), D3DERR_INVALIDCALL);
  EXPECT_TRUE(backend_->fullscreenCalls.empty());

  pp.BackBufferFormat = D3DFMT_R5G6B5;
  ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_REF, window, 0, &pp, &device), D3D_OK);
  ASSERT_EQ(backend_->fullscreenCalls.size(), 1u);
  EXPECT_EQ(backend_->fullscreenCalls[0], std::make_pair(window, true));
  device->Present(nullptr, nullptr, nullptr, nullptr);
  ASSERT_EQ(deliveries_.size(), 1u);
  EXPECT_EQ(deliveries_[0].image->width, 800);
  EXPECT_EQ(device->Release(), 0u);
  ASSERT_EQ(backend_->fullscreenCalls.size(), 2u);
  EXPECT_EQ(backend_->fullscreenCalls[1], std::make_pair(window, false));

  // Under a client-area limit (the host's --size 1920x1080) the mode gives the shape and the back
  // buffer is the largest such area, drawn natively as a window's would be.
  win32::SetClientAreaLimit(1920, 1080);
  ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_REF, window, 0, &pp, &device), D3D_OK);
  device->Present(nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(deliveries_.back().image->width, 1440);
  EXPECT_EQ(deliveries_.back().image->height, 1080);
  EXPECT_EQ(d3d8::BackBufferInUse().width, 1440u);  // what --stats says
  EXPECT_EQ(device->Release(), 0u);
}

TEST_F(DeviceTest, FreshDeviceHasDirect3D8RenderStateDefaults) {
  IDirect3DDevice8* device = MakeDevice(4, 4);
  ASSERT_NE(device, nullptr);
  const std::pair<D3DRENDERSTATETYPE, DWORD> expected[] = {
      {D3DRS_ZENABLE, D3DZB_TRUE},  // automatic depth buffer
      {D3DRS_FILLMODE, D3DFILL_SOLID},
      {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
      {D3DRS_ZWRITEENABLE, TRUE},
      {D3DRS_LASTPIXEL, TRUE},
      {D3DRS_SRCBLEND, D3DBLEND_ONE},
      {D3DRS_DESTBLEND, D3DBLEND_ZERO},
      {D3DRS_CULLMODE, D3DCULL_CCW},
      {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
      {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
      {D3DRS_DITHERENABLE, FALSE},
      {D3DRS_ALPHABLENDENABLE, FALSE},
      {D3DRS_FOGEND, Bits(1.0f)},
      {D3DRS_FOGDENSITY, Bits(1.0f)},
      {D3DRS_STENCILFUNC, D3DCMP_ALWAYS},
      {D3DRS_STENCILMASK, 0xFFFFFFFFu},
      {D3DRS_TEXTUREFACTOR, 0xFFFFFFFFu},
      {D3DRS_CLIPPING, TRUE},
      {D3DRS_LIGHTING, TRUE},
      {D3DRS_AMBIENT, 0},
      {D3DRS_COLORVERTEX, TRUE},
      {D3DRS_LOCALVIEWER, TRUE},
      {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
      {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2},
      {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL},
      {D3DRS_POINTSIZE, Bits(1.0f)},
      {D3DRS_POINTSIZE_MIN, Bits(0.0f)},
      {D3DRS_POINTSCALE_A, Bits(1.0f)},
      {D3DRS_MULTISAMPLEANTIALIAS, TRUE},
      {D3DRS_PATCHSEGMENTS, Bits(1.0f)},
      {D3DRS_POINTSIZE_MAX, Bits(64.0f)},
      {D3DRS_COLORWRITEENABLE, 0xFu},
      {D3DRS_BLENDOP, D3DBLENDOP_ADD},
      {D3DRS_POSITIONORDER, D3DORDER_CUBIC},
      {D3DRS_NORMALORDER, D3DORDER_LINEAR},
  };
  for (const auto& [state, value] : expected) {
    DWORD actual = 0xDEADBEEF;
    ASSERT_EQ(device->GetRenderState(state, &actual), D3D_OK) << state;
    EXPECT_EQ(actual, value) << "render state " << state;
  }
  EXPECT_EQ(device->Release(), 0u);

  IDirect3DDevice8* noDepth = MakeDevice(4, 4, D3DFMT_X8R8G8B8, false);
  DWORD zenable = 0xDEADBEEF;
  ASSERT_EQ(noDepth->GetRenderState(D3DRS_ZENABLE, &zenable), D3D_OK);
  EXPECT_EQ(zenable, static_cast<DWORD>(D3DZB_FALSE));
  EXPECT_EQ(noDepth->Release(), 0u);
}

TEST_F(DeviceTest, RenderStatesAndTransformsKeepWhatIsSetAndRefuseUnknownIds) {
  IDirect3DDevice8* device = MakeDevice(4, 4);
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME), D3D_OK);
  EXPECT_EQ(device->SetRenderState(D3DRS_AMBIENT, 0x00404040), D3D_OK);
  DWORD value = 0;
  device->GetRenderState(D3DRS_FILLMODE, &value);
  EXPECT_EQ(value, static_cast<DWORD>(D3DFILL_WIREFRAME));
  device->GetRenderState(D3DRS_AMBIENT, &value);
  EXPECT_EQ(value, 0x00404040u);
  EXPECT_EQ(device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(11), 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(174), 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->GetRenderState(static_cast<D3DRENDERSTATETYPE>(500), &value),
            D3DERR_INVALIDCALL);

  // Every transform starts as the identity.
  for (D3DTRANSFORMSTATETYPE id : {D3DTS_VIEW, D3DTS_PROJECTION, D3DTS_TEXTURE7, D3DTS_WORLD,
                                   D3DTS_WORLDMATRIX(255)}) {
    D3DMATRIX matrix{};
    ASSERT_EQ(device->GetTransform(id, &matrix), D3D_OK) << id;
    for (int r = 0; r < 4; ++r) {
      for (int c = 0; c < 4; ++c) EXPECT_EQ(matrix.m[r][c], r == c ? 1.0f : 0.0f) << id;
    }
  }
  D3DMATRIX view{};
  for (int i = 0; i < 16; ++i) view.m[i / 4][i % 4] = static_cast<float>(i) + 0.5f;
  ASSERT_EQ(device->SetTransform(D3DTS_VIEW, &view), D3D_OK);
  D3DMATRIX back{}, world{};
  device->GetTransform(D3DTS_VIEW, &back);
  device->GetTransform(D3DTS_WORLD, &world);
  EXPECT_EQ(back._42, 13.5f);
  EXPECT_EQ(back._11, 0.5f);
  EXPECT_EQ(world._42, 0.0f) << "setting the view left the world transform alone";
  EXPECT_EQ(device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(1), &view),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetTransform(D3DTS_WORLDMATRIX(256), &view), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetTransform(D3DTS_WORLD, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->Release(), 0u);
}

TEST_F(DeviceTest, ScenesMustNotNest) {
  IDirect3DDevice8* device = MakeDevice(4, 4);
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->BeginScene(), D3D_OK);
  EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->EndScene(), D3D_OK);
  EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->BeginScene(), D3D_OK);
  EXPECT_EQ(device->EndScene(), D3D_OK);
  EXPECT_EQ(device->Release(), 0u);
}

}  // namespace
}  // namespace d3d8_test
