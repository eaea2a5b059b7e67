// The animations behind the three video-frame sets and the tunnel map. Each frame function draws
// frame `frame` of a loop `period` frames long: the motion is periodic in frame / period, so frame
// `period` would equal frame 0 and the last frame of a set flows into its first.
#pragma once

#include <cstdint>
#include <vector>

namespace showdata {

// 80 x 35 bytes, rows from the top.
std::vector<std::uint8_t> DancersFrame(int frame, int period);    // two dancers facing each other
std::vector<std::uint8_t> WireSolidFrame(int frame, int period);  // a turning wireframe icosahedron
std::vector<std::uint8_t> MetaballsFrame(int frame, int period);  // merging blobs with contour lines

// 256 x 256 bytes, index v * 256 + u: u runs into the tunnel, v around it (256 = one turn).
std::vector<std::uint8_t> TunnelMapBytes();

constexpr float kTwoPi = 6.28318530717958647692f;

}  // namespace showdata
