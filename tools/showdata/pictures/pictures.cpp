// The catalogue's pictures in catalogue order: which drawing each entry holds, at which size and
// in which file format. Sizes follow the quads the scenes draw them on (powers of two of the
// quad's aspect); pictures drawn over a scene carry alpha, opaque ones and glows do not.
#include "tools/showdata/pictures.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "demo/asset_catalogue.h"
#include "tools/showdata/pictures/art.h"
#include "tools/showdata/pictures/image_files.h"
#include "tools/showdata/pictures/text.h"

namespace showdata {
namespace {

using pictures::Canvas;

enum class Store { Bmp, Tga24, Tga32 };

std::vector<std::uint8_t> Encode(const Canvas& canvas, Store store) {
  switch (store) {
    case Store::Bmp: return pictures::EncodeBmp24(canvas);
    case Store::Tga24: return pictures::EncodeTga(canvas, false);
    case Store::Tga32: return pictures::EncodeTga(canvas, true);
  }
  return {};
}

// The format a catalogue name asks for: BMP, or TGA with or without alpha as the picture needs.
Store StoreFor(int index, bool alpha) {
  const std::string name = g_textureEntries[index];
  if (name.size() >= 4 && name.compare(name.size() - 4, 4, ".bmp") == 0) return Store::Bmp;
  return alpha ? Store::Tga32 : Store::Tga24;
}

}  // namespace

std::vector<DataEntry> MakeTextures() {
  using namespace pictures;
  std::vector<Canvas> canvases;
  std::vector<bool> alpha;
  canvases.reserve(g_textureCount);
  auto add = [&](int index, Canvas canvas, bool withAlpha) {
    if (static_cast<int>(canvases.size()) != index) {
      throw std::logic_error("picture table out of catalogue order at " + std::to_string(index));
    }
    canvases.push_back(std::move(canvas));
    alpha.push_back(withAlpha);
  };
  const std::array<Canvas, 4> nodeLab = CutFourPieces(NodeLabBackdrop());
  const std::array<Canvas, 4> opening = CutFourPieces(OpeningFlash());
  const std::array<Canvas, 4> title = CutFourPieces(ShowTitle());
  const char* const slowLight[3] = {"slow", "light", "rising"};

  add(0, LoadingPicture(), false);
  add(1, SolidNight(8), false);
  add(2, NightSky(640, 480).Resized(512, 512), false);
  add(3, nodeLab[0], false);
  add(4, FlareGlow(128), false);
  add(5, CellPattern(128), false);
  add(6, SoftDot(16), true);
  add(7, JellyMaterial(128), false);
  add(8, RingGlow(128), false);
  add(9, RespectList(), true);
  add(10, InfoPage().Resized(128, 128), false);
  add(11, GratingMaterial(256), false);
  add(12, FloorTileMaterial(256), false);
  add(13, WallPanelMaterial(256), false);
  add(14, DarkHexMaterial(128), false);
  add(15, DarkMetalMaterial(128), false);
  add(16, MetalMaterial(256), false);
  add(17, SteelPlateMaterial(128), false);
  add(18, StarburstGlow(128), false);
  add(19, NamePlate(256, 64, 0), true);
  add(20, NamePlate(512, 64, 1), true);
  add(21, NamePlate(256, 64, 2), true);
  add(22, NamePlate(256, 256, 3), true);
  add(23, RoleCaption(0), true);
  add(24, RoleCaption(1), true);
  add(25, RoleCaption(2), true);
  add(26, VerticalWord("SINK", 128, 256), true);
  for (int i = 0; i < 4; ++i) add(27 + i, FlashWord(i), true);
  add(31, VerticalLine(), true);
  for (int i = 0; i < 3; ++i) add(32 + i, nodeLab[1 + i], false);
  for (int i = 0; i < 4; ++i) add(35 + i, opening[i], true);
  for (int i = 0; i < 4; ++i) add(39 + i, title[i], true);
  add(43, RippleEmblem(), true);
  add(44, VerticalWord("WAVE", 128, 256), true);
  add(45, RippleCount(), true);
  add(46, HallBanner(), true);
  add(47, StackedWords(slowLight, 3, 256, 256), true);
  add(48, VerticalWord("GLOW", 128, 256), true);
  add(49, ClosingWord(0, 128, 64), true);
  add(50, ClosingWord(1, 512, 64), true);
  add(51, ClosingWord(2, 128, 64), true);
  add(52, EscapeNote(), true);
  add(53, WallpaperMaterial(128), false);
  add(54, PlankMaterial(256), false);
  add(55, PlasterMaterial(128), false);
  add(56, FabricMaterial(128), false);
  add(57, WoodMaterial(128, false), false);
  add(58, WoodMaterial(128, true), false);
  add(59, BrushedMaterial(128), false);
  add(60, PotteryMaterial(128), false);
  add(61, BookCoverMaterial(128, true), false);
  add(62, BookCoverMaterial(128, false), false);
  add(63, PosterPrint(128, 128, 0), false);
  add(64, PosterPrint(128, 128, 1), false);
  add(65, RecordCover(128), false);
  for (int i = 0; i < 4; ++i) add(66 + i, MagazineCover(128, 128, i), false);

  std::vector<DataEntry> out;
  out.reserve(g_textureCount);
  for (int i = 0; i < g_textureCount; ++i) {
    out.push_back(DataEntry{g_textureEntries[i], Encode(canvases[i], StoreFor(i, alpha[i]))});
  }
  return out;
}

std::vector<DataEntry> MakeSecretPictures() {
  const Canvas page = pictures::SecretPage();
  return {DataEntry{g_secretPictureEntries[0], pictures::EncodeJpeg(page.Crop(0, 0, 512, 512), 90)},
          DataEntry{g_secretPictureEntries[1], pictures::EncodeJpeg(page.Crop(512, 0, 128, 512), 90)}};
}

DataEntry MakeScrollerText() {
  // Capitals only (no descenders) so the letters can fill the 35 rows; column 0 and the last
  // column stay empty, because the scroller repeats them for positions beyond either end.
  constexpr int kMargin = 4;
  const pictures::TextMask text = pictures::FitText(pictures::Font::CondensedBold, "HELLO FROM VORNHOLD",
                                                    g_tekstiWidth - 2 * kMargin, g_tekstiHeight - 4, 400, 0.03f);
  DataEntry entry{g_tekstiEntry, std::vector<std::uint8_t>(static_cast<size_t>(g_tekstiWidth) * g_tekstiHeight, 0)};
  const int left = (g_tekstiWidth - text.width) / 2, top = (g_tekstiHeight - text.height) / 2;
  for (int y = 0; y < text.height; ++y) {
    for (int x = 0; x < text.width; ++x) {
      const long level = std::lround(text.at(x, y) * 255.0f);
      entry.bytes[static_cast<size_t>(top + y) * g_tekstiWidth + left + x] = static_cast<std::uint8_t>(level);
    }
  }
  return entry;
}

}  // namespace showdata
