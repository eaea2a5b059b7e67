// D3DXLoadMeshFromXInMemory, ID3DXMesh and ID3DXBuffer on top of the `.x` reader.
//
// The mesh keeps its vertices and indices in device buffers laid out by its FVF (position,
// normal, diffuse, one texture coordinate pair) and draws one attribute range per DrawSubset.
#include <cstring>
#include <vector>

#include "platform/d3d8/reference_counted.h"
#include "platform/d3dx8/d3dx8.h"
#include "platform/d3dx8/xfile_mesh.h"

namespace {

class MemoryBuffer final : public d3d8::ReferenceCounted<ID3DXBuffer> {
 public:
  explicit MemoryBuffer(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  LPVOID GetBufferPointer() override { return bytes_.data(); }
  DWORD GetBufferSize() override { return DWORD(bytes_.size()); }

 private:
  std::vector<std::uint8_t> bytes_;
};

class Mesh final : public d3d8::ReferenceCounted<ID3DXMesh> {
 public:
  Mesh(IDirect3DDevice8* device, DWORD fvf, DWORD options, DWORD vertexSize, DWORD vertices, DWORD faces,
       std::vector<d3dx::XAttributeRange> ranges)
      : device_(device), fvf_(fvf), options_(options), vertexSize_(vertexSize), vertices_(vertices),
        faces_(faces), ranges_(std::move(ranges)) {
    device_->AddRef();
  }
  ~Mesh() override {
    if (indexBuffer_) indexBuffer_->Release();
    if (vertexBuffer_) vertexBuffer_->Release();
    device_->Release();
  }

  HRESULT DrawSubset(DWORD attribId) override {
    for (const d3dx::XAttributeRange& r : ranges_) {
      if (r.attribId != attribId || r.faceCount == 0) continue;
      device_->SetVertexShader(fvf_);
      device_->SetStreamSource(0, vertexBuffer_, vertexSize_);
      device_->SetIndices(indexBuffer_, 0);
      return device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, r.vertexStart, r.vertexCount, r.faceStart * 3,
                                           r.faceCount);
    }
    return D3D_OK;  // no faces with that id: nothing to draw
  }
  DWORD GetNumFaces() override { return faces_; }
  DWORD GetNumVertices() override { return vertices_; }
  DWORD GetFVF() override { return fvf_; }
  DWORD GetOptions() override { return options_; }

  IDirect3DVertexBuffer8* vertexBuffer_ = nullptr;
  IDirect3DIndexBuffer8* indexBuffer_ = nullptr;

 private:
  IDirect3DDevice8* device_;
  DWORD fvf_, options_, vertexSize_, vertices_, faces_;
  std::vector<d3dx::XAttributeRange> ranges_;
};

DWORD VertexSize(DWORD fvf) {
  DWORD size = 12;
  if (fvf & D3DFVF_NORMAL) size += 12;
  if (fvf & D3DFVF_DIFFUSE) size += 4;
  if ((fvf & D3DFVF_TEXCOUNT_MASK) == D3DFVF_TEX1) size += 8;
  return size;
}

// Interleaves the reader's arrays in FVF order: position, normal, diffuse, u v.
std::vector<std::uint8_t> VertexBytes(const d3dx::XMeshData& data, DWORD vertexSize) {
  std::vector<std::uint8_t> bytes(data.VertexCount() * vertexSize);
  for (std::size_t i = 0; i < data.VertexCount(); ++i) {
    std::uint8_t* p = bytes.data() + i * vertexSize;
    std::memcpy(p, &data.positions[i], 12);
    p += 12;
    if (data.fvf & D3DFVF_NORMAL) {
      std::memcpy(p, &data.normals[i], 12);
      p += 12;
    }
    if (data.fvf & D3DFVF_DIFFUSE) {
      std::memcpy(p, &data.colors[i], 4);
      p += 4;
    }
    if ((data.fvf & D3DFVF_TEXCOUNT_MASK) == D3DFVF_TEX1) std::memcpy(p, &data.texcoords[2 * i], 8);
  }
  return bytes;
}

// NumMaterials D3DXMATERIAL records, then the texture file names they point at.
std::vector<std::uint8_t> MaterialBytes(const d3dx::XMeshData& data) {
  std::size_t names = 0;
  for (const auto& m : data.materials)
    if (m.hasTexture) names += m.textureFilename.size() + 1;
  std::vector<std::uint8_t> bytes(data.materials.size() * sizeof(D3DXMATERIAL) + names);
  auto* records = reinterpret_cast<D3DXMATERIAL*>(bytes.data());
  char* text = reinterpret_cast<char*>(bytes.data() + data.materials.size() * sizeof(D3DXMATERIAL));
  for (std::size_t i = 0; i < data.materials.size(); ++i) {
    records[i].MatD3D = data.materials[i].material;
    records[i].pTextureFilename = nullptr;
    if (!data.materials[i].hasTexture) continue;
    records[i].pTextureFilename = text;
    std::memcpy(text, data.materials[i].textureFilename.c_str(), data.materials[i].textureFilename.size() + 1);
    text += data.materials[i].textureFilename.size() + 1;
  }
  return bytes;
}

}  // namespace

HRESULT D3DXLoadMeshFromXInMemory(LPCVOID memory, DWORD size, DWORD options, LPDIRECT3DDEVICE8 device,
                                  LPD3DXBUFFER* adjacency, LPD3DXBUFFER* materials, DWORD* numMaterials,
                                  LPD3DXMESH* meshOut) {
  if (materials) *materials = nullptr;
  if (numMaterials) *numMaterials = 0;
  if (meshOut) *meshOut = nullptr;
  if (!memory || !device || !meshOut || adjacency) return D3DERR_INVALIDCALL;

  d3dx::XMeshData data;
  const HRESULT parsed = d3dx::ParseXFile(memory, size, &data);
  if (FAILED(parsed)) return parsed;
  const bool wide = (options & D3DXMESH_32BIT) != 0;
  if (!wide && !data.FitsSixteenBitIndices()) return D3DERR_INVALIDCALL;

  const DWORD vertexSize = VertexSize(data.fvf);
  const D3DPOOL pool = (options & D3DXMESH_MANAGED) == D3DXMESH_MANAGED ? D3DPOOL_MANAGED : D3DPOOL_SYSTEMMEM;
  auto* mesh = new Mesh(device, data.fvf, options, vertexSize, DWORD(data.VertexCount()), DWORD(data.FaceCount()),
                        data.attributeTable);

  const std::vector<std::uint8_t> vertices = VertexBytes(data, vertexSize);
  const UINT indexSize = wide ? 4 : 2;
  BYTE* locked = nullptr;
  if (FAILED(device->CreateVertexBuffer(UINT(vertices.size()), 0, data.fvf, pool, &mesh->vertexBuffer_)) ||
      FAILED(device->CreateIndexBuffer(UINT(data.indices.size() * indexSize), 0,
                                       wide ? D3DFMT_INDEX32 : D3DFMT_INDEX16, pool, &mesh->indexBuffer_))) {
    mesh->Release();
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  mesh->vertexBuffer_->Lock(0, 0, &locked, 0);
  if (locked && !vertices.empty()) std::memcpy(locked, vertices.data(), vertices.size());
  mesh->vertexBuffer_->Unlock();
  mesh->indexBuffer_->Lock(0, 0, &locked, 0);
  for (std::size_t i = 0; locked && i < data.indices.size(); ++i) {
    if (wide) {
      std::memcpy(locked + 4 * i, &data.indices[i], 4);
    } else {
      const std::uint16_t index = std::uint16_t(data.indices[i]);
      std::memcpy(locked + 2 * i, &index, 2);
    }
  }
  mesh->indexBuffer_->Unlock();

  if (materials) *materials = new MemoryBuffer(MaterialBytes(data));
  if (numMaterials) *numMaterials = DWORD(data.materials.size());
  *meshOut = mesh;
  return D3D_OK;
}
