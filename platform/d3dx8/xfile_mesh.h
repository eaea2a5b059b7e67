// The `.x` mesh file reader behind D3DXLoadMeshFromXInMemory: turns a whole file held in memory
// (text or binary, 32- or 64-bit floats, optionally MSZIP-compressed) into one plain mesh, built
// the way D3DX builds it:
//   - every Mesh of the file (top level, and inside Frames depth-first, each transformed by its
//     frames' FrameTransformMatrix, world = local * parent) merged into one;
//   - polygons split into triangle fans from their first corner, keeping the file's winding;
//   - a vertex used with several different normals duplicated, the copies appended;
//   - faces of each mesh stably sorted by material, attribute id = material index; the meshes'
//     materials concatenated so that attribute id i names material i.
// Bad or truncated data gives D3DXERR_INVALIDDATA (also for a file without any Mesh); the reader
// never allocates much more than the file (or its decompressed body) could describe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3dx8/d3dx8.h"

namespace d3dx {

struct XMaterial {
  D3DMATERIAL8 material{};      // Ambient (0,0,0,1); Specular and Emissive with alpha 1
  bool hasTexture = false;      // a TextureFilename child was present
  std::string textureFilename;  // as written in the file
};

// One run of faces with the same attribute id, as in D3DXATTRIBUTERANGE.
struct XAttributeRange {
  DWORD attribId = 0;
  DWORD faceStart = 0;
  DWORD faceCount = 0;
  DWORD vertexStart = 0;  // lowest vertex index those faces use
  DWORD vertexCount = 0;  // highest - lowest + 1
};

struct XMeshData {
  DWORD fvf = D3DFVF_XYZ;  // XYZ, plus NORMAL / DIFFUSE / TEX1 when the file gives them
  std::vector<D3DXVECTOR3> positions;
  std::vector<D3DXVECTOR3> normals;  // one per vertex when fvf has NORMAL, else empty
  std::vector<DWORD> colors;         // 0xAARRGGBB per vertex when fvf has DIFFUSE, else empty
  std::vector<float> texcoords;      // u, v per vertex when fvf has TEX1, else empty
  std::vector<DWORD> indices;        // three per triangle
  std::vector<DWORD> attributes;     // one per triangle: the material index
  std::vector<XMaterial> materials;  // at least one
  std::vector<XAttributeRange> attributeTable;  // one entry per attribute id that has faces

  size_t VertexCount() const { return positions.size(); }
  size_t FaceCount() const { return attributes.size(); }
  // 16-bit indices (the default without D3DXMESH_32BIT) can address this mesh.
  bool FitsSixteenBitIndices() const { return positions.size() <= 0x10000; }
};

// Reads the `.x` file in data[0, size). D3D_OK and *out filled, or D3DXERR_INVALIDDATA with *out
// cleared.
HRESULT ParseXFile(const void* data, size_t size, XMeshData* out);

}  // namespace d3dx
