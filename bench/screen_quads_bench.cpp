// Frames per second of the busiest 2D frame the scenes draw: 2800 alpha quads of 6 x 6 units (a
// video frame drawn dot by dot), three full-screen alpha quads and two bars, on the software
// device at 640x480 and 1280x960. A measurement, not a test.
//   build-bench/bench/screen_quads_bench [FRAMES] [--png FILE]   (FILE: the last 640x480 frame)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/bench_screen.h"
#include "engine/dx_engine.h"
#include "platform/png/png_writer.h"
#include "platform/present/present.h"
#include "platform/win32/win32.h"

namespace {

IDirect3DTexture8* SolidTexture(IDirect3DDevice8* device, UINT size, D3DCOLOR colour) {
  IDirect3DTexture8* texture = nullptr;
  device->CreateTexture(size, size, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture);
  D3DLOCKED_RECT locked;
  texture->LockRect(0, &locked, nullptr, 0);
  for (UINT y = 0; y < size; ++y) {
    auto* row = reinterpret_cast<D3DCOLOR*>(static_cast<BYTE*>(locked.pBits) + y * UINT(locked.Pitch));
    for (UINT x = 0; x < size; ++x) row[x] = colour ^ ((x ^ y) & 1 ? 0x00101010u : 0);
  }
  texture->UnlockRect(0);
  return texture;
}

void DrawBusyFrame(DxEngine& engine, IDirect3DTexture8* dot, IDirect3DTexture8* picture, IDirect3DTexture8* bar) {
  engine.Clear();
  engine.SetAlphaBlend(1);
  engine.SetBlendMode(BlendAlpha);
  engine.Set2DMode(1);
  for (int i = 0; i < 3; ++i) engine.DrawScreenQuadAlpha(0, 0, 640, 480, picture, 0.3f + 0.2f * float(i));
  for (int y = 0; y < 35; ++y)
    for (int x = 0; x < 80; ++x) engine.DrawScreenQuadAlpha(80 + 6.0f * float(x), 100 + 6.0f * float(y), 6, 6, dot, float((x + y) % 16) / 16.0f);
  engine.DrawScreenQuad(0, 0, 640, 100, bar);
  engine.DrawScreenQuad(0, 380, 640, 100, bar);
  engine.Set2DMode(0);
  engine.Present();
}

}  // namespace

int main(int argc, char** argv) {
  int frames = 200;
  const char* pngPath = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--png" && i + 1 < argc)
      pngPath = argv[++i];
    else
      frames = std::atoi(argv[i]);
  }
  if (frames <= 0) {
    std::fprintf(stderr, "usage: screen_quads_bench [FRAMES > 0] [--png FILE]\n");
    return 2;
  }
  platform::FrameImage last;
  platform::SetPresentHandler([&](HWND__*, const platform::FrameImage* image) {
    if (pngPath && image && image->width == 640) last = *image;
  });

  std::printf("Busy 2D frame (2800 alpha quads 6x6, 3 full-screen alpha quads, 2 bars), software device:\n");
  for (const int scale : {1, 2}) {
    const int width = 640 * scale, height = 480 * scale;
    BenchScreen screen(width, height);
    if (!screen.ok()) return 1;
    DxEngine& engine = screen.engine;
    engine.LookAt(0, 0, 10, 0, 0, 0);
    IDirect3DTexture8* dot = SolidTexture(engine.device, 8, 0xFFE0E0FF);
    IDirect3DTexture8* picture = SolidTexture(engine.device, 256, 0x80406080);
    IDirect3DTexture8* bar = SolidTexture(engine.device, 16, 0xFF000000);

    DrawBusyFrame(engine, dot, picture, bar);  // warm-up
    const auto start = std::chrono::steady_clock::now();
    for (int f = 0; f < frames; ++f) DrawBusyFrame(engine, dot, picture, bar);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double fps = frames / seconds;
    std::printf("  %4dx%-4d %5d frames in %6.2f s: %7.1f frames/s   (goal at 640x480: 200; floor 60)%s\n", width,
                height, frames, seconds, fps, scale == 1 ? (fps >= 200 ? " -> MET" : " -> NOT MET") : "");
    dot->Release();
    picture->Release();
    bar->Release();
  }
  std::string error;
  if (pngPath && !platform::WritePng(pngPath, last, error)) {
    std::fprintf(stderr, "screen_quads_bench: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
