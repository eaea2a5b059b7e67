// The data the build made in data/: every name the show asks for extracts from "lab.ac" through the
// show's own archive reader, and decodes through the show's own loaders; frames and maps have
// their exact sizes; part.txt plays every part; lab.mp3 plays through the sound library for the
// whole show. Skipped when the build made no data (the sanitizer build).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "demo/asset_catalogue.h"
#include "platform/bass/bass.h"
#include "platform/bass/bass_host.h"
#include "platform/d3dx8/d3dx8.h"
#include "platform/d3dx8/image_decode.h"
#include "support/headless_device.h"

namespace {

namespace fs = std::filesystem;

const fs::path kData = fs::path(VORNHOLD_BINARY_DIR) / "data";

struct Extracted {
  unsigned char* data = nullptr;
  unsigned int size = 0;
  int ok = 0;
  explicit Extracted(const std::string& name) {
    const std::string archive = (kData / "lab.ac").string();
    ok = ArchiveExtract(&data, &size, name.c_str(), archive.c_str(), "");
  }
  ~Extracted() { std::free(data); }
};

std::string FrameName(const char* pattern, int n) {
  char name[64];
  std::snprintf(name, sizeof name, pattern, n);
  return name;
}

class ShowData : public testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kData / "lab.ac")) GTEST_SKIP() << "no data in " << kData;
  }
};

TEST_F(ShowData, EveryTextureExtractsAndDecodesAtPowerOfTwoSizes) {
  testsupport::HeadlessDevice screen(64, 64);
  std::vector<std::string> names(g_textureEntries, g_textureEntries + g_textureCount);
  names.insert(names.end(), g_secretPictureEntries, g_secretPictureEntries + 2);
  for (const std::string& name : names) {
    Extracted e(name);
    ASSERT_EQ(e.ok, 1) << name;
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileInMemory(screen.get(), e.data, e.size, &texture), D3D_OK) << name;
    texture->Release();
    // The loader scales other sizes up, which blurs: pictures are made at powers of two, and
    // in the format their name says.
    d3dx::DecodedImage image;
    ASSERT_EQ(d3dx::DecodeImage(e.data, e.size, &image), D3D_OK) << name;
    EXPECT_EQ(image.width & (image.width - 1), 0) << name << " is " << image.width << " wide";
    EXPECT_EQ(image.height & (image.height - 1), 0) << name << " is " << image.height << " high";
    const std::string extension = name.substr(name.size() - 4);
    const d3dx::ImageFileType type = d3dx::DetectImageFileType(e.data, e.size);
    EXPECT_EQ(type, extension == ".bmp"   ? d3dx::ImageFileType::Bmp
                    : extension == ".tga" ? d3dx::ImageFileType::Tga
                                          : d3dx::ImageFileType::Jpeg)
        << name;
  }
}

TEST_F(ShowData, EveryMeshExtractsAndLoadsWithItsMaterials) {
  testsupport::HeadlessDevice screen(64, 64);
  std::vector<std::string> names(g_meshEntries, g_meshEntries + g_meshCount);
  names.insert(names.end(), g_roomMeshEntries, g_roomMeshEntries + g_roomMeshCount);
  for (const std::string& name : names) {
    Extracted e(name);
    ASSERT_EQ(e.ok, 1) << name;
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* materials = nullptr;
    DWORD materialCount = 0;
    ASSERT_EQ(D3DXLoadMeshFromXInMemory(e.data, e.size, D3DXMESH_SYSTEMMEM, screen.get(), nullptr, &materials,
                                        &materialCount, &mesh),
              D3D_OK)
        << name;
    EXPECT_GE(materialCount, 1u) << name;
    EXPECT_GT(mesh->GetNumFaces(), 0u) << name;
    if (materials) materials->Release();
    mesh->Release();
  }
}

TEST_F(ShowData, FramesAndMapsHaveTheirExactSizes) {
  const struct {
    const char* pattern;
    int count;
  } sets[] = {{g_video01Pattern, g_video01FrameCount},
              {g_video02Pattern, g_video02FrameCount},
              {g_video03Pattern, g_video03FrameCount}};
  for (const auto& set : sets)
    for (int n = 1; n <= set.count; ++n) {
      Extracted e(FrameName(set.pattern, n));
      ASSERT_EQ(e.ok, 1) << FrameName(set.pattern, n);
      EXPECT_EQ(e.size, unsigned(g_videoFrameBytes)) << FrameName(set.pattern, n);
    }
  Extracted map(g_txt2Entry), text(g_tekstiEntry);
  ASSERT_EQ(map.ok, 1);
  ASSERT_EQ(text.ok, 1);
  EXPECT_EQ(map.size, unsigned(g_txt2Bytes));
  EXPECT_EQ(text.size, unsigned(g_tekstiWidth * g_tekstiHeight));
}

TEST_F(ShowData, PartFilePlaysEveryPart) {
  std::ifstream in(kData / "part.txt");
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "part01\npart02\npart03\npart04\npart05\npart06\npart07\npart08\npart09\npart10\n");
}

// The sound library decodes the soundtrack past the start of the last part (136.4 s).
TEST_F(ShowData, SoundtrackPlaysBeyondTheLastPartsStart) {
  bass::UseSilentOutput();
  ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
  const std::string path = (kData / "lab.mp3").string();
  const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
  ASSERT_NE(stream, 0u);
  ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
  std::vector<std::int16_t> block(2 * 44100);
  std::size_t seconds = 0;
  while (bass::ReadDecodedSamples(block.data(), 44100) == 44100) ++seconds;
  EXPECT_GE(seconds, 150u);
  BASS_Free();
}

}  // namespace
