#include "tools/showdata/contact_sheet.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

using showdata::DataEntry;

// Sheet geometry the tests rely on: 8 cells of 160 pixels a row, 10-pixel gaps, 20-pixel labels;
// a texture w x h with w >= 2h takes min(w / h, 4) cells.
constexpr int kCell = 160;
constexpr int kGap = 10;
constexpr int kLabel = 20;
constexpr int kColumns = 8;
int CellX(int i) { return kGap + (i % kColumns) * (kCell + kGap); }
int CellY(int i) { return kGap + (i / kColumns) * (kCell + kLabel + kGap); }

void Put16(std::vector<std::uint8_t>& b, unsigned v) {
  b.push_back(v & 0xff);
  b.push_back((v >> 8) & 0xff);
}
void Put32(std::vector<std::uint8_t>& b, unsigned v) {
  Put16(b, v & 0xffff);
  Put16(b, v >> 16);
}

// A 24-bit BMP, width x height, of one colour (r, g, b).
std::vector<std::uint8_t> SolidBmp(int width, int height, int r, int g, int b) {
  const int rowBytes = (width * 3 + 3) & ~3;
  std::vector<std::uint8_t> f = {'B', 'M'};
  Put32(f, 54 + rowBytes * height);
  Put32(f, 0);
  Put32(f, 54);
  Put32(f, 40);
  Put32(f, width);
  Put32(f, height);
  Put16(f, 1);
  Put16(f, 24);
  for (int i = 0; i < 6; ++i) Put32(f, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) f.insert(f.end(), {std::uint8_t(b), std::uint8_t(g), std::uint8_t(r)});
    f.resize(f.size() + (rowBytes - width * 3), 0);
  }
  return f;
}

// A 32-bit uncompressed TGA, 16 x 16, top half opaque blue, bottom half fully transparent.
std::vector<std::uint8_t> HalfClearTga() {
  std::vector<std::uint8_t> f(18, 0);
  f[2] = 2;
  f[12] = 16;
  f[14] = 16;
  f[16] = 32;
  f[17] = 0x28;  // 8 alpha bits, top row first
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) f.insert(f.end(), {0xff, 0x20, 0x10, std::uint8_t(y < 8 ? 0xff : 0x00)});
  return f;
}

std::vector<std::uint8_t> Bytes(const char* text) { return std::vector<std::uint8_t>(text, text + std::strlen(text)); }

// A red unit cube with normals, away from the origin so that the framing has to find it.
const char kCube[] = R"(xof 0303txt 0032
Mesh {
  8;
  4;4;4;, 6;4;4;, 6;6;4;, 4;6;4;, 4;4;6;, 6;4;6;, 6;6;6;, 4;6;6;;
  6;
  4; 0,3,2,1;, 4; 4,5,6,7;, 4; 0,1,5,4;, 4; 2,3,7,6;, 4; 1,2,6,5;, 4; 0,4,7,3;;
  MeshNormals {
    6; 0;0;-1;, 0;0;1;, 0;-1;0;, 0;1;0;, 1;0;0;, -1;0;0;;
    6; 4; 0,0,0,0;, 4; 1,1,1,1;, 4; 2,2,2,2;, 4; 3,3,3,3;, 4; 4,4,4,4;, 4; 5,5,5,5;;
  }
  MeshMaterialList {
    1; 6; 0,0,0,0,0,0;;
    Material { 0.9; 0.15; 0.1; 1.0;; 10.0; 0.0; 0.0; 0.0;; 0.0; 0.0; 0.0;; }
  }
}
)";

struct Png {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
  std::uint32_t At(int x, int y) const {
    const std::uint8_t* p = &rgb[(std::size_t(y) * width + x) * 3];
    return (p[0] << 16) | (p[1] << 8) | p[2];
  }
};

Png ReadPng(const std::string& path) {
  png_image image = {};
  image.version = PNG_IMAGE_VERSION;
  Png out;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return out;
  image.format = PNG_FORMAT_RGB;
  out.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr)) return {};
  out.width = int(image.width);
  out.height = int(image.height);
  return out;
}

std::string TempPath(const char* name) {
  return std::string(::testing::TempDir()) + "sheet_" + std::to_string(getpid()) + "_" + name + ".png";
}

int Red(std::uint32_t c) { return (c >> 16) & 0xff; }
int Green(std::uint32_t c) { return (c >> 8) & 0xff; }
int Blue(std::uint32_t c) { return c & 0xff; }

const std::vector<DataEntry> kTextures = {
    {"data\\graphics\\solid.bmp", SolidBmp(8, 4, 0xe0, 0x90, 0x20)},  // two cells
    {"data\\graphics\\half.tga", HalfClearTga()},                     // one
    {"data\\graphics\\band.bmp", SolidBmp(64, 8, 0x20, 0xc0, 0x60)},   // four: fits the row
    {"data\\graphics\\band2.bmp", SolidBmp(80, 8, 0x60, 0x20, 0xc0)},  // four: starts a new row
};
const std::vector<DataEntry> kMeshes = {{"data\\meshes\\cube.x", Bytes(kCube)}};

TEST(ContactSheet, ShowsEveryTextureAndMeshInItsCell) {
  const std::string path = TempPath("cells");
  std::string error;
  ASSERT_TRUE(showdata::WriteContactSheet(kTextures, kMeshes, path, &error)) << error;
  const Png sheet = ReadPng(path);
  std::remove(path.c_str());
  // Two rows of textures, then the mesh starts the third.
  ASSERT_EQ(sheet.width, kGap + kColumns * (kCell + kGap));
  ASSERT_EQ(sheet.height, kGap + 3 * (kCell + kLabel + kGap));
  const std::uint32_t background = sheet.At(1, 1);

  // The 8 x 4 BMP becomes an 8 x 4 texture over cells 0 and 1 (330 x 160), fitted 320 x 160.
  EXPECT_EQ(sheet.At(CellX(0) + 6, CellY(0) + 1), 0xe09020u);
  EXPECT_EQ(sheet.At(CellX(1) + 150, CellY(0) + 158), 0xe09020u);
  EXPECT_EQ(sheet.At(CellX(0) + 3, CellY(0) + 80), background);

  // The TGA keeps its alpha: blue on top, the checkerboard's two greys below.
  EXPECT_EQ(sheet.At(CellX(2) + 40, CellY(2) + 40), 0x1020ffu);
  const std::uint32_t check1 = sheet.At(CellX(2) + 4, CellY(2) + 124);
  const std::uint32_t check2 = sheet.At(CellX(2) + 12, CellY(2) + 124);
  EXPECT_NE(check1, check2);
  EXPECT_EQ(Red(check1), Blue(check1));
  EXPECT_EQ(Red(check2), Blue(check2));

  // 64 x 8 takes cells 3..6 (the texture stays 64 x 8: fitted 680 x 85); 80 x 8 (stored 128 x 8)
  // no longer fits and fills cells 0..3 of the second row.
  EXPECT_EQ(sheet.At(CellX(3) + 2, CellY(3) + 80), 0x20c060u);
  EXPECT_EQ(sheet.At(CellX(6) + 150, CellY(6) + 80), 0x20c060u);
  EXPECT_EQ(sheet.At(CellX(3) + 2, CellY(3) + 20), background);
  EXPECT_EQ(sheet.At(CellX(7) + 80, CellY(7) + 80), background);
  EXPECT_EQ(sheet.At(CellX(8) + 2, CellY(8) + 80), 0x6020c0u);
  EXPECT_EQ(sheet.At(CellX(11) + 150, CellY(11) + 80), 0x6020c0u);

  // The cube fills the middle of its cell, lit red: its faces differ in brightness, and the
  // corners of the cell show the render's background.
  const int mx = CellX(16), my = CellY(16);
  const std::uint32_t corner = sheet.At(mx + 1, my + 1);
  EXPECT_NE(corner, background);
  EXPECT_EQ(sheet.At(mx + kCell - 2, my + kCell - 2), corner);
  std::vector<std::uint32_t> faceColours;
  int covered = 0;
  for (int y = 0; y < kCell; y += 4) {
    for (int x = 0; x < kCell; x += 4) {
      const std::uint32_t c = sheet.At(mx + x, my + y);
      if (c == corner) continue;
      ++covered;
      EXPECT_GT(Red(c), 2 * Green(c)) << x << "," << y;
      if (std::find(faceColours.begin(), faceColours.end(), c) == faceColours.end()) faceColours.push_back(c);
    }
  }
  EXPECT_GT(covered, 40 * 40 / 4);  // well over a quarter of the samples
  EXPECT_GE(faceColours.size(), 3u);

  // Labels under the filled cells, none under the empty ones.
  auto labelInk = [&](int first, int cells) {
    int ink = 0;
    for (int y = CellY(first) + kCell; y < CellY(first) + kCell + kLabel; ++y)
      for (int x = CellX(first); x < CellX(first + cells - 1) + kCell; ++x) ink += sheet.At(x, y) != background;
    return ink;
  };
  EXPECT_GT(labelInk(0, 2), 40);
  EXPECT_GT(labelInk(2, 1), 40);
  EXPECT_GT(labelInk(3, 4), 40);
  EXPECT_GT(labelInk(8, 4), 40);
  EXPECT_GT(labelInk(16, 1), 40);
  EXPECT_EQ(labelInk(7, 1), 0);
  EXPECT_EQ(labelInk(12, 4), 0);
  EXPECT_EQ(labelInk(17, 7), 0);
  EXPECT_GT(labelInk(0, 2), labelInk(2, 1));  // "solid.bmp" is longer than "half.tga"
}

TEST(ContactSheet, SameFileOnEveryRun) {
  const std::string a = TempPath("a"), b = TempPath("b");
  std::string error;
  ASSERT_TRUE(showdata::WriteContactSheet(kTextures, kMeshes, a, &error)) << error;
  ASSERT_TRUE(showdata::WriteContactSheet(kTextures, kMeshes, b, &error)) << error;
  std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
  const std::string da((std::istreambuf_iterator<char>(fa)), {}), db((std::istreambuf_iterator<char>(fb)), {});
  EXPECT_FALSE(da.empty());
  EXPECT_EQ(da, db);
  std::remove(a.c_str());
  std::remove(b.c_str());
}

// Bad input is named in one line and leaves no file behind.
TEST(ContactSheet, RefusesWhatItCannotShow) {
  const std::string path = TempPath("bad");
  std::string error;
  std::vector<DataEntry> textures = kTextures;
  textures.push_back({"data\\graphics\\broken.tga", {1, 2, 3, 4}});
  EXPECT_FALSE(showdata::WriteContactSheet(textures, kMeshes, path, &error));
  EXPECT_NE(error.find("broken.tga"), std::string::npos) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos);

  error.clear();
  EXPECT_FALSE(showdata::WriteContactSheet(kTextures, {{"data\\meshes\\cut.x", Bytes("xof 0303txt 0032\nMesh {\n 3;")}},
                                           path, &error));
  EXPECT_NE(error.find("cut.x"), std::string::npos) << error;
  EXPECT_FALSE(std::ifstream(path).good());

  error.clear();
  EXPECT_FALSE(showdata::WriteContactSheet({}, {}, path, &error));
  EXPECT_FALSE(error.empty());

  error.clear();
  EXPECT_FALSE(showdata::WriteContactSheet(kTextures, kMeshes, "/nonexistent-folder/sheet.png", &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
