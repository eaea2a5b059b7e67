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
  void Present(HWND window) override;
  void Draw(const DrawRequest& request) override;
  void NoteRenderState(DWORD id, DWORD value) override;
  void NoteStageState(DWORD stage, DWORD id, DWORD value) override;

  ColorSurface& BackBuffer() { return backBuffer_; }
  DepthSurface* DepthBuffer() { return depthBuffer_ ? &*depthBuffer_ : nullptr; }

 private:
  ColorSurface backBuffer_;
  platform::FrameImage presented_;  // the last frame handed over at Present
  std::optional<DepthSurface> depthBuffer_;
  Pipeline pipeline_;
  HelperThread helper_;  // shares clears and draws when RasterizerHelperInUse()
};

}  // namespace d3d8::ref
