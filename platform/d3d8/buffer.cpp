#include "platform/d3d8/buffer.h"

namespace d3d8 {
namespace {

std::uint64_t NextVersion() {
  static std::uint64_t last = 0;
  return ++last;
}

}  // namespace

template <typename Interface, typename Desc>
Buffer<Interface, Desc>::Buffer(UINT length, const Desc& desc)
    : desc_(desc), bytes_(length, 0), version_(NextVersion()) {
  desc_.Size = length;
}

template <typename Interface, typename Desc>
HRESULT Buffer<Interface, Desc>::Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD /*Flags*/) {
  if (!ppbData) return D3DERR_INVALIDCALL;
  *ppbData = nullptr;
  const std::size_t size = bytes_.size();
  if (OffsetToLock > size || SizeToLock > size - OffsetToLock) return D3DERR_INVALIDCALL;
  ++locks_;
  version_ = NextVersion();
  *ppbData = bytes_.data() + OffsetToLock;
  return D3D_OK;
}

template <typename Interface, typename Desc>
HRESULT Buffer<Interface, Desc>::Unlock() {
  if (locks_ == 0) return D3DERR_INVALIDCALL;
  --locks_;
  version_ = NextVersion();
  return D3D_OK;
}

template <typename Interface, typename Desc>
HRESULT Buffer<Interface, Desc>::GetDesc(Desc* pDesc) {
  if (!pDesc) return D3DERR_INVALIDCALL;
  *pDesc = desc_;
  return D3D_OK;
}

template class Buffer<IDirect3DVertexBuffer8, D3DVERTEXBUFFER_DESC>;
template class Buffer<IDirect3DIndexBuffer8, D3DINDEXBUFFER_DESC>;

}  // namespace d3d8
