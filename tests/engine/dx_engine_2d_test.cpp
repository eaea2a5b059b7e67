// DxEngine's blend modes, 2D mode and screen quads on the software device, checked on the pixels
// that reach the back buffer. Pixel centres are at integer coordinates, so a quad from x0 to x1 in
// screen pixels covers the centres x0 <= x < x1 (top-left rule).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <memory>
#include <vector>

#include "Win32Platform/Window/qv_core.h"
#include "engine/dx_engine.h"
#include "platform/present/present.h"
#include "platform/settings/settings.h"
#include "platform/trace/trace.h"
#include "platform/win32/window_backend.h"
#include "engine/test_window.h"

namespace {

// An engine with a windowed software device of the given client size on a 32-bit desktop.
class Screen {
 public:
  Screen(int width, int height) {
    auto backend = std::make_unique<win32::HeadlessBackend>();
    backend->SetDesktopMode({width, height, 32, 60});
    platform::Settings settings;
    settings.windowBackend = std::move(backend);
    platform::Apply(std::move(settings));
    core_ = TestCore(width, height);
    EXPECT_EQ(engine.CreateDevice(&core_, 1), 1);
    engine.SetProjection(0.783f, 1.0f, 0.1f, 1000.0f);
    engine.LookAt(0, 0, 10, 0, 0, 0);
  }
  ~Screen() {
    for (IDirect3DTexture8* t : textures_) t->Release();
    engine.Shutdown();
  }

  void Fill(D3DCOLOR colour) { engine.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0); }

  // A texture of w x h texels, texel (x, y) = colour(x, y).
  template <typename F>
  IDirect3DTexture8* Texture(UINT w, UINT h, F colour) {
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(engine.device->CreateTexture(w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    D3DLOCKED_RECT locked;
    texture->LockRect(0, &locked, nullptr, 0);
    for (UINT y = 0; y < h; ++y) {
      auto* row = reinterpret_cast<D3DCOLOR*>(static_cast<BYTE*>(locked.pBits) + y * UINT(locked.Pitch));
      for (UINT x = 0; x < w; ++x) row[x] = colour(x, y);
    }
    texture->UnlockRect(0);
    textures_.push_back(texture);
    return texture;
  }

  platform::FrameImage Frame() {
    platform::FrameImage seen;
    platform::Settings settings;
    settings.presentHandler = [&](HWND__*, const platform::FrameImage* image) { seen = *image; };
    platform::Apply(std::move(settings));
    engine.Present();
    platform::Apply({});
    return seen;
  }

  DxEngine engine;

 private:
  QvCore core_;
  std::vector<IDirect3DTexture8*> textures_;
};

std::uint32_t At(const platform::FrameImage& f, int x, int y) { return f.xrgb[std::size_t(y) * std::size_t(f.width) + std::size_t(x)]; }

// Counts pixels that differ from the background, and checks they form the expected rectangle.
void ExpectRectangle(const platform::FrameImage& f, std::uint32_t background, int x0, int y0, int x1, int y1) {
  int outside = 0, inside = 0;
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x) {
      const bool in = x >= x0 && x < x1 && y >= y0 && y < y1;
      if (in && At(f, x, y) != background) ++inside;
      if (!in && At(f, x, y) != background) ++outside;
    }
  EXPECT_EQ(inside, (x1 - x0) * (y1 - y0));
  EXPECT_EQ(outside, 0);
}

std::uint32_t Channel(std::uint32_t c, int shift) { return (c >> shift) & 0xFF; }

TEST(ScreenQuads, QuadVertexColoursTruncateAlpha) {
  Screen s(64, 48);
  auto colourAfter = [&](float alpha) {
    s.engine.DrawScreenQuadAlpha(0, 0, 10, 10, nullptr, alpha);
    BYTE* bytes = nullptr;
    s.engine.quadBuffer->Lock(0, 96, &bytes, 0);
    ScreenVertex v[4];
    std::memcpy(v, bytes, sizeof v);
    s.engine.quadBuffer->Unlock();
    EXPECT_EQ(v[2].x, 10.0f);
    EXPECT_EQ(v[2].u, 1.0f);
    EXPECT_EQ(v[3].v, 1.0f);
    EXPECT_EQ(v[0].z, 1.0f);
    return v[0].colour;
  };
  EXPECT_EQ(colourAfter(1.0f), 0xFFFFFFFFu);
  EXPECT_EQ(colourAfter(0.5f), 0x7FFFFFFFu);
  EXPECT_EQ(colourAfter(0.0f), 0x00FFFFFFu);
}

TEST(ScreenQuads, QuadsRestoreZBufferAsTrueAndLeaveOffStatesOff) {
  Screen s(64, 48);
  DWORD value = 0;
  s.engine.SetZBuffer(1);
  s.engine.SetLighting(1);
  s.engine.DrawScreenQuad(0, 0, 10, 10, nullptr);
  s.engine.device->GetRenderState(D3DRS_ZENABLE, &value);
  EXPECT_EQ(value, DWORD(D3DZB_TRUE));  // was w-buffering
  s.engine.device->GetRenderState(D3DRS_LIGHTING, &value);
  EXPECT_EQ(value, 1u);
  s.engine.SetZBuffer(0);
  s.engine.SetLighting(0);
  s.engine.DrawScreenQuad(0, 0, 10, 10, nullptr);
  s.engine.device->GetRenderState(D3DRS_ZENABLE, &value);
  EXPECT_EQ(value, 0u);
  s.engine.device->GetRenderState(D3DRS_LIGHTING, &value);
  EXPECT_EQ(value, 0u);
}

TEST(ScreenQuads, TwoDModeOffRestoresTheLatestProjectionAndView) {
  Screen s(64, 48);
  s.engine.SetFov(1.5f);
  s.engine.Set2DMode(1);
  D3DMATRIX m;
  s.engine.device->GetTransform(D3DTS_PROJECTION, &m);
  EXPECT_FLOAT_EQ(m.m[0][0], 2.0f / 640.0f);
  s.engine.Set2DMode(0);
  s.engine.device->GetTransform(D3DTS_PROJECTION, &m);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(m.m[r][c], s.engine.projection.m[r][c]);
  s.engine.device->GetTransform(D3DTS_VIEW, &m);
  EXPECT_EQ(m.m[3][2], s.engine.view.m[3][2]);
}

TEST(ScreenQuads, InvertBlendIsAnnouncedOnce) {
  Screen s(64, 48);
  testing::internal::CaptureStderr();
  s.engine.SetBlendMode(BlendInvert);
  s.engine.SetBlendMode(BlendInvert);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said, "t3k notify: Invert blend not supported!!\n");
  DWORD src = 0;
  s.engine.SetBlendMode(7);  // any other value changes nothing
  s.engine.device->GetRenderState(D3DRS_SRCBLEND, &src);
  EXPECT_EQ(src, DWORD(D3DBLEND_ONE));
}

// The 2D space is 640 x 480 units on every back buffer.
TEST(ScreenQuads, OpaqueQuadCoversExactlyItsScaledRectangle) {
  struct Case {
    int width, height, x0, y0, x1, y1;
  };
  // Quad (10, 20)-(40, 60) in 2D units.
  for (const Case c : {Case{640, 480, 10, 20, 40, 60}, Case{1280, 960, 20, 40, 80, 120},
                       Case{320, 200, 5, 9, 20, 25}}) {  // y 8.33..25: centres 9..24
    SCOPED_TRACE(c.width);
    Screen s(c.width, c.height);
    IDirect3DTexture8* white = s.Texture(4, 4, [](UINT, UINT) { return 0xFFFFFFFFu; });
    s.Fill(0x00102030);
    s.engine.Set2DMode(1);
    s.engine.DrawScreenQuad(10, 20, 30, 40, white);
    const platform::FrameImage f = s.Frame();
    ExpectRectangle(f, 0x00102030, c.x0, c.y0, c.x1, c.y1);
    EXPECT_EQ(At(f, c.x0, c.y0), 0x00FFFFFFu);
  }
}

TEST(ScreenQuads, FullScreenQuadShowsTexelsWherePointSamplingPutsThem) {
  Screen s(640, 480);
  // 4 x 4 texels, each a distinct colour; drawn 2 x 2 pixels each.
  IDirect3DTexture8* tiles = s.Texture(4, 4, [](UINT x, UINT y) { return 0xFF000000u | (x * 0x40u) << 16 | (y * 0x40u); });
  s.engine.Set2DMode(1);
  s.engine.DrawScreenQuad(100, 100, 8, 8, tiles);
  const platform::FrameImage f = s.Frame();
  // Odd offsets sample texel middles; even ones fall on texel edges, where rounding decides.
  for (int ty = 0; ty < 4; ++ty)
    for (int tx = 0; tx < 4; ++tx)
      EXPECT_EQ(At(f, 100 + 2 * tx + 1, 100 + 2 * ty + 1), (UINT(tx) * 0x40u) << 16 | UINT(ty) * 0x40u) << tx << "," << ty;
}

TEST(ScreenQuads, AlphaQuadBlendsOverTheBackground) {
  Screen s(640, 480);
  IDirect3DTexture8* white = s.Texture(2, 2, [](UINT, UINT) { return 0xFFFFFFFFu; });
  s.Fill(0x00204060);
  s.engine.SetAlphaBlend(1);
  s.engine.SetBlendMode(BlendAlpha);
  s.engine.Set2DMode(1);
  s.engine.DrawScreenQuadAlpha(0, 0, 640, 480, white, 0.5f);  // vertex alpha 127
  const std::uint32_t p = At(s.Frame(), 320, 240);
  // src x 127/255 + dst x 128/255; the last bit depends on the device's rounding.
  const std::uint32_t background[3] = {0x20, 0x40, 0x60};
  for (int k = 0; k < 3; ++k) {
    const double expected = 255.0 * 127 / 255 + background[k] * 128.0 / 255;
    EXPECT_NEAR(double(Channel(p, 16 - 8 * k)), expected, 1.0) << k;
  }
}

TEST(ScreenQuads, AdditiveBlendingSaturates) {
  Screen s(640, 480);
  IDirect3DTexture8* grey = s.Texture(2, 2, [](UINT, UINT) { return 0xFF808080u; });
  s.Fill(0x00C04010);
  s.engine.SetAlphaBlend(1);
  s.engine.SetBlendMode(BlendAdd);
  s.engine.Set2DMode(1);
  s.engine.DrawScreenQuad(0, 0, 640, 480, grey);
  EXPECT_EQ(At(s.Frame(), 5, 5), 0x00FFC090u);  // 0xC0 + 0x80 saturates; 0x40 + 0x80; 0x10 + 0x80
}

// Each operation is one trace line; the device calls it makes inside are not written, while a
// device call made from outside an operation is.
TEST(ScreenQuads, OperationsTraceOneLineEachAndHideTheirDeviceCalls) {
  Screen s(64, 48);
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  trace::Open(file);
  s.engine.SetBlendMode(BlendAlpha);
  s.engine.Set2DMode(1);
  s.engine.DrawScreenQuadAlpha(0, 224, 512, 256, nullptr, 0.5f);
  s.engine.device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  std::fflush(file);
  std::rewind(file);
  std::string text;
  for (int c; (c = std::fgetc(file)) != EOF;) text += char(c);
  trace::Open(nullptr);
  EXPECT_EQ(text,
            "SetBlendMode 1\n"
            "Set2DMode 1\n"
            "DrawScreenQuadAlpha 0 224 512 256 null 0.5\n"
            "SetRenderState 7 0\n");
}

}  // namespace
