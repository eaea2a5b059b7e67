// The show's pictures: every texture of the catalogue, the secret page's two JPEG pictures and the
// scroller text bitmap. One visual style; text set with a real font.
#pragma once

#include <vector>

#include "tools/showdata/data_entry.h"

namespace showdata {

// The 70 textures, in catalogue order (BMP or TGA as each name says).
std::vector<DataEntry> MakeTextures();

// "data\graphics\sp01.jpg" (512 x 512) and "data\graphics\sp02.jpg" (128 x 512).
std::vector<DataEntry> MakeSecretPictures();

// "data\graphics\teksti.raw": 400 x 35 bytes of scroller text, 0 transparent.
DataEntry MakeScrollerText();

}  // namespace showdata
