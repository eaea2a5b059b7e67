// Text .x files: how the mesh is built from them.
#include <gtest/gtest.h>

#include <cmath>

#include "d3dx8_xfile/xfile_test_support.h"

namespace {

using d3dx::XMeshData;
using xtest::ParseText;

std::vector<DWORD> Indices(std::initializer_list<DWORD> list) { return list; }

TEST(XFileText, PolygonsSplitAsFansKeepingWinding) {
  XMeshData mesh;
  ASSERT_EQ(ParseText(R"(
    Mesh quad {
      5; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;1.0;0.0;, 0.0;1.0;0.0;, 0.5;2.0;0.0;;
      2; 5;0,1,2,3,4;, 3;3,2,4;;
    })", &mesh), D3D_OK);
  EXPECT_EQ(mesh.fvf, static_cast<DWORD>(D3DFVF_XYZ));
  EXPECT_EQ(mesh.VertexCount(), 5u);
  EXPECT_EQ(mesh.indices, Indices({0, 1, 2, 0, 2, 3, 0, 3, 4, 3, 2, 4}));
  EXPECT_EQ(mesh.attributes, std::vector<DWORD>(4, 0));
  EXPECT_TRUE(mesh.normals.empty());
  EXPECT_TRUE(mesh.texcoords.empty());
  // No material anywhere: one grey default material.
  ASSERT_EQ(mesh.materials.size(), 1u);
  EXPECT_EQ(mesh.materials[0].material.Diffuse.r, 0.5f);
  EXPECT_EQ(mesh.materials[0].material.Diffuse.a, 0.0f);
  EXPECT_EQ(mesh.materials[0].material.Specular.g, 0.5f);
  EXPECT_EQ(mesh.materials[0].material.Power, 0.0f);
  EXPECT_FALSE(mesh.materials[0].hasTexture);
  ASSERT_EQ(mesh.attributeTable.size(), 1u);
  EXPECT_EQ(mesh.attributeTable[0].faceCount, 4u);
  EXPECT_EQ(mesh.attributeTable[0].vertexCount, 5u);
}

// Vertex 0 is used with two different normals, vertex 1 with one normal given twice (by two
// indices of equal value), vertex 4 by no face.
TEST(XFileText, VertexWithSeveralNormalsIsCopiedWithItsUvAndColour) {
  XMeshData mesh;
  ASSERT_EQ(ParseText(R"(
    Mesh {
      5; 0;0;0;, 1;0;0;, 0;1;0;, 0;0;1;, 9;9;9;;
      2; 3;0,1,2;, 3;0,3,1;;
      MeshNormals {
        3; 0;0;2;, 0;3;0;, 0;0;1;;
        2; 3;0,2,0;, 3;1,0,2;;
      }
      MeshTextureCoords { 5; 0.1;0.2;, 0.3;0.4;, 0.5;0.6;, 0.7;0.8;, 0.9;1.0;; }
      MeshVertexColors { 2; 0;1.0;0.0;0.0;1.0;, 3;2.0;-1.0;0.5;0.25;; }
    })", &mesh), D3D_OK);
  EXPECT_EQ(mesh.fvf, static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1));
  // Copies go after the five original vertices: vertex 0 with (0,1,0), vertex 1 is not copied
  // (normals 2 and 0 are equal after normalising), vertex 3 keeps its only normal.
  ASSERT_EQ(mesh.VertexCount(), 6u);
  EXPECT_EQ(mesh.indices, Indices({0, 1, 2, 5, 3, 1}));
  EXPECT_EQ(mesh.normals[0], D3DXVECTOR3(0, 0, 1));  // (0,0,2) normalised
  EXPECT_EQ(mesh.normals[1], D3DXVECTOR3(0, 0, 1));
  EXPECT_EQ(mesh.normals[3], D3DXVECTOR3(0, 0, 1));
  EXPECT_EQ(mesh.normals[4], D3DXVECTOR3(0, 0, 0));  // unused vertex
  EXPECT_EQ(mesh.normals[5], D3DXVECTOR3(0, 1, 0));
  EXPECT_EQ(mesh.positions[5], D3DXVECTOR3(0, 0, 0));
  EXPECT_EQ(mesh.texcoords[10], 0.1f);
  EXPECT_EQ(mesh.texcoords[11], 0.2f);
  EXPECT_EQ(mesh.colors[0], 0xFFFF0000u);
  EXPECT_EQ(mesh.colors[5], 0xFFFF0000u);
  // Clamped to [0,1], then (int)(c * 255 + 0.5): 0.5 -> 128, 0.25 -> 64.
  EXPECT_EQ(mesh.colors[3], 0x40FF0080u);
  EXPECT_EQ(mesh.colors[1], 0x00FFFFFFu);  // not in the list
}

TEST(XFileText, MaterialsSortFacesStablyAndKeepTheirFields) {
  XMeshData mesh;
  ASSERT_EQ(ParseText(R"(
    # comments of both kinds
    Material Shared { 0.1;0.2;0.3;0.4;; 12.5; 0.5;0.6;0.7;; 0.8;0.9;1.0;; TextureFilename { "tex\\a.bmp"; } }
    Mesh {
      4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;
      4; 3;0,1,2;, 3;0,2,3;, 3;1,2,3;, 3;3,1,0;;
      MeshMaterialList {
        2; 3; 1, 0, 1;;   // the fourth face takes the last index
        { Shared }
        material Plain { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }
      }
    })", &mesh), D3D_OK);
  ASSERT_EQ(mesh.materials.size(), 2u);
  const D3DMATERIAL8& shared = mesh.materials[0].material;
  EXPECT_EQ(shared.Diffuse.r, 0.1f);
  EXPECT_EQ(shared.Diffuse.a, 0.4f);
  EXPECT_EQ(shared.Power, 12.5f);
  EXPECT_EQ(shared.Specular.b, 0.7f);
  EXPECT_EQ(shared.Specular.a, 1.0f);
  EXPECT_EQ(shared.Emissive.r, 0.8f);
  EXPECT_EQ(shared.Emissive.a, 1.0f);
  EXPECT_EQ(shared.Ambient.r, 0.0f);
  EXPECT_EQ(shared.Ambient.a, 1.0f);
  EXPECT_TRUE(mesh.materials[0].hasTexture);
  EXPECT_EQ(mesh.materials[0].textureFilename, "tex\\\\a.bmp");  // no escape sequences
  EXPECT_FALSE(mesh.materials[1].hasTexture);
  // Faces 1 (material 0) first, then 0, 2, 3 (material 1) in file order.
  EXPECT_EQ(mesh.attributes, std::vector<DWORD>({0, 1, 1, 1}));
  EXPECT_EQ(mesh.indices, Indices({0, 2, 3, 0, 1, 2, 1, 2, 3, 3, 1, 0}));
  ASSERT_EQ(mesh.attributeTable.size(), 2u);
  EXPECT_EQ(mesh.attributeTable[1].attribId, 1u);
  EXPECT_EQ(mesh.attributeTable[1].faceStart, 1u);
  EXPECT_EQ(mesh.attributeTable[1].faceCount, 3u);
  EXPECT_EQ(mesh.attributeTable[0].vertexStart, 0u);
  EXPECT_EQ(mesh.attributeTable[0].vertexCount, 4u);
}

// Child frame translates by (1,0,0), its parent rotates 90 degrees about z: world = local *
// parent, so the point (1,0,0) goes to (2,0,0) and then to (0,2,0). A matrix written after a mesh
// does not move that mesh.
TEST(XFileText, NestedFramesApplyLocalThenParent) {
  XMeshData mesh;
  ASSERT_EQ(ParseText(R"(
    template Vector { <3D82AB5E-62DA-11CF-AB39-0020AF71E433> FLOAT x; FLOAT y; FLOAT z; }
    Header { 1; 0; 1; }
    frame Outer {
      FrameTransformMatrix { 0,1,0,0, -1,0,0,0, 0,0,1,0, 0,0,0,1;; }
      Frame Inner {
        FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 1,0,0,1;; }
        Mesh { 3; 1;0;0;, 0;1;0;, 0;0;0;; 1; 3;0,1,2;;
               MeshNormals { 1; 1;0;0;; 1; 3;0,0,0;; } }
      }
    }
    AnimationSet Walk { Animation { { Inner } AnimationKey { 0; 1; 0; 4; 1;0;0;0;;; } } }
    Frame Late {
      Mesh { 3; 5;5;5;, 6;5;5;, 5;6;5;; 1; 3;0,1,2;; }
      FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 0,0,0,1;; }
    })", &mesh), D3D_OK);
  ASSERT_EQ(mesh.VertexCount(), 6u);
  EXPECT_NEAR(mesh.positions[0].x, 0.0f, 1e-6f);
  EXPECT_NEAR(mesh.positions[0].y, 2.0f, 1e-6f);
  EXPECT_NEAR(mesh.positions[1].x, -1.0f, 1e-6f);
  EXPECT_NEAR(mesh.positions[1].y, 1.0f, 1e-6f);
  // Normals turn with the rotation only and stay unit length.
  EXPECT_NEAR(mesh.normals[0].x, 0.0f, 1e-6f);
  EXPECT_NEAR(mesh.normals[0].y, 1.0f, 1e-6f);
  EXPECT_EQ(mesh.positions[3], D3DXVECTOR3(5, 5, 5));
  EXPECT_EQ(mesh.normals[3], D3DXVECTOR3(0, 0, 0));  // the second mesh has none
}

TEST(XFileText, MeshesMergeWithVertexAndMaterialOffsets) {
  XMeshData mesh;
  ASSERT_EQ(ParseText(R"(
    Mesh A { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 1; 4;0,1,2,3;;
      MeshMaterialList { 2; 1; 1;; Material { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; }
                                   Material { 0;1;0;1;; 0; 0;0;0;; 0;0;0;; } } }
    Mesh B { 3; 0;0;1;, 1;0;1;, 0;1;1;; 1; 3;2,1,0;;
      MeshTextureCoords { 3; 0;0;, 1;0;, 0;1;; } }
    Mesh C { 3; 0;0;2;, 1;0;2;, 0;1;2;; 1; 3;0,1,2;;
      MESHMATERIALLIST { 1; 1; 0;; MATERIAL { 0;0;1;1;; 0; 0;0;0;; 0;0;0;; } } }
  )", &mesh), D3D_OK);
  EXPECT_EQ(mesh.fvf, static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_TEX1));
  ASSERT_EQ(mesh.VertexCount(), 10u);
  EXPECT_EQ(mesh.indices, Indices({0, 1, 2, 0, 2, 3, 6, 5, 4, 7, 8, 9}));
  // A: materials 0,1; B: its own default material 2; C: material 3.
  EXPECT_EQ(mesh.attributes, std::vector<DWORD>({1, 1, 2, 3}));
  ASSERT_EQ(mesh.materials.size(), 4u);
  EXPECT_EQ(mesh.materials[1].material.Diffuse.g, 1.0f);
  EXPECT_EQ(mesh.materials[2].material.Diffuse.r, 0.5f);
  EXPECT_EQ(mesh.materials[3].material.Diffuse.b, 1.0f);
  ASSERT_EQ(mesh.texcoords.size(), 20u);
  EXPECT_EQ(mesh.texcoords[0], 0.0f);  // mesh A has none: zeros
  EXPECT_EQ(mesh.texcoords[10], 1.0f);  // B's second vertex
  ASSERT_EQ(mesh.attributeTable.size(), 3u);
  EXPECT_EQ(mesh.attributeTable[1].vertexStart, 4u);
  EXPECT_EQ(mesh.attributeTable[1].vertexCount, 3u);
}

// A material list of no materials fits only a mesh without faces; whatever the lists declare, a
// mesh that reads has a material for every attribute id, at least one.
TEST(XFileText, EmptyMaterialListsStillGiveOneMaterial) {
  const char* const kBodies[] = {
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 0;; MeshMaterialList { 0; 0;; } }",
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 0;; MeshMaterialList { 0; 0;; } }\n"
      "Mesh { 3; 0;0;1;, 1;0;1;, 0;1;1;; 0;; MeshMaterialList { 0; 0;; } }",
  };
  for (const char* body : kBodies) {
    XMeshData mesh;
    ASSERT_EQ(ParseText(body, &mesh), D3D_OK) << body;
    EXPECT_EQ(mesh.FaceCount(), 0u) << body;
    ASSERT_EQ(mesh.materials.size(), 1u) << body;
    EXPECT_EQ(mesh.materials[0].material.Diffuse.r, 0.5f) << "the default grey";
  }
}

TEST(XFileText, DamagedOrInconsistentDataIsRejected) {
  const char* const kBad[] = {
      "",                                                              // no mesh at all
      "Frame { }",                                                     // still no mesh
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,3;; }",             // index past the vertices
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 2;0,1;; }",               // two-corner face
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;",               // missing brace
      "Mesh { 3; 0;0;0;, 1;0;0;; 1; 3;0,1,2;; }",                     // too few coordinates
      "Mesh { 4000000000; 0;0;0;; 1; 3;0,0,0;; }",                    // huge count
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshNormals { 1; 0;0;1;; 2; 3;0,0,0;, 3;0,0,0;; } }",
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshNormals { 1; 0;0;1;; 1; 3;0,0,1;; } }",
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshNormals { 1; 0;0;1;; 1; 4;0,0,0,0;; } }",
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshTextureCoords { 2; 0;0;, 1;1;; } }",
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshVertexColors { 1; 3;1;1;1;1;; } }",
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshMaterialList { 1; 1; 1;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }",
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshMaterialList { 2; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }",
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshMaterialList { 1; 1; 0;; { Nowhere } } }",
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"open; } } } }",
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,-2;; }",            // negative index
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2.5;; }",           // fractional index
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; } }",           // stray brace
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; } 7;",          // stray data
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; @ }",           // unknown character
      "template Broken { <3D82AB5E-62DA-11CF-AB39-0020AF71E433> FLOAT x; Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }",
  };
  for (const char* body : kBad) {
    XMeshData mesh;
    EXPECT_EQ(ParseText(body, &mesh), D3DXERR_INVALIDDATA) << body;
    EXPECT_TRUE(mesh.positions.empty() && mesh.materials.empty()) << body;
  }
  const char* const kBadHeaders[] = {"xof 0303txt 003", "xof 0303cmp 0032 Mesh{}",
                                     "xox 0303txt 0032 Mesh{}", "xof 0303txt 0016 Mesh{}"};
  for (const char* file : kBadHeaders) {
    XMeshData mesh;
    EXPECT_EQ(xtest::Parse(xtest::Bytes(file), &mesh), D3DXERR_INVALIDDATA) << file;
  }
}

// Frames referencing each other double the work at each level; the reader gives up instead of
// building millions of copies from a few hundred bytes.
TEST(XFileText, ReferenceChainsCannotBlowUp) {
  std::string body = "Frame F0 { Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; } }\n";
  for (int i = 1; i < 40; ++i) {
    body += "Frame F" + std::to_string(i) + " { {F" + std::to_string(i - 1) + "} {F" +
            std::to_string(i - 1) + "} }\n";
  }
  XMeshData mesh;
  EXPECT_EQ(ParseText(body, &mesh), D3DXERR_INVALIDDATA);
  // A few levels are fine: the last frame holds the mesh four times, plus the 1 + 2 + 4 above.
  std::string small = "Frame F0 { Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; } }\n"
                      "Frame F1 { {F0} {F0} } Frame F2 { {F1} {F1} }";
  ASSERT_EQ(ParseText(small, &mesh), D3D_OK);
  EXPECT_EQ(mesh.FaceCount(), 7u);
}

}  // namespace
