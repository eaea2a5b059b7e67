#include "platform/d3d8/vertex_buffer.h"

namespace d3d8 {
namespace {

std::uint64_t NextVersion() {
  static std::uint64_t last = 0;
  return ++last;
}

}  // namespace

VertexBuffer::VertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : bytes_(length, 0), version_(NextVersion()) {
  desc_.Format = D3DFMT_VERTEXDATA;
  desc_.Type = D3DRTYPE_VERTEXBUFFER;
  desc_.Usage = usage;
  desc_.Pool = pool;
  desc_.Size = length;
  desc_.FVF = fvf;
}

ULONG VertexBuffer::AddRef() { return ++references_; }

ULONG VertexBuffer::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

// Offset and size 0 lock the whole buffer; a size of 0 with an offset locks to the end.
HRESULT VertexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD Flags) {
  if (!ppbData) return D3DERR_INVALIDCALL;
  *ppbData = nullptr;
  const std::size_t size = bytes_.size();
  if (OffsetToLock > size || SizeToLock > size - OffsetToLock) return D3DERR_INVALIDCALL;
  ++locks_;
  version_ = NextVersion();
  *ppbData = bytes_.data() + OffsetToLock;
  return D3D_OK;
}

HRESULT VertexBuffer::Unlock() {
  if (locks_ == 0) return D3DERR_INVALIDCALL;
  --locks_;
  version_ = NextVersion();
  return D3D_OK;
}

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* pDesc) {
  if (!pDesc) return D3DERR_INVALIDCALL;
  *pDesc = desc_;
  return D3D_OK;
}

}  // namespace d3d8
