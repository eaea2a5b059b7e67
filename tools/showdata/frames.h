// The dot-matrix material: 80 x 35 video frames and the tunnel's 256 x 256 map.
#pragma once

#include <vector>

#include "tools/showdata/data_entry.h"

namespace showdata {

// Every frame of the three sets: vid001..vid120, omol01..omol86, omol001..omol181, in that order.
std::vector<DataEntry> MakeVideoFrames();

// "data\graphics\txt2.raw": 65536 bytes, a map that tiles in both directions.
DataEntry MakeTunnelMap();

}  // namespace showdata
