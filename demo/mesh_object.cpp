#include "demo/mesh_object.h"

#include <cstring>

#include "platform/trace/trace.h"

MeshObject::MeshObject()
    : mesh(nullptr),
      materials(nullptr),
      loadedMaterials(nullptr),
      materialCount(0),
      materialBuffer(nullptr),
      texture(nullptr),
      textureEnabled(0),
      eye(0, 0, 0),
      at(0, 0, 0),
      up(0, 0, 0),
      useView(0) {
  D3DXMatrixIdentity(&world);
}

MeshObject::~MeshObject() {
  delete[] materials;
  delete[] loadedMaterials;
  if (mesh) mesh->Release();
}

// The loader's result is not examined, as the system is designed: a failed load leaves no mesh and
// no materials, so Draw draws nothing.
void MeshObject::Load(const void* data, DWORD size, IDirect3DDevice8* device) {
  D3DXLoadMeshFromXInMemory(data, size, D3DXMESH_SYSTEMMEM, device, nullptr, &materialBuffer, &materialCount,
                            &mesh);
  if (!materialBuffer) {
    materialCount = 0;
    return;
  }
  const auto* records = static_cast<const D3DXMATERIAL*>(materialBuffer->GetBufferPointer());
  materials = new D3DMATERIAL8[materialCount];
  loadedMaterials = new D3DMATERIAL8[materialCount];
  for (DWORD i = 0; i < materialCount; ++i) {
    D3DMATERIAL8 m = records[i].MatD3D;  // texture file names are not used
    m.Ambient.r = m.Ambient.g = m.Ambient.b = 0.0f;
    materials[i] = m;
    loadedMaterials[i] = m;
  }
  materialBuffer->Release();
  materialBuffer = nullptr;
}

void MeshObject::Draw(IDirect3DDevice8* device) {
  const char* name = trace::NameOf(this);
  const trace::Operation operation(__func__, *name ? name : "mesh?", trace::Floats{&world.m[0][0], 16});
  if (useView) {
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    device->SetTransform(D3DTS_VIEW, &view);  // stays for everything drawn later
  }
  device->SetTransform(D3DTS_WORLD, &world);
  device->SetTexture(0, textureEnabled ? texture : nullptr);
  for (DWORD i = 0; i < materialCount; ++i) {
    device->SetMaterial(&materials[i]);
    mesh->DrawSubset(i);
  }
  D3DXMatrixIdentity(&world);
}

namespace {
void PostMultiply(D3DXMATRIX& world, const D3DXMATRIX& m) { D3DXMatrixMultiply(&world, &world, &m); }
}  // namespace

void MeshObject::RotateX(float angle) {
  D3DXMATRIX m;
  PostMultiply(world, *D3DXMatrixRotationX(&m, angle));
}

void MeshObject::RotateY(float angle) {
  D3DXMATRIX m;
  PostMultiply(world, *D3DXMatrixRotationY(&m, angle));
}

void MeshObject::RotateZ(float angle) {
  D3DXMATRIX m;
  PostMultiply(world, *D3DXMatrixRotationZ(&m, angle));
}

void MeshObject::Translate(float x, float y, float z) {
  D3DXMATRIX m;
  PostMultiply(world, *D3DXMatrixTranslation(&m, x, y, z));
}

void MeshObject::Scale(float x, float y, float z) {
  D3DXMATRIX m;
  PostMultiply(world, *D3DXMatrixScaling(&m, x, y, z));
}

void MeshObject::SetView(float eyeX, float eyeY, float eyeZ, float atX, float atY, float atZ, float upX,
                         float upY, float upZ) {
  eye = D3DXVECTOR3(eyeX, eyeY, eyeZ);
  at = D3DXVECTOR3(atX, atY, atZ);
  up = D3DXVECTOR3(upX, upY, upZ);
}

void MeshObject::SetTexture(IDirect3DTexture8* newTexture) {
  texture = newTexture;
  textureEnabled = 1;
}

void MeshObject::EnableTexture() { textureEnabled = 1; }
void MeshObject::DisableTexture() { textureEnabled = 0; }

void MeshObject::SetAmbient(float r, float g, float b) {
  for (DWORD i = 0; i < materialCount; ++i) materials[i].Ambient = {r, g, b, materials[i].Ambient.a};
}

void MeshObject::SetDiffuse(float r, float g, float b) {
  for (DWORD i = 0; i < materialCount; ++i) materials[i].Diffuse = {r, g, b, materials[i].Diffuse.a};
}

void MeshObject::SetSpecular(float r, float g, float b) {
  for (DWORD i = 0; i < materialCount; ++i) materials[i].Specular = {r, g, b, materials[i].Specular.a};
}

void MeshObject::RestoreMaterials() {
  if (materialCount) std::memcpy(materials, loadedMaterials, materialCount * sizeof(D3DMATERIAL8));
}
