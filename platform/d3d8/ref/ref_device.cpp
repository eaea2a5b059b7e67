#include "platform/d3d8/ref/ref_device.h"

#include "platform/d3d8/ref/ref_unimplemented.h"
#include "platform/present/present.h"

namespace d3d8 {

namespace ref {

RefBackend::RefBackend(UINT width, UINT height, D3DFORMAT format, bool depth)
    : backBuffer_(MakeColorSurface(width, height, format)) {
  if (depth) depthBuffer_ = MakeDepthSurface(width, height);
}

void RefBackend::Clear(const std::vector<D3DRECT>& rects, DWORD flags, D3DCOLOR color, float z) {
  for (const D3DRECT& rect : rects) {
    if (flags & D3DCLEAR_TARGET) FillColor(backBuffer_, rect, color);
    if ((flags & D3DCLEAR_ZBUFFER) && depthBuffer_) FillDepth(*depthBuffer_, rect, z);
  }
}

void RefBackend::Present(HWND window) {
  ToFrameImage(backBuffer_, presented_);
  platform::DeliverPresent(window, &presented_);
}

void RefBackend::Draw(const DrawRequest& request) {
  pipeline_.Draw(request, backBuffer_, DepthBuffer());
}

void RefBackend::NoteRenderState(DWORD id, DWORD value) { ref::NoteRenderState(id, value); }

void RefBackend::NoteStageState(DWORD stage, DWORD id, DWORD value) {
  ref::NoteStageState(stage, id, value);
}

}  // namespace ref

std::unique_ptr<DeviceBackend> MakeRefBackend(UINT width, UINT height, D3DFORMAT format,
                                              bool depth) {
  return std::make_unique<ref::RefBackend>(width, height, format, depth);
}

}  // namespace d3d8
