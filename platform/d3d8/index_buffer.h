// An index buffer: plain memory of 16- or 32-bit indices, locked and unlocked by the caller.
//
// Every pool lives in system memory; usage and lock flags are accepted and change nothing, since
// the software device reads the indices directly.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d8/d3d8.h"

namespace d3d8 {

class IndexBuffer final : public IDirect3DIndexBuffer8 {
 public:
  // format: D3DFMT_INDEX16 or D3DFMT_INDEX32.
  IndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);

  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD Flags) override;
  HRESULT Unlock() override;
  HRESULT GetDesc(D3DINDEXBUFFER_DESC* pDesc) override;

  const std::vector<BYTE>& Bytes() const { return bytes_; }
  bool Wide() const { return desc_.Format == D3DFMT_INDEX32; }
  UINT IndexSize() const { return Wide() ? 4u : 2u; }  // bytes
  bool Locked() const { return locks_ > 0; }
  // Changes at every Lock and Unlock and is never the same for two buffers, so that a copy of the
  // indices made at one version is current while the version stays and the buffer is not locked.
  std::uint64_t Version() const { return version_; }

 private:
  ~IndexBuffer() override = default;

  ULONG references_ = 1;
  std::vector<BYTE> bytes_;
  D3DINDEXBUFFER_DESC desc_{};
  UINT locks_ = 0;  // Lock calls not yet matched by Unlock
  std::uint64_t version_;
};

}  // namespace d3d8
