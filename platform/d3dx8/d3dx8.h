// The D3DX 8 utility subset: matrix helpers with the real names and signatures.
//
// Row-vector convention as in Direct3D: a point transforms as p' = p * M, translation sits in
// _41.._43, and D3DXMatrixMultiply(out, a, b) means "apply a, then b". Angles are radians; every
// left-handed helper builds the matrix Direct3D documents for it. Each function returns its output
// pointer, and the output may be one of the inputs.
#pragma once

#include "platform/d3d8/d3d8.h"

using LPCVOID = const void*;  // as in the Windows headers

// D3DX error codes (facility 0x876, as D3DX numbers them).
constexpr HRESULT D3DXERR_INVALIDDATA = static_cast<HRESULT>(0x88760B59u);

struct D3DXVECTOR3 : D3DVECTOR {
  D3DXVECTOR3() : D3DVECTOR{} {}
  D3DXVECTOR3(float vx, float vy, float vz) : D3DVECTOR{vx, vy, vz} {}
  explicit D3DXVECTOR3(const D3DVECTOR& v) : D3DVECTOR(v) {}

  D3DXVECTOR3 operator+(const D3DXVECTOR3& o) const { return {x + o.x, y + o.y, z + o.z}; }
  D3DXVECTOR3 operator-(const D3DXVECTOR3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  D3DXVECTOR3 operator*(float s) const { return {x * s, y * s, z * s}; }
  bool operator==(const D3DXVECTOR3& o) const { return x == o.x && y == o.y && z == o.z; }
};

struct D3DXMATRIX : D3DMATRIX {
  D3DXMATRIX() : D3DMATRIX{} {}
  D3DXMATRIX(const D3DMATRIX& matrix) : D3DMATRIX(matrix) {}  // NOLINT: implicit as in D3DX
  D3DXMATRIX(float m11, float m12, float m13, float m14, float m21, float m22, float m23,
             float m24, float m31, float m32, float m33, float m34, float m41, float m42,
             float m43, float m44);

  float& operator()(unsigned row, unsigned column) { return m[row][column]; }
  float operator()(unsigned row, unsigned column) const { return m[row][column]; }
  operator float*() { return &_11; }
  operator const float*() const { return &_11; }

  D3DXMATRIX operator*(const D3DXMATRIX& other) const;
  D3DXMATRIX& operator*=(const D3DXMATRIX& other);
  bool operator==(const D3DXMATRIX& other) const;
};

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* pOut);
// pOut = pM1 * pM2.
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2);
D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* pOut, float x, float y, float z);
D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* pOut, float sx, float sy, float sz);
// Clockwise when looking along the axis toward the origin (left-handed).
D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* pOut, float angle);
D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* pOut, float angle);
D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* pOut, float angle);
// fovy: vertical field of view in radians; aspect: width / height.
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, float fovy, float aspect, float zn,
                                       float zf);
D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                               const D3DXVECTOR3* pUp);
D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* pOut, float l, float r, float b, float t,
                                       float zn, float zf);

// Decodes a BMP, DIB, TGA, JPEG or PNG file held in memory into a new managed texture, with the
// D3DX defaults: sides rounded up to powers of two and the picture stretched to fill them (a
// tent filter), a full mip chain of 2x2 box averages, A8R8G8B8 when the file has alpha and
// X8R8G8B8 otherwise. D3DXERR_INVALIDDATA for data that is not such an image or is damaged.
HRESULT D3DXCreateTextureFromFileInMemory(LPDIRECT3DDEVICE8 pDevice, LPCVOID pSrcData,
                                          UINT SrcDataSize, LPDIRECT3DTEXTURE8* ppTexture);

// ---- Meshes ---------------------------------------------------------------------------------

// D3DXLoadMeshFromXInMemory options (vertex and index buffer placement, index width).
constexpr DWORD D3DXMESH_32BIT = 0x001;
constexpr DWORD D3DXMESH_SYSTEMMEM = 0x110;
constexpr DWORD D3DXMESH_MANAGED = 0x220;

// One material of a loaded mesh; pTextureFilename points into the same buffer, or is null.
struct D3DXMATERIAL {
  D3DMATERIAL8 MatD3D;
  LPSTR pTextureFilename;
};

struct ID3DXBuffer : IUnknown {
  virtual LPVOID GetBufferPointer() = 0;
  virtual DWORD GetBufferSize() = 0;
};
using LPD3DXBUFFER = ID3DXBuffer*;

// A mesh in the device's vertex and index buffers, its faces sorted into one run per attribute id.
struct ID3DXMesh : IUnknown {
  // Draws the faces of one attribute id as an indexed triangle list; sets the vertex shader (the
  // mesh's FVF), stream 0 and the indices, and leaves them set.
  virtual HRESULT DrawSubset(DWORD AttribId) = 0;
  virtual DWORD GetNumFaces() = 0;
  virtual DWORD GetNumVertices() = 0;
  virtual DWORD GetFVF() = 0;
  virtual DWORD GetOptions() = 0;
};
using LPD3DXMESH = ID3DXMesh*;

// Builds one mesh from a whole `.x` file in memory (every Mesh of the file merged, frames applied).
// ppAdjacency is not supported and must be null. ppMaterials receives NumMaterials D3DXMATERIAL
// records followed by their file names. D3DXERR_INVALIDDATA for damaged data; the outputs are then
// null and 0.
HRESULT D3DXLoadMeshFromXInMemory(LPCVOID Memory, DWORD SizeOfMemory, DWORD Options,
                                  LPDIRECT3DDEVICE8 pDevice, LPD3DXBUFFER* ppAdjacency,
                                  LPD3DXBUFFER* ppMaterials, DWORD* pNumMaterials,
                                  LPD3DXMESH* ppMesh);
