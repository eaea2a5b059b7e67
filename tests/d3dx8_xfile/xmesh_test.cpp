// D3DXLoadMeshFromXInMemory and ID3DXMesh on the software device: one subset per material,
// materials as the file gives them, DrawSubset drawing only its own faces.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3dx8/d3dx8.h"
#include "platform/present/present.h"
#include "platform/win32/win32.h"
#include "support/headless_device.h"
#include "support/two_material_mesh.h"

namespace {

const std::string kTwoMaterials = testsupport::kTwoMaterialMesh;

class XMeshTest : public testing::Test {
 protected:
  void SetUp() override {
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  }

  std::vector<std::uint32_t> Draw(ID3DXMesh* mesh, DWORD subset) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device_->BeginScene();
    EXPECT_EQ(mesh->DrawSubset(subset), D3D_OK);
    device_->EndScene();
    std::vector<std::uint32_t> pixels;
    platform::SetPresentHandler([&](HWND__*, const platform::FrameImage* image) { pixels = image->xrgb; });
    device_->Present(nullptr, nullptr, nullptr, nullptr);
    platform::SetPresentHandler(nullptr);
    return pixels;
  }

  testsupport::HeadlessDevice screen_{64, 64};
  IDirect3DDevice8* device_ = screen_.get();
};

TEST_F(XMeshTest, OneSubsetPerMaterialDrawsOnlyItsFaces) {
  ID3DXBuffer* materials = nullptr;
  DWORD count = 0;
  ID3DXMesh* mesh = nullptr;
  ASSERT_EQ(D3DXLoadMeshFromXInMemory(kTwoMaterials.data(), DWORD(kTwoMaterials.size()), D3DXMESH_SYSTEMMEM,
                                      device_, nullptr, &materials, &count, &mesh),
            D3D_OK);
  ASSERT_EQ(count, 2u);
  EXPECT_EQ(mesh->GetNumFaces(), 2u);
  EXPECT_EQ(mesh->GetNumVertices(), 6u);
  EXPECT_EQ(mesh->GetFVF(), DWORD(D3DFVF_XYZ));
  const auto* records = static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer());
  EXPECT_EQ(records[0].MatD3D.Diffuse.r, 1.0f);
  EXPECT_EQ(records[0].MatD3D.Power, 8.0f);
  EXPECT_EQ(records[0].pTextureFilename, nullptr);
  EXPECT_EQ(records[1].MatD3D.Emissive.b, 0.3f);
  ASSERT_NE(records[1].pTextureFilename, nullptr);
  EXPECT_STREQ(records[1].pTextureFilename, "wall.bmp");

  // The material list gives face 0 (right) material 1 and face 1 (left) material 0.
  const std::vector<std::uint32_t> first = Draw(mesh, 0);
  const std::vector<std::uint32_t> second = Draw(mesh, 1);
  const auto at = [](const std::vector<std::uint32_t>& p, int x, int y) { return p[std::size_t(y) * 64 + std::size_t(x)]; };
  // Clip x -0.9..-0.1 is pixels 3.2..28.8, 0.1..0.9 is 35.2..60.8; each triangle is the lower right
  // half of its square.
  EXPECT_EQ(at(first, 20, 40), 0x00FFFFFFu);  // no diffuse in the mesh: white
  EXPECT_EQ(at(first, 56, 40), 0u);
  EXPECT_EQ(at(second, 20, 40), 0u);
  EXPECT_EQ(at(second, 56, 40), 0x00FFFFFFu);
  EXPECT_EQ(mesh->DrawSubset(7), D3D_OK);  // no such faces: nothing drawn
  materials->Release();
  mesh->Release();
}

TEST_F(XMeshTest, DamagedDataLeavesNothing) {
  ID3DXBuffer* materials = reinterpret_cast<ID3DXBuffer*>(1);
  DWORD count = 9;
  ID3DXMesh* mesh = reinterpret_cast<ID3DXMesh*>(1);
  const std::string cut = kTwoMaterials.substr(0, 60);
  EXPECT_EQ(D3DXLoadMeshFromXInMemory(cut.data(), DWORD(cut.size()), D3DXMESH_SYSTEMMEM, device_, nullptr,
                                      &materials, &count, &mesh),
            D3DXERR_INVALIDDATA);
  EXPECT_EQ(materials, nullptr);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(mesh, nullptr);
}

TEST_F(XMeshTest, RealTeapotLoads) {
  const std::filesystem::path file = std::filesystem::path(VORNHOLD_TESTDATA_DIR) / "x" / "dxsdk-legacy__teapot.x";
  if (!std::filesystem::exists(file)) GTEST_SKIP() << "no sample meshes at " << file.parent_path();
  std::ifstream in(file, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ID3DXMesh* mesh = nullptr;
  DWORD count = 0;
  ASSERT_EQ(D3DXLoadMeshFromXInMemory(bytes.data(), DWORD(bytes.size()), D3DXMESH_SYSTEMMEM, device_, nullptr,
                                      nullptr, &count, &mesh),
            D3D_OK);
  EXPECT_EQ(mesh->GetNumFaces(), 2256u);
  EXPECT_EQ(count, 1u);
  device_->BeginScene();
  EXPECT_EQ(mesh->DrawSubset(0), D3D_OK);
  device_->EndScene();
  mesh->Release();
}

}  // namespace
