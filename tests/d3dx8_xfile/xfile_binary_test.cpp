// Binary and MSZIP-compressed .x files, and damaged ones of both.
#include <gtest/gtest.h>

#include "d3dx8_xfile/xfile_test_support.h"

namespace {

using d3dx::XMeshData;
using xtest::Binary;

// A quad and a triangle with normals, texture coordinates and one textured material, the number
// lists compounded across members the way binary writers do.
Binary SampleMesh(bool doubles) {
  Binary b(doubles);
  b.Token(31).Name("Vector").Open().Guid().Token(42).Name("x").Token(20).Close();  // a template
  b.Name("Frame").Name("Root").Open();
  b.Name("FrameTransformMatrix").Open().Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 3, 1}).Close();
  b.Name("Mesh").Name("Body").Open().Guid();
  b.Ints({5}).Floats({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0.25, 0.5, 0.125});
  b.Ints({2, 4, 0, 1, 2, 3, 3, 1, 4, 2});
  b.Name("MeshNormals").Open().Ints({1}).Floats({0, 0, -1}).Ints({2, 4, 0, 0, 0, 0, 3, 0, 0, 0}).Close();
  b.Name("MeshTextureCoords").Open().Ints({5}).Floats({0, 0, 1, 0, 1, 1, 0, 1, 0.5, 0.75}).Close();
  b.Name("MeshMaterialList").Open().Ints({1, 2, 0, 0});
  b.Name("Material").Open().Floats({1, 0.5, 0.25, 1, 8, 1, 1, 1, 0, 0, 0});
  b.Name("TextureFilename").Open().String("wall.png").Close();
  b.Close().Close();
  b.Name("SkinWeights").Open().String("bone").Ints({1, 0}).Floats({1}).Close();  // skipped
  b.Close().Close();
  return b;
}

void ExpectSample(const XMeshData& mesh) {
  EXPECT_EQ(mesh.fvf, static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1));
  ASSERT_EQ(mesh.VertexCount(), 5u);
  EXPECT_EQ(mesh.indices, std::vector<DWORD>({0, 1, 2, 0, 2, 3, 1, 4, 2}));
  EXPECT_EQ(mesh.positions[4], D3DXVECTOR3(0.25f, 0.5f, 3.125f));  // moved by the frame
  EXPECT_EQ(mesh.normals[4], D3DXVECTOR3(0, 0, -1));
  EXPECT_EQ(mesh.texcoords[9], 0.75f);
  ASSERT_EQ(mesh.materials.size(), 1u);
  EXPECT_EQ(mesh.materials[0].material.Diffuse.g, 0.5f);
  EXPECT_EQ(mesh.materials[0].material.Power, 8.0f);
  EXPECT_EQ(mesh.materials[0].textureFilename, "wall.png");
}

TEST(XFileBinary, ThirtyTwoAndSixtyFourBitFloats) {
  for (bool doubles : {false, true}) {
    SCOPED_TRACE(doubles ? "0064" : "0032");
    XMeshData mesh;
    ASSERT_EQ(xtest::Parse(SampleMesh(doubles).bytes(), &mesh), D3D_OK);
    ExpectSample(mesh);
  }
  // A "0064" file written with 4-byte floats, as some writers do, reads too.
  std::vector<uint8_t> narrow = SampleMesh(false).bytes();
  std::memcpy(narrow.data() + 12, "0064", 4);
  XMeshData mesh;
  ASSERT_EQ(xtest::Parse(narrow, &mesh), D3D_OK);
  ExpectSample(mesh);
}

TEST(XFileBinary, EveryTruncationFailsCleanly) {
  const std::vector<uint8_t> whole = SampleMesh(false).bytes();
  for (size_t size = 0; size < whole.size(); ++size) {
    const std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(size));
    XMeshData mesh;
    EXPECT_EQ(xtest::Parse(cut, &mesh), D3DXERR_INVALIDDATA) << size;
  }
  // A list claiming more numbers than the file holds.
  Binary b;
  b.Name("Mesh").Open().Token(7).U32(0x40000000u).U32(0).Close();
  XMeshData mesh;
  EXPECT_EQ(xtest::Parse(b.bytes(), &mesh), D3DXERR_INVALIDDATA);
  Binary unknown;
  unknown.Name("Mesh").Open().Token(99).Close();
  EXPECT_EQ(xtest::Parse(unknown.bytes(), &mesh), D3DXERR_INVALIDDATA);
}

std::string LongTextMesh() {
  // Enough repeated text that later blocks refer back into earlier ones.
  std::string body = "xof 0303txt 0032\nMesh {\n 600;\n";
  for (int i = 0; i < 600; ++i) {
    body += " " + std::to_string(i % 7) + ".500000;" + std::to_string(i % 5) + ".250000;0.000000;";
    body += i + 1 < 600 ? ",\n" : ";\n";
  }
  body += " 200;\n";
  for (int i = 0; i < 200; ++i) {
    body += " 3;" + std::to_string(3 * i) + "," + std::to_string(3 * i + 1) + "," + std::to_string(3 * i + 2);
    body += i + 1 < 200 ? ";,\n" : ";;\n";
  }
  return body + "}\n";
}

TEST(XFileCompressed, BlocksShareTheirHistory) {
  const std::vector<uint8_t> plain = xtest::Bytes(LongTextMesh());
  XMeshData expected;
  ASSERT_EQ(xtest::Parse(plain, &expected), D3D_OK);
  ASSERT_GT(plain.size(), 3 * 4096u);
  const std::vector<uint8_t> packed = xtest::Compress(plain, 4096);
  ASSERT_LT(packed.size(), plain.size() / 4);
  XMeshData mesh;
  ASSERT_EQ(xtest::Parse(packed, &mesh), D3D_OK);
  EXPECT_EQ(mesh.VertexCount(), 600u);
  EXPECT_EQ(mesh.FaceCount(), 200u);
  EXPECT_EQ(mesh.indices, expected.indices);
  EXPECT_EQ(mesh.positions[599], expected.positions[599]);

  const std::vector<uint8_t> binaryPacked = xtest::Compress(SampleMesh(false).bytes(), 64);
  ASSERT_EQ(std::string(binaryPacked.begin() + 8, binaryPacked.begin() + 12), "bzip");
  ASSERT_EQ(xtest::Parse(binaryPacked, &mesh), D3D_OK);
  ExpectSample(mesh);
}

TEST(XFileCompressed, DamagedStreamsAreRejected) {
  const std::vector<uint8_t> packed = xtest::Compress(xtest::Bytes(LongTextMesh()), 4096);
  XMeshData mesh;
  std::vector<uint8_t> bad = packed;
  bad[24] = 'X';  // the first block's "CK"
  EXPECT_EQ(xtest::Parse(bad, &mesh), D3DXERR_INVALIDDATA);
  bad = packed;
  bad[20] ^= 0x01;  // the first block's stated size no longer matches its data
  EXPECT_EQ(xtest::Parse(bad, &mesh), D3DXERR_INVALIDDATA);
  bad = packed;
  for (int k = 0; k < 4; ++k) bad[16 + k] = 0;  // total size smaller than the blocks
  EXPECT_EQ(xtest::Parse(bad, &mesh), D3DXERR_INVALIDDATA);
  bad.assign(packed.begin(), packed.end() - 10);  // last block cut short
  EXPECT_EQ(xtest::Parse(bad, &mesh), D3DXERR_INVALIDDATA);
  for (size_t i = 30; i < packed.size(); i += 37) {  // flipped bits inside deflate data
    bad = packed;
    bad[i] ^= 0x5A;
    xtest::Parse(bad, &mesh);  // may or may not decode; must not crash or leak
  }
}

}  // namespace
