// The software device's backend: its back buffer, depth buffer and drawing pipeline.
#pragma once

#include <optional>

#include "platform/d3d8/device_backend.h"
#include "platform/d3d8/ref/ref_pipeline.h"
#include "platform/d3d8/ref/ref_surface.h"

namespace d3d8::ref {

class RefBackend final : public DeviceBackend {
 public:
  RefBackend(UINT width, UINT height, D3DFORMAT format, bool depth);

  void Clear(const std::vector<D3DRECT>& rects, DWORD flags, D3DCOLOR color, float z) override;
  const platform::FrameImage* Present() override;
  void Draw(const DrawRequest& request) override;

  // The surfaces with every draw made so far drawn.
  ColorSurface& BackBuffer() {
    Finish();
    return backBuffer_;
  }
  DepthSurface* DepthBuffer() {
    Finish();
    return Depth();
  }

 private:
  // Waits until every draw made so far is drawn.
  void Finish() {
    pipeline_.Flush();
    helper_.Finish();
  }
  DepthSurface* Depth() { return depthBuffer_ ? &*depthBuffer_ : nullptr; }

  ColorSurface backBuffer_;
  platform::FrameImage presented_;  // the last frame Present returned
  std::optional<DepthSurface> depthBuffer_;
  // Shares clears and draws, and draws small draws while the pipeline goes on, when
  // RasterizerHelperInUse(). Declared before the pipeline, whose batches wait for it.
  HelperThread helper_;
  Pipeline pipeline_;
};

}  // namespace d3d8::ref
