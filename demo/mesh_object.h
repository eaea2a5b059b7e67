// MeshObject: one mesh from `.x` data in memory, with working and loaded materials, an optional
// stage-0 texture, a world matrix built anew every frame and an optional camera of its own.
//
// Transforms post-multiply `world`, so they act on the vertices in the order they are called;
// Draw resets `world` to identity. Angles are radians. Draw expects the caller's BeginScene.
#pragma once

#include "platform/d3d8/d3d8.h"
#include "platform/d3dx8/d3dx8.h"
#include "platform/win32/win32.h"

class MeshObject {
 public:
  MeshObject();
  ~MeshObject();
  MeshObject(const MeshObject&) = delete;
  MeshObject& operator=(const MeshObject&) = delete;

  void Load(const void* data, DWORD size, IDirect3DDevice8* device);
  void Draw(IDirect3DDevice8* device);

  void RotateX(float angle);
  void RotateY(float angle);
  void RotateZ(float angle);
  void Translate(float x, float y, float z);
  void Scale(float x, float y, float z);
  void SetView(float eyeX, float eyeY, float eyeZ, float atX, float atY, float atZ, float upX, float upY,
               float upZ);

  void SetTexture(IDirect3DTexture8* newTexture);
  void EnableTexture();
  void DisableTexture();

  void SetAmbient(float r, float g, float b);
  void SetDiffuse(float r, float g, float b);
  void SetSpecular(float r, float g, float b);
  void RestoreMaterials();

  ID3DXMesh* mesh;
  D3DMATERIAL8* materials;        // working materials, one per subset
  D3DMATERIAL8* loadedMaterials;  // as loaded, ambient r, g, b zeroed
  DWORD materialCount;
  ID3DXBuffer* materialBuffer;  // alive only during Load
  IDirect3DTexture8* texture;   // not owned
  BYTE textureEnabled;
  D3DXMATRIX world;
  D3DXVECTOR3 eye, at, up;
  BYTE useView;
};
