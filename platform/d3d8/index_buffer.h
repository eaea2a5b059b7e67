// An index buffer (buffer.h) of 16- or 32-bit indices.
#pragma once

#include "platform/d3d8/buffer.h"

namespace d3d8 {

class IndexBuffer final : public Buffer<IDirect3DIndexBuffer8, D3DINDEXBUFFER_DESC> {
 public:
  // format: D3DFMT_INDEX16 or D3DFMT_INDEX32.
  IndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
      : Buffer(length, D3DINDEXBUFFER_DESC{format, D3DRTYPE_INDEXBUFFER, usage, pool, 0}) {}

  bool Wide() const { return desc_.Format == D3DFMT_INDEX32; }
  UINT IndexSize() const { return Wide() ? 4u : 2u; }  // bytes

 private:
  ~IndexBuffer() override = default;
};

}  // namespace d3d8
