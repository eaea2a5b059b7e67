// The software device: the back buffer, the depth buffer, clears, presents and draws.
#include "platform/d3d8/ref/ref_device.h"

#include "platform/d3d8/d3d8_host.h"
#include "platform/present/present.h"

namespace d3d8 {

namespace ref {

RefBackend::RefBackend(UINT width, UINT height, D3DFORMAT format, bool depth)
    : backBuffer_(MakeColorSurface(width, height, format)) {
  if (depth) depthBuffer_ = MakeDepthSurface(width, height);
}

namespace {

// Rectangles of at least this many pixels are cleared in two halves of rows, one by the helper.
constexpr std::int64_t kSplitClearPixels = 65536;

}  // namespace

void RefBackend::Clear(const std::vector<D3DRECT>& rects, DWORD flags, D3DCOLOR color, float z) {
  Finish();
  DepthSurface* depth = (flags & D3DCLEAR_ZBUFFER) ? Depth() : nullptr;
  for (const D3DRECT& rect : rects) {
    const auto fill = [&](const D3DRECT& part) {
      if (flags & D3DCLEAR_TARGET) FillColor(backBuffer_, part, color);
      if (depth) FillDepth(*depth, part, z);
    };
    const std::int64_t pixels = static_cast<std::int64_t>(rect.x2 - rect.x1) * (rect.y2 - rect.y1);
    if (!RasterizerHelperInUse() || pixels < kSplitClearPixels) {
      fill(rect);
      continue;
    }
    const LONG middle = rect.y1 + (rect.y2 - rect.y1) / 2;
    helper_.RunPair([&](int part) {
      fill(part == 0 ? D3DRECT{rect.x1, rect.y1, rect.x2, middle} : D3DRECT{rect.x1, middle, rect.x2, rect.y2});
    });
  }
}

const platform::FrameImage* RefBackend::Present() {
  Finish();
  ToFrameImage(backBuffer_, presented_);
  return &presented_;
}

void RefBackend::Draw(const DrawRequest& request) {
  const bool shared = RasterizerHelperInUse();
  if (!shared) Finish();
  pipeline_.Draw(request, backBuffer_, Depth(), shared ? &helper_ : nullptr);
}

}  // namespace ref

std::unique_ptr<DeviceBackend> MakeRefBackend(UINT width, UINT height, D3DFORMAT format,
                                              bool depth) {
  return std::make_unique<ref::RefBackend>(width, height, format, depth);
}

}  // namespace d3d8
