// The sample .x files of the test data folder, through the reader and through xinfo.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "d3dx8_xfile/xfile_test_support.h"
#include "tools/xinfo/xinfo_report.h"

namespace {

const std::string kDir = std::string(VORNHOLD_TESTDATA_DIR) + "/x/";

bool ReadFile(const std::string& path, std::vector<uint8_t>* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

struct Sample {
  const char* file;
  size_t vertices;
  size_t triangles;
  DWORD fvf;
};

TEST(XFileSamples, EveryFileLoads) {
  const Sample kSamples[] = {
      {"dxsdk-legacy__tiny.x", 4432, 6841, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1},
      {"dxsdk-legacy__teapot.x", 1178, 2256, D3DFVF_XYZ | D3DFVF_NORMAL},
      {"assimp__test_cube_compressed.x", 24, 12, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1},
      {"dxsdk-legacy__tiger.x", 0, 0, D3DFVF_XYZ | D3DFVF_TEX1},
      {"dxsdk-legacy__Cube.x", 0, 0, D3DFVF_XYZ | D3DFVF_DIFFUSE},
  };
  for (const Sample& sample : kSamples) {
    std::vector<uint8_t> bytes;
    if (!ReadFile(kDir + sample.file, &bytes)) {
      GTEST_SKIP() << "sample .x files not present in " << kDir;
    }
    SCOPED_TRACE(sample.file);
    d3dx::XMeshData mesh;
    ASSERT_EQ(xtest::Parse(bytes, &mesh), D3D_OK);
    if (sample.vertices) {
      EXPECT_EQ(mesh.VertexCount(), sample.vertices);
      EXPECT_EQ(mesh.FaceCount(), sample.triangles);
    }
    EXPECT_GT(mesh.FaceCount(), 0u);
    EXPECT_EQ(mesh.fvf, sample.fvf);
    EXPECT_TRUE(mesh.FitsSixteenBitIndices());
    for (DWORD index : mesh.indices) ASSERT_LT(index, mesh.VertexCount());
    for (DWORD attribute : mesh.attributes) ASSERT_LT(attribute, mesh.materials.size());
    size_t covered = 0;
    for (const d3dx::XAttributeRange& range : mesh.attributeTable) covered += range.faceCount;
    EXPECT_EQ(covered, mesh.FaceCount());
  }
}

TEST(XInfo, ReportLine) {
  d3dx::XMeshData mesh;
  ASSERT_EQ(xtest::ParseText("Mesh { 4; -1;2;0.5;, 3;-4;0;, 0;0;0;, 1;1;1;; 2; 3;0,1,2;, 3;1,2,3;;"
                             " MeshVertexColors { 1; 0;1;1;1;1;; } }",
                             &mesh),
            D3D_OK);
  EXPECT_EQ(xinfo::Describe(mesh),
            "vertices=4 triangles=2 subsets=1 materials=1 fvf=0x42 bbox=-1,-4,0,3,2,1");
}

int RunXinfo(const std::string& args, std::string* output) {
  const std::string command = std::string(VORNHOLD_BINARY_DIR) + "/tools/xinfo/xinfo " + args + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  char buffer[512];
  output->clear();
  while (std::fgets(buffer, sizeof buffer, pipe)) *output += buffer;
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(XInfo, ExitStatus) {
  const std::string tool = std::string(VORNHOLD_BINARY_DIR) + "/tools/xinfo/xinfo";
  if (!std::ifstream(tool)) GTEST_SKIP() << "xinfo not built";
  std::string out;
  EXPECT_EQ(RunXinfo("", &out), 2);
  EXPECT_EQ(RunXinfo("a b", &out), 2);
  EXPECT_EQ(RunXinfo("/nonexistent/file.x", &out), 1);
  EXPECT_NE(out.find("cannot read"), std::string::npos) << out;
  EXPECT_EQ(RunXinfo(std::string(VORNHOLD_SOURCE_DIR) + "/CMakeLists.txt", &out), 1);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
  if (std::ifstream(kDir + "assimp__test_cube_compressed.x")) {
    EXPECT_EQ(RunXinfo(kDir + "assimp__test_cube_compressed.x", &out), 0);
    EXPECT_EQ(out, "vertices=24 triangles=12 subsets=1 materials=1 fvf=0x112 bbox=-1,-1,-1,1,1,1\n");
  }
}

}  // namespace
