// DxEngine on the software device of a headless adapter whose modes each test invents.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Win32Platform/Window/qv_core.h"
#include "engine/dx_engine.h"
#include "platform/present/present.h"
#include "platform/settings/settings.h"
#include "platform/win32/window_backend.h"
#include "engine/test_window.h"

namespace {

constexpr int kWanted[4][3] = {{640, 480, 16}, {640, 480, 32}, {800, 600, 32}, {320, 200, 32}};

void UseAdapter(std::vector<win32::ScreenMode> modes, win32::ScreenMode desktop = {640, 480, 32, 60}) {
  auto backend = std::make_unique<win32::HeadlessBackend>();
  backend->SetDisplayModes(std::move(modes));
  backend->SetDesktopMode(desktop);
  platform::Settings settings;
  settings.windowBackend = std::move(backend);
  platform::Apply(std::move(settings));
}

TEST(DxEngine, ModesAreOfferedOncePerSizeAndFormatInAdapterOrder) {
  UseAdapter({{800, 600, 32, 60}, {640, 480, 32, 60}, {640, 480, 32, 75}, {640, 480, 24, 60},
              {640, 480, 16, 60}, {1600, 1200, 32, 60}, {320, 200, 8, 60}});
  DxEngine engine;
  std::vector<DisplayMode> offered;
  engine.EnumerateModes(kWanted, 4, offered);
  ASSERT_EQ(offered.size(), 4u);
  const int first = offered[0].index;
  EXPECT_EQ(offered[0].width, 800);
  EXPECT_EQ(offered[1].format, D3DFMT_X8R8G8B8);  // 75 Hz duplicate dropped
  EXPECT_EQ(offered[2].format, D3DFMT_R8G8B8);    // 24 bits offered as 32
  EXPECT_EQ(offered[2].bitsPerPixel, 32);
  EXPECT_EQ(offered[3].format, D3DFMT_R5G6B5);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(offered[std::size_t(i)].index, first + i);
  EXPECT_EQ(engine.modes.size(), 4u);

  // The counter is program-wide: a second enumeration goes on numbering.
  std::vector<DisplayMode> again;
  engine.EnumerateModes(kWanted, 4, again);
  EXPECT_EQ(again[0].index, first + 4);
  engine.Shutdown();
  EXPECT_TRUE(engine.modes.empty());
  EXPECT_EQ(engine.d3d, nullptr);
}

TEST(DxEngine, BitDepthOfFormat) {
  EXPECT_EQ(DxEngine::BitDepthOfFormat(D3DFMT_R8G8B8), 32);
  EXPECT_EQ(DxEngine::BitDepthOfFormat(D3DFMT_A8R8G8B8), 32);
  EXPECT_EQ(DxEngine::BitDepthOfFormat(D3DFMT_X1R5G5B5), 16);
  EXPECT_EQ(DxEngine::BitDepthOfFormat(D3DFMT_A4L4), 8);
  EXPECT_EQ(DxEngine::BitDepthOfFormat(D3DFMT_D16), 0);
}

TEST(DxEngine, WindowedDeviceClearsToBlackAndKeepsTheProjection) {
  UseAdapter(win32::StandardScreenModes(60), {640, 480, 16, 60});
  DxEngine engine;
  QvCore core = TestCore(320, 240);
  ASSERT_EQ(engine.CreateDevice(&core, 1), 1);
  ASSERT_NE(engine.quadBuffer, nullptr);

  engine.SetProjection(0.783f, 1.0f, 0.1f, 1000.0f);
  const D3DXMATRIX first = engine.projection;
  engine.SetFov(0.783f);
  EXPECT_EQ(engine.aspect, 1.0f);
  EXPECT_EQ(engine.zNear, 0.1f);
  EXPECT_EQ(engine.zFar, 1000.0f);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(engine.projection.m[r][c], first.m[r][c]);
  D3DMATRIX onDevice;
  engine.device->GetTransform(D3DTS_PROJECTION, &onDevice);
  EXPECT_EQ(onDevice.m[2][3], 1.0f);

  platform::FrameImage seen;
  platform::Settings settings;
  settings.presentHandler = [&](HWND__*, const platform::FrameImage* image) { seen = *image; };
  platform::Apply(std::move(settings));
  engine.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00FFFFFF, 1.0f, 0);
  engine.Present();
  EXPECT_EQ(seen.xrgb.at(0), 0x00FFFFFFu);
  engine.Clear();
  engine.Present();
  platform::Apply({});
  EXPECT_EQ(seen.width, 320);  // the window's client size: the desktop's format, 16 bits
  EXPECT_EQ(seen.height, 240);
  for (std::uint32_t pixel : seen.xrgb) ASSERT_EQ(pixel, 0u);
  engine.Shutdown();
}

}  // namespace
