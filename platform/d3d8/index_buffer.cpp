#include "platform/d3d8/index_buffer.h"

namespace d3d8 {
namespace {

std::uint64_t NextVersion() {
  static std::uint64_t last = 0;
  return ++last;
}

}  // namespace

IndexBuffer::IndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : bytes_(length, 0), version_(NextVersion()) {
  desc_.Format = format;
  desc_.Type = D3DRTYPE_INDEXBUFFER;
  desc_.Usage = usage;
  desc_.Pool = pool;
  desc_.Size = length;
}

ULONG IndexBuffer::AddRef() { return ++references_; }

ULONG IndexBuffer::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

// Offset and size 0 lock the whole buffer; a size of 0 with an offset locks to the end.
HRESULT IndexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD /*Flags*/) {
  if (!ppbData) return D3DERR_INVALIDCALL;
  *ppbData = nullptr;
  const std::size_t size = bytes_.size();
  if (OffsetToLock > size || SizeToLock > size - OffsetToLock) return D3DERR_INVALIDCALL;
  ++locks_;
  version_ = NextVersion();
  *ppbData = bytes_.data() + OffsetToLock;
  return D3D_OK;
}

HRESULT IndexBuffer::Unlock() {
  if (locks_ == 0) return D3DERR_INVALIDCALL;
  --locks_;
  version_ = NextVersion();
  return D3D_OK;
}

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* pDesc) {
  if (!pDesc) return D3DERR_INVALIDCALL;
  *pDesc = desc_;
  return D3D_OK;
}

}  // namespace d3d8
