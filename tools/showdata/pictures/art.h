// The pictures one by one, as canvases (the module's own interface between drawing and files).
// Materials tile seamlessly; glows are black where they give no light; titles are transparent
// around their lettering.
#pragma once

#include <array>

#include "tools/showdata/pictures/canvas.h"

namespace pictures {

// Materials (opaque, tile in both directions), side in pixels.
Canvas GratingMaterial(int side);      // corridor
Canvas FloorTileMaterial(int side);    // chamber floor
Canvas WallPanelMaterial(int side);    // chamber walls
Canvas DarkHexMaterial(int side);      // chamber roof
Canvas DarkMetalMaterial(int side);    // tube, spikes
Canvas MetalMaterial(int side);        // cores
Canvas SteelPlateMaterial(int side);   // the hall
Canvas WallpaperMaterial(int side);
Canvas PlankMaterial(int side);
Canvas PlasterMaterial(int side);
Canvas FabricMaterial(int side);
Canvas WoodMaterial(int side, bool dark);
Canvas BrushedMaterial(int side);
Canvas PotteryMaterial(int side);
Canvas BookCoverMaterial(int side, bool dark);

// Light for additive drawing (black where it gives none).
Canvas FlareGlow(int side);
Canvas RingGlow(int side);
Canvas StarburstGlow(int side);
Canvas CellPattern(int side);     // tiling light pattern for the echo trail
Canvas JellyMaterial(int side);   // the jellyfish and the lava lamp

// Flat pieces.
Canvas SolidNight(int side);
Canvas SoftDot(int side);
Canvas NightSky(int width, int height);     // the full-screen backdrop, drawn at 640 x 480 units
Canvas NodeLabBackdrop();                   // 640 x 288
Canvas LoadingPicture();                    // 512 x 256

// Room prints.
Canvas PosterPrint(int width, int height, int which);
Canvas RecordCover(int side);
Canvas MagazineCover(int width, int height, int which);

// Lettering over the scenes (transparent background).
Canvas OpeningFlash();   // 640 x 288
Canvas ShowTitle();      // 640 x 288
Canvas FlashWord(int which);  // 512 x 256 pictures of the scenes: 0 knot, 1 ring, 2 stack, 3 signal
Canvas NamePlate(int width, int height, int member);
Canvas RoleCaption(int role);  // 256 x 64
Canvas RippleEmblem();          // 256 x 256
Canvas VerticalWord(const char* word, int width, int height);
Canvas RippleCount();           // 512 x 256
Canvas HallBanner();            // 512 x 128, shown 640 x 128
Canvas StackedWords(const char* const* words, int count, int width, int height);
Canvas ClosingWord(int which, int width, int height);  // 0 "this was", 1 the title, 2 "by vornhold"
Canvas EscapeNote();            // 512 x 64
Canvas RespectList();           // 256 x 128
Canvas InfoPage();              // 256 x 256
Canvas VerticalLine();          // 32 x 256

// The hidden page, 640 x 512.
Canvas SecretPage();

// The four pieces of a 640 x 288 picture: 512x256, 128x256, 512x32, 128x32.
std::array<Canvas, 4> CutFourPieces(const Canvas& whole);

}  // namespace pictures
