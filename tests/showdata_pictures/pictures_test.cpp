// The show's pictures: formats and sizes the scenes rely on, decoding through the show's own
// loader, alpha where pictures lie over a scene, pieces cut from one picture, seamless materials,
// the secret page and the scroller text, and the same bytes on every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string>

#include "demo/asset_catalogue.h"
#include "platform/d3dx8/d3dx8.h"
#include "platform/d3dx8/image_decode.h"
#include "support/headless_device.h"
#include "tools/showdata/pictures.h"

namespace {

using showdata::DataEntry;

const std::vector<DataEntry>& Textures() {
  static const std::vector<DataEntry> textures = showdata::MakeTextures();
  return textures;
}

d3dx::DecodedImage Decode(const DataEntry& entry) {
  d3dx::DecodedImage image;
  EXPECT_EQ(d3dx::DecodeImage(entry.bytes.data(), entry.bytes.size(), &image), D3D_OK) << entry.name;
  return image;
}

const std::map<int, d3dx::DecodedImage>& Decoded() {
  static const std::map<int, d3dx::DecodedImage> decoded = [] {
    std::map<int, d3dx::DecodedImage> m;
    for (int i = 0; i < g_textureCount; ++i) m[i] = Decode(Textures()[i]);
    return m;
  }();
  return decoded;
}

unsigned Alpha(std::uint32_t p) { return p >> 24; }
int Channel(std::uint32_t p, int shift) { return static_cast<int>((p >> shift) & 0xFF); }
int ColourDistance(std::uint32_t a, std::uint32_t b) {
  return std::abs(Channel(a, 16) - Channel(b, 16)) + std::abs(Channel(a, 8) - Channel(b, 8)) +
         std::abs(Channel(a, 0) - Channel(b, 0));
}
std::uint32_t At(const d3dx::DecodedImage& im, int x, int y) {
  return im.argb[static_cast<size_t>(y) * im.width + x];
}

// Mean colour step across a vertical line between column a of `left` and column b of `right`.
double ColumnStep(const d3dx::DecodedImage& left, int a, const d3dx::DecodedImage& right, int b) {
  double sum = 0;
  for (int y = 0; y < left.height; ++y) sum += ColourDistance(At(left, a, y), At(right, b, y));
  return sum / left.height;
}
double RowStep(const d3dx::DecodedImage& top, int a, const d3dx::DecodedImage& bottom, int b) {
  double sum = 0;
  for (int x = 0; x < top.width; ++x) sum += ColourDistance(At(top, x, a), At(bottom, x, b));
  return sum / top.width;
}
// The typical step between neighbouring columns (rows) inside one picture.
double InteriorColumnStep(const d3dx::DecodedImage& im) {
  double sum = 0;
  for (int x = 0; x + 1 < im.width; ++x) sum += ColumnStep(im, x, im, x + 1);
  return sum / (im.width - 1);
}
double InteriorRowStep(const d3dx::DecodedImage& im) {
  double sum = 0;
  for (int y = 0; y + 1 < im.height; ++y) sum += RowStep(im, y, im, y + 1);
  return sum / (im.height - 1);
}

bool IsBmp(const std::string& name) { return name.substr(name.size() - 4) == ".bmp"; }
bool PowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

// Pictures drawn over a scene with alpha blending.
const int kOverlays[] = {6, 9, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 35, 36, 37, 38, 39, 40, 41, 42,
                         43, 44, 45, 46, 47, 48, 49, 50, 51, 52};

void CheckEveryCatalogueTextureInOrderInTheFormatItsNameSays() {
  const auto& textures = Textures();
  ASSERT_EQ(textures.size(), static_cast<size_t>(g_textureCount));
  size_t total = 0;
  for (int i = 0; i < g_textureCount; ++i) {
    const DataEntry& e = textures[i];
    EXPECT_EQ(e.name, g_textureEntries[i]);
    total += e.bytes.size();
    const d3dx::DecodedImage& im = Decoded().at(i);
    EXPECT_TRUE(PowerOfTwo(im.width) && PowerOfTwo(im.height)) << e.name << " " << im.width << "x" << im.height;
    if (IsBmp(e.name)) {
      ASSERT_EQ(d3dx::DetectImageFileType(e.bytes.data(), e.bytes.size()), d3dx::ImageFileType::Bmp) << e.name;
      EXPECT_EQ(im.fileFormat, D3DFMT_R8G8B8) << e.name;
      std::int32_t height;
      std::memcpy(&height, e.bytes.data() + 22, 4);
      EXPECT_GT(height, 0) << e.name << " is stored bottom-up";
      EXPECT_EQ(e.bytes[30], 0) << e.name << " is uncompressed";
    } else {
      EXPECT_EQ(e.bytes[2], 2) << e.name << " is uncompressed true colour";
      const bool overlay = std::find(std::begin(kOverlays), std::end(kOverlays), i) != std::end(kOverlays);
      EXPECT_EQ(im.fileFormat, overlay ? D3DFMT_A8R8G8B8 : D3DFMT_R8G8B8) << e.name;
    }
  }
  EXPECT_LT(total, 10u * 1024 * 1024);
}

void CheckSizesFollowTheQuadsTheScenesDrawThemOn() {
  const std::map<int, std::pair<int, int>> sizes = {
      {0, {512, 256}},   {2, {512, 512}},   {3, {512, 256}},  {32, {128, 256}}, {33, {512, 32}},
      {34, {128, 32}},   {35, {512, 256}},  {36, {128, 256}}, {37, {512, 32}},  {38, {128, 32}},
      {39, {512, 256}},  {40, {128, 256}},  {41, {512, 32}},  {42, {128, 32}},  {19, {256, 64}},
      {20, {512, 64}},   {21, {256, 64}},   {22, {256, 256}}, {23, {256, 64}},  {24, {256, 64}},
      {25, {256, 64}},   {26, {128, 256}},  {27, {512, 256}}, {28, {512, 256}}, {29, {512, 256}},
      {30, {512, 256}},  {31, {32, 256}},   {43, {256, 256}}, {44, {128, 256}}, {45, {512, 256}},
      {46, {512, 128}},  {47, {256, 256}},  {48, {128, 256}}, {49, {128, 64}},  {50, {512, 64}},
      {51, {128, 64}},   {52, {512, 64}}};
  for (const auto& [index, size] : sizes) {
    const d3dx::DecodedImage& im = Decoded().at(index);
    EXPECT_EQ(im.width, size.first) << g_textureEntries[index];
    EXPECT_EQ(im.height, size.second) << g_textureEntries[index];
  }
}

void CheckOverlaysAreTransparentAroundVisibleLettering() {
  for (int index : kOverlays) {
    if (index == 6) continue;  // the dot, below
    const d3dx::DecodedImage& im = Decoded().at(index);
    double alphaSum = 0;
    size_t solid = 0;
    for (std::uint32_t p : im.argb) {
      alphaSum += Alpha(p) / 255.0;
      solid += Alpha(p) >= 250;
    }
    const double n = static_cast<double>(im.argb.size());
    EXPECT_LT(alphaSum / n, 0.5) << g_textureEntries[index] << " should leave most of the scene visible";
    // The lower strips and right columns of the four-piece pictures may hold only glow.
    const bool piece = (index >= 36 && index <= 38) || (index >= 40 && index <= 42);
    if (!piece) {
      EXPECT_GT(solid / n, 0.005) << g_textureEntries[index] << " should show something solid";
    }
  }
}

void CheckBarsDotsAndGlows() {
  // The bars and fades: one dark, opaque colour everywhere.
  const d3dx::DecodedImage& bars = Decoded().at(1);
  for (std::uint32_t p : bars.argb) {
    EXPECT_EQ(p, bars.argb[0]);
  }
  EXPECT_LT(Channel(bars.argb[0], 16) + Channel(bars.argb[0], 8) + Channel(bars.argb[0], 0), 0x60);
  // The dot: white, opaque in the middle, clear in the corners.
  const d3dx::DecodedImage& dot = Decoded().at(6);
  EXPECT_EQ(At(dot, dot.width / 2, dot.height / 2), 0xFFFFFFFFu);
  EXPECT_EQ(Alpha(At(dot, 0, 0)), 0u);
  for (std::uint32_t p : dot.argb) {
    if (Alpha(p) > 0) {
      EXPECT_EQ(p & 0xFFFFFF, 0xFFFFFFu);
    }
  }
  // Additive glows give no light at their edges. The flare and the starburst, drawn once, are
  // bright in the middle; the ring, drawn ten times over itself, is dark in the middle and faint
  // everywhere, so that two copies crossing stay short of white.
  for (int index : {4, 8, 18}) {
    const d3dx::DecodedImage& im = Decoded().at(index);
    for (int x = 0; x < im.width; ++x) {
      EXPECT_EQ(At(im, x, 0) & 0xFFFFFF, 0u) << g_textureEntries[index];
      EXPECT_EQ(At(im, x, im.height - 1) & 0xFFFFFF, 0u) << g_textureEntries[index];
    }
    int brightest = 0, brightestChannel = 0;
    for (std::uint32_t p : im.argb) {
      brightest = std::max(brightest, Channel(p, 16) + Channel(p, 8) + Channel(p, 0));
      brightestChannel = std::max({brightestChannel, Channel(p, 16), Channel(p, 8), Channel(p, 0)});
    }
    const std::uint32_t middle = At(im, im.width / 2, im.height / 2);
    if (index == 8) {
      EXPECT_EQ(middle & 0xFFFFFF, 0u) << g_textureEntries[index];
      EXPECT_GT(brightest, 100) << g_textureEntries[index];
      EXPECT_LT(brightestChannel, 128) << g_textureEntries[index];
    } else {
      EXPECT_GT(brightest, 400) << g_textureEntries[index];
      EXPECT_GT(Channel(middle, 16) + Channel(middle, 8) + Channel(middle, 0), 300) << g_textureEntries[index];
    }
  }
}

void CheckFourPiecePicturesJoinWithoutSeams() {
  // Pieces 0 | 1 over 2 | 3, cut from one 640 x 288 picture: across each cut the colour steps no
  // more than between neighbouring columns or rows inside the pieces.
  for (int first : {3, 35, 39}) {
    const int p0 = first, p1 = first == 3 ? 32 : first + 1, p2 = first == 3 ? 33 : first + 2, p3 = first == 3 ? 34 : first + 3;
    const auto& d = Decoded();
    const double inside = std::max(InteriorColumnStep(d.at(p0)), InteriorRowStep(d.at(p0)));
    EXPECT_LE(ColumnStep(d.at(p0), 511, d.at(p1), 0), 2 * inside + 1) << g_textureEntries[first];
    EXPECT_LE(ColumnStep(d.at(p2), 511, d.at(p3), 0), 2 * inside + 1) << g_textureEntries[first];
    EXPECT_LE(RowStep(d.at(p0), 255, d.at(p2), 0), 2 * inside + 1) << g_textureEntries[first];
    EXPECT_LE(RowStep(d.at(p1), 255, d.at(p3), 0), 2 * inside + 1) << g_textureEntries[first];
  }
}

void CheckMaterialsTileWithoutSeams() {
  for (int index : {5, 7, 11, 12, 13, 14, 15, 16, 17, 53, 54, 55, 56, 57, 58, 59, 60}) {
    const d3dx::DecodedImage& im = Decoded().at(index);
    const double columns = InteriorColumnStep(im), rows = InteriorRowStep(im);
    EXPECT_LE(ColumnStep(im, im.width - 1, im, 0), 3 * columns + 2) << g_textureEntries[index];
    EXPECT_LE(RowStep(im, im.height - 1, im, 0), 3 * rows + 2) << g_textureEntries[index];
    // Not a flat colour either.
    EXPECT_GT(columns + rows, 1.0) << g_textureEntries[index];
  }
}

// The checks of the generated set run in a few groups: each test program makes the set once.
TEST(ShowPictures, CatalogueFormatsAndSizesTheSameOnEveryRun) {
  CheckEveryCatalogueTextureInOrderInTheFormatItsNameSays();
  CheckSizesFollowTheQuadsTheScenesDrawThemOn();
  const std::vector<DataEntry> again = showdata::MakeTextures();
  ASSERT_EQ(again.size(), Textures().size());
  for (size_t i = 0; i < again.size(); ++i) EXPECT_EQ(again[i].bytes, Textures()[i].bytes) << again[i].name;
}

TEST(ShowPictures, AlphaAndLightWhereTheScenesBlend) {
  CheckOverlaysAreTransparentAroundVisibleLettering();
  CheckBarsDotsAndGlows();
}

TEST(ShowPictures, PiecesAndMaterialsJoinWithoutSeams) {
  CheckFourPiecePicturesJoinWithoutSeams();
  CheckMaterialsTileWithoutSeams();
}

TEST(ShowPictures, EveryPictureLoadsAsATextureOnTheSoftwareDevice) {
  testsupport::HeadlessDevice device(64, 64);
  ASSERT_NE(device.get(), nullptr);
  std::vector<DataEntry> all = Textures();
  for (DataEntry& e : showdata::MakeSecretPictures()) all.push_back(std::move(e));
  for (const DataEntry& e : all) {
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileInMemory(device.get(), e.bytes.data(), static_cast<UINT>(e.bytes.size()), &texture),
              D3D_OK)
        << e.name;
    const d3dx::DecodedImage im = Decode(e);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(static_cast<int>(desc.Width), im.width) << e.name << " would be rescaled";
    EXPECT_EQ(static_cast<int>(desc.Height), im.height) << e.name << " would be rescaled";
    EXPECT_EQ(desc.Format, im.hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8) << e.name;
    texture->Release();
  }
}

TEST(ShowPictures, SecretPageIsTwoBaselineJpegsOfOnePicture) {
  const std::vector<DataEntry> pictures = showdata::MakeSecretPictures();
  ASSERT_EQ(pictures.size(), 2u);
  EXPECT_EQ(pictures[0].name, g_secretPictureEntries[0]);
  EXPECT_EQ(pictures[1].name, g_secretPictureEntries[1]);
  for (const DataEntry& e : pictures) {
    ASSERT_GE(e.bytes.size(), 4u);
    EXPECT_EQ(e.bytes[0], 0xFF);
    EXPECT_EQ(e.bytes[1], 0xD8);
    bool baseline = false, progressive = false;
    for (size_t i = 0; i + 1 < e.bytes.size(); ++i) {
      if (e.bytes[i] != 0xFF) continue;
      baseline = baseline || e.bytes[i + 1] == 0xC0;
      progressive = progressive || e.bytes[i + 1] == 0xC2;
      if (e.bytes[i + 1] == 0xDA) break;  // scan data follows
    }
    EXPECT_TRUE(baseline && !progressive) << e.name;
  }
  const d3dx::DecodedImage left = Decode(pictures[0]), right = Decode(pictures[1]);
  EXPECT_EQ(left.width, 512);
  EXPECT_EQ(left.height, 512);
  EXPECT_EQ(right.width, 128);
  EXPECT_EQ(right.height, 512);
  // JPEG blocks blur a little, hence the larger allowance.
  EXPECT_LE(ColumnStep(left, 511, right, 0), 3 * InteriorColumnStep(left) + 6);
  EXPECT_EQ(pictures[0].bytes, showdata::MakeSecretPictures()[0].bytes);
}

TEST(ShowPictures, ScrollerTextFitsTheStripWithEmptyEnds) {
  const DataEntry text = showdata::MakeScrollerText();
  EXPECT_EQ(text.name, g_tekstiEntry);
  ASSERT_EQ(text.bytes.size(), static_cast<size_t>(g_tekstiWidth * g_tekstiHeight));
  auto at = [&](int x, int y) { return text.bytes[static_cast<size_t>(y) * g_tekstiWidth + x]; };
  int inkColumns = 0, brightest = 0;
  for (int x = 0; x < g_tekstiWidth; ++x) {
    bool ink = false;
    for (int y = 0; y < g_tekstiHeight; ++y) {
      ink = ink || at(x, y) != 0;
      brightest = std::max<int>(brightest, at(x, y));
    }
    inkColumns += ink;
    // Positions before the start and past the end repeat the first and last column.
    if (x == 0 || x == g_tekstiWidth - 1) {
      EXPECT_FALSE(ink) << "column " << x;
    }
  }
  EXPECT_GT(inkColumns, g_tekstiWidth / 2) << "the message fills most of the strip";
  EXPECT_EQ(brightest, 255);
  // Letters are tall: some column has ink over at least 20 of the 35 rows.
  int tallest = 0;
  for (int x = 0; x < g_tekstiWidth; ++x) {
    int top = g_tekstiHeight, bottom = -1;
    for (int y = 0; y < g_tekstiHeight; ++y) {
      if (at(x, y)) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
    tallest = std::max(tallest, bottom - top + 1);
  }
  EXPECT_GE(tallest, 20);
  EXPECT_EQ(text.bytes, showdata::MakeScrollerText().bytes);
}

}  // namespace
