// Five blobs on closed Lissajous paths that merge and part, drawn as a bright rim where the summed
// field crosses 1, a dim filled inside and two fainter contour lines outside, like a height map.
#include <algorithm>
#include <array>
#include <cmath>

#include "tools/showdata/frames/dot_canvas.h"
#include "tools/showdata/frames/motifs.h"

namespace showdata {
namespace {

constexpr int kWidth = 80;
constexpr int kHeight = 35;

struct Blob {
  float radius;            // pixels: the field of the blob alone is 1 at this distance
  float ampX, ampY;        // pixels
  int freqX, freqY;        // whole turns per loop, so that every path closes
  float phaseX, phaseY;    // radians
};

constexpr std::array<Blob, 5> kBlobs = {{
    {6.0f, 31.0f, 8.0f, 1, 2, 0.0f, 0.5f},
    {5.5f, 26.0f, 10.0f, 2, 1, 1.9f, 0.0f},
    {5.0f, 33.0f, 8.0f, 1, 3, 3.6f, 2.2f},
    {4.5f, 20.0f, 10.0f, 3, 2, 0.7f, 4.1f},
    {5.5f, 12.0f, 6.0f, 2, 1, 4.9f, 1.3f},
}};

float Field(float x, float y, const std::array<Point2, 5>& centres) {
  float f = 0;
  for (std::size_t i = 0; i < kBlobs.size(); ++i) {
    const float dx = x - centres[i].x;
    const float dy = y - centres[i].y;
    f += kBlobs[i].radius * kBlobs[i].radius / (dx * dx + dy * dy + 1.0f);
  }
  return f;
}

// 1 on the level line `level` of the field, falling to 0 `halfWidth` pixels away from it (the
// distance estimated from the field's slope).
float LevelLine(float f, float slope, float level, float halfWidth) {
  const float distance = std::fabs(f - level) / std::max(slope, 1e-4f);
  return std::clamp(1.0f - distance / halfWidth, 0.0f, 1.0f);
}

}  // namespace

std::vector<std::uint8_t> MetaballsFrame(int frame, int period) {
  const float phase = kTwoPi * static_cast<float>(frame) / static_cast<float>(period);
  std::array<Point2, 5> centres;
  for (std::size_t i = 0; i < kBlobs.size(); ++i) {
    const Blob& b = kBlobs[i];
    centres[i] = {40.0f + b.ampX * std::sin(b.freqX * phase + b.phaseX),
                  17.5f + b.ampY * std::sin(b.freqY * phase + b.phaseY)};
  }

  DotCanvas canvas(kWidth, kHeight);
  canvas.Shade([&](float x, float y) {
    const float f = Field(x, y, centres);
    const float h = 0.25f;  // pixels, for the slope
    const float gx = (Field(x + h, y, centres) - Field(x - h, y, centres)) / (2 * h);
    const float gy = (Field(x, y + h, centres) - Field(x, y - h, centres)) / (2 * h);
    const float slope = std::sqrt(gx * gx + gy * gy);

    const float rim = LevelLine(f, slope, 1.0f, 1.3f);
    const float inside = f >= 1.0f ? 0.24f + 0.2f * std::clamp((f - 1.0f) / 2.0f, 0.0f, 1.0f) : 0.0f;
    const float contours =
        std::max(0.45f * LevelLine(f, slope, 0.6f, 0.9f), 0.25f * LevelLine(f, slope, 0.36f, 0.9f));
    return std::max({rim, inside, contours});
  });
  return canvas.ToBytes();
}

}  // namespace showdata
