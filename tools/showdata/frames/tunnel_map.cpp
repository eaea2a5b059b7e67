// The tunnel's map: a grid of glowing rings (across u, the depth into the tunnel) and ribs (across
// v, the way round), four of each per tile, over cells that alternate between a dim floor and a
// soft diamond. Every pattern repeats a whole number of times in 256, so the map tiles seamlessly.
//
// The tunnel samples u every 8 units along a row of dots, so rings are wide enough (a Gaussian of
// 5 units) that every ring lights at least one dot; the grid stays below full brightness so that
// the scrolling text written over it (full opacity) reads clearly.
#include <algorithm>
#include <cmath>

#include "tools/showdata/frames/motifs.h"

namespace showdata {
namespace {

constexpr int kSize = 256;
constexpr int kCell = 64;  // map units between rings and between ribs

// Distance from a to the nearest multiple of kCell, in map units (0..kCell / 2).
float ToGridLine(int a) {
  const int m = ((a % kCell) + kCell) % kCell;
  return static_cast<float>(std::min(m, kCell - m));
}

}  // namespace

std::vector<std::uint8_t> TunnelMapBytes() {
  std::vector<std::uint8_t> map(kSize * kSize);
  for (int v = 0; v < kSize; ++v) {
    for (int u = 0; u < kSize; ++u) {
      const float du = ToGridLine(u);
      const float dv = ToGridLine(v);
      const float ring = std::exp(-(du / 5.0f) * (du / 5.0f));
      const float rib = std::exp(-(dv / 3.5f) * (dv / 3.5f));
      // Every other ring a little brighter, so the motion into the tunnel has a beat.
      // (Taken from the nearest ring, so that both sides of a ring match.)
      const int nearestRing = ((u + kCell / 2) / kCell) % (kSize / kCell);
      const float ringLevel = nearestRing % 2 == 0 ? 0.78f : 0.6f;
      float value = std::max(ringLevel * ring, 0.55f * rib);

      // Cells: du + dv is kCell at a cell's centre and 0 at its corners.
      const bool lit = ((u / kCell) + (v / kCell)) % 2 == 0;
      const float centreness = (du + dv) / static_cast<float>(kCell);
      const float diamond = std::clamp((centreness - 0.7f) / 0.2f, 0.0f, 1.0f);
      value = std::max(value, lit ? 0.1f + 0.25f * diamond : 0.04f);
      map[static_cast<std::size_t>(v) * kSize + u] = static_cast<std::uint8_t>(std::lround(value * 255.0f));
    }
  }
  return map;
}

}  // namespace showdata
