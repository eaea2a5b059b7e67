// MeshObject and SceneLight on the software device.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "demo/mesh_object.h"
#include "demo/scene_light.h"
#include "support/headless_device.h"
#include "support/two_material_mesh.h"

namespace {

const std::string kMesh = testsupport::kTwoMaterialMesh;

class SceneObjects : public testing::Test {
 protected:
  testsupport::HeadlessDevice screen_{64, 64};
  IDirect3DDevice8* device_ = screen_.get();
};

bool SameMatrix(const D3DMATRIX& a, const D3DMATRIX& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST_F(SceneObjects, LoadKeepsMaterialsWithAmbientZeroedAndRestoresThem) {
  MeshObject object;
  EXPECT_EQ(object.mesh, nullptr);
  EXPECT_EQ(object.materialCount, 0u);
  object.Load(kMesh.data(), DWORD(kMesh.size()), device_);
  ASSERT_EQ(object.materialCount, 2u);
  EXPECT_EQ(object.materialBuffer, nullptr);  // released after Load
  EXPECT_EQ(object.materials[1].Diffuse.g, 1.0f);
  EXPECT_EQ(object.materials[1].Ambient.r, 0.0f);
  EXPECT_EQ(object.materials[1].Ambient.a, 1.0f);  // alpha stays
  object.SetDiffuse(0.25f, 0.5f, 0.75f);
  EXPECT_EQ(object.materials[0].Diffuse.b, 0.75f);
  EXPECT_EQ(object.materials[1].Diffuse.a, 0.5f);
  EXPECT_EQ(object.loadedMaterials[1].Diffuse.g, 1.0f);
  object.RestoreMaterials();
  EXPECT_EQ(std::memcmp(object.materials, object.loadedMaterials, 2 * sizeof(D3DMATERIAL8)), 0);
}

TEST_F(SceneObjects, TransformsApplyInCallOrderAndDrawResetsTheWorld) {
  MeshObject object;
  object.Load(kMesh.data(), DWORD(kMesh.size()), device_);
  object.Translate(1, 2, 3);
  object.RotateY(0.5f);
  object.Scale(2, 2, 2);
  D3DXMATRIX t, r, s, expected;
  D3DXMatrixTranslation(&t, 1, 2, 3);
  D3DXMatrixRotationY(&r, 0.5f);
  D3DXMatrixScaling(&s, 2, 2, 2);
  D3DXMatrixMultiply(&expected, &t, &r);
  D3DXMatrixMultiply(&expected, &expected, &s);
  EXPECT_TRUE(SameMatrix(object.world, expected));

  device_->BeginScene();
  object.Draw(device_);
  D3DMATRIX onDevice;
  device_->GetTransform(D3DTS_WORLD, &onDevice);
  EXPECT_TRUE(SameMatrix(onDevice, expected));
  object.Draw(device_);  // drawn again without transforms: identity
  device_->GetTransform(D3DTS_WORLD, &onDevice);
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  EXPECT_TRUE(SameMatrix(onDevice, identity));
  device_->EndScene();
}

TEST_F(SceneObjects, DisabledTextureIsNotBoundUntilEnabledAgain) {
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
  MeshObject object;  // no mesh: nothing drawn, but texture and world still set
  object.SetTexture(texture);
  object.DisableTexture();
  object.Translate(5, 0, 0);
  object.Draw(device_);
  IDirect3DBaseTexture8* bound = reinterpret_cast<IDirect3DBaseTexture8*>(1);
  device_->GetTexture(0, &bound);
  EXPECT_EQ(bound, nullptr);
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  EXPECT_TRUE(SameMatrix(object.world, identity));
  object.EnableTexture();
  object.Draw(device_);
  device_->GetTexture(0, &bound);
  EXPECT_EQ(bound, texture);
  if (bound) bound->Release();
  device_->SetTexture(0, nullptr);
  texture->Release();
}

TEST_F(SceneObjects, OwnCameraStaysForWhatIsDrawnLater) {
  MeshObject object;
  object.SetView(0, 0, -5, 0, 0, 0, 0, 1, 0);
  object.Draw(device_);
  D3DMATRIX view;
  device_->GetTransform(D3DTS_VIEW, &view);
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  EXPECT_TRUE(SameMatrix(view, identity));  // useView is the part's to set
  object.useView = 1;
  object.Draw(device_);
  device_->GetTransform(D3DTS_VIEW, &view);
  EXPECT_EQ(view.m[3][2], 5.0f);
}

TEST_F(SceneObjects, LightsTakeConsecutiveIndicesAndApplyTheirRecord) {
  SceneLight first(D3DLIGHT_POINT, device_);
  SceneLight second(D3DLIGHT_POINT, device_);
  EXPECT_EQ(second.index, first.index + 1);
  second.light.Diffuse = {1.0f, 0.5f, 0.25f, 1.0f};
  second.light.Range = 40.0f;
  second.light.Attenuation0 = 1.0f;
  second.Apply();
  second.Enable();
  D3DLIGHT8 stored{};
  device_->GetLight(DWORD(second.index), &stored);
  EXPECT_EQ(stored.Type, D3DLIGHT_POINT);
  EXPECT_EQ(stored.Diffuse.g, 0.5f);
  EXPECT_EQ(stored.Range, 40.0f);
  BOOL on = FALSE;
  device_->GetLightEnable(DWORD(second.index), &on);
  EXPECT_TRUE(on);
  second.Disable();
  device_->GetLightEnable(DWORD(second.index), &on);
  EXPECT_FALSE(on);
}

}  // namespace
