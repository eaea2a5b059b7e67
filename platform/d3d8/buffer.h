// What vertex and index buffers share: plain memory of the requested size, locked and unlocked by
// the caller, and a version that tells a device's copy of the bytes whether it is current.
//
// Every pool lives in system memory; usage and lock flags are accepted and change nothing, since
// the devices read the bytes directly (the OpenGL device through its copies).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/reference_counted.h"

namespace d3d8 {

// Interface: IDirect3DVertexBuffer8 or IDirect3DIndexBuffer8; Desc: the matching description.
template <typename Interface, typename Desc>
class Buffer : public ReferenceCounted<Interface> {
 public:
  // Offset and size 0 lock the whole buffer; a size of 0 with an offset locks to the end.
  HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD Flags) override;
  HRESULT Unlock() override;
  HRESULT GetDesc(Desc* pDesc) override;

  const std::vector<BYTE>& Bytes() const { return bytes_; }
  bool Locked() const { return locks_ > 0; }
  // Changes at every Lock and Unlock and is never the same for two buffers, so that a copy of the
  // bytes made at one version is current while the version stays and the buffer is not locked.
  std::uint64_t Version() const { return version_; }

 protected:
  // desc: Format, Type, Usage, Pool and the kind's own fields; Size is set here.
  Buffer(UINT length, const Desc& desc);
  ~Buffer() override = default;

  Desc desc_;

 private:
  std::vector<BYTE> bytes_;
  UINT locks_ = 0;  // Lock calls not yet matched by Unlock
  std::uint64_t version_;
};

extern template class Buffer<IDirect3DVertexBuffer8, D3DVERTEXBUFFER_DESC>;
extern template class Buffer<IDirect3DIndexBuffer8, D3DINDEXBUFFER_DESC>;

}  // namespace d3d8
