// A vertex buffer: plain memory of the requested size, locked and unlocked by the caller.
//
// Every pool lives in system memory; usage and lock flags are accepted and change nothing, since
// the software device reads the bytes directly.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d8/d3d8.h"

namespace d3d8 {

class VertexBuffer final : public IDirect3DVertexBuffer8 {
 public:
  VertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);

  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD Flags) override;
  HRESULT Unlock() override;
  HRESULT GetDesc(D3DVERTEXBUFFER_DESC* pDesc) override;

  const std::vector<BYTE>& Bytes() const { return bytes_; }
  bool Locked() const { return locks_ > 0; }
  // Changes at every Lock and Unlock and is never the same for two buffers, so that a copy of the
  // bytes made at one version is current while the version stays and the buffer is not locked.
  std::uint64_t Version() const { return version_; }

 private:
  ~VertexBuffer() override = default;

  ULONG references_ = 1;
  std::vector<BYTE> bytes_;
  D3DVERTEXBUFFER_DESC desc_{};
  UINT locks_ = 0;  // Lock calls not yet matched by Unlock
  std::uint64_t version_;
};

}  // namespace d3d8
