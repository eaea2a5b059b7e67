#include "tools/showdata/frames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "demo/asset_catalogue.h"
#include "tools/showdata/frames/dot_canvas.h"

namespace {

using showdata::DataEntry;

struct FrameSet {
  const char* pattern;
  int count;
  int first;  // index of its first frame in MakeVideoFrames()
};

const FrameSet kSets[] = {
    {g_video01Pattern, g_video01FrameCount, 0},
    {g_video02Pattern, g_video02FrameCount, g_video01FrameCount},
    {g_video03Pattern, g_video03FrameCount, g_video01FrameCount + g_video02FrameCount},
};

// Sum of absolute byte differences.
long Difference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  long sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += std::abs(int(a[i]) - int(b[i]));
  return sum;
}

const std::vector<DataEntry>& Frames() {
  static const std::vector<DataEntry> frames = showdata::MakeVideoFrames();
  return frames;
}

TEST(VideoFrames, EveryFrameOfTheThreeSetsInCatalogueOrderAndSize) {
  ASSERT_EQ(Frames().size(), size_t(g_video01FrameCount + g_video02FrameCount + g_video03FrameCount));
  for (const FrameSet& set : kSets) {
    for (int k = 0; k < set.count; ++k) {
      char name[64];
      std::snprintf(name, sizeof name, set.pattern, k + 1);
      const DataEntry& entry = Frames()[set.first + k];
      EXPECT_EQ(entry.name, name);
      EXPECT_EQ(entry.bytes.size(), size_t(g_videoFrameBytes)) << name;
    }
  }
  EXPECT_EQ(Frames().front().name, "data\\video01\\vid001.raw");
  EXPECT_EQ(Frames()[g_video01FrameCount].name, "data\\video02\\omol01.raw");
  EXPECT_EQ(Frames().back().name, "data\\video03\\omol181.raw");
}

TEST(VideoFrames, SameBytesOnEveryCall) {
  const std::vector<DataEntry> again = showdata::MakeVideoFrames();
  ASSERT_EQ(again.size(), Frames().size());
  for (size_t i = 0; i < again.size(); ++i) EXPECT_EQ(again[i].bytes, Frames()[i].bytes) << again[i].name;
}

// The jump where playback wraps is no larger than an ordinary step, every frame moves on from the
// one before, and each frame shows a figure: some dots lit, most of the matrix left dark.
TEST(VideoFrames, EachSetLoopsSmoothlyAndKeepsMoving) {
  for (const FrameSet& set : kSets) {
    const DataEntry* frames = &Frames()[set.first];
    long largestStep = 0;
    for (int k = 1; k < set.count; ++k) {
      const long step = Difference(frames[k - 1].bytes, frames[k].bytes);
      EXPECT_GT(step, 0) << frames[k].name << " repeats the frame before it";
      largestStep = std::max(largestStep, step);
    }
    EXPECT_LE(Difference(frames[set.count - 1].bytes, frames[0].bytes), largestStep) << set.pattern;

    for (int k = 0; k < set.count; ++k) {
      const auto& b = frames[k].bytes;
      const long bright = std::count_if(b.begin(), b.end(), [](std::uint8_t v) { return v >= 200; });
      const long dark = std::count_if(b.begin(), b.end(), [](std::uint8_t v) { return v < 40; });
      EXPECT_GT(bright, 40) << frames[k].name;
      EXPECT_GT(dark, g_videoFrameBytes / 2) << frames[k].name;
    }
  }
}

// The finale wraps to frame 0 once its position passes 180, so frames 0..179 are what loops; the
// step from 179 back to 0 must be as smooth as the rest, and frame 180 repeats frame 0.
TEST(VideoFrames, FinaleLoopsOverItsFirst180Frames) {
  const DataEntry* frames = &Frames()[kSets[2].first];
  long largestStep = 0;
  for (int k = 1; k < 180; ++k) largestStep = std::max(largestStep, Difference(frames[k - 1].bytes, frames[k].bytes));
  EXPECT_LE(Difference(frames[179].bytes, frames[0].bytes), largestStep);
  EXPECT_EQ(frames[180].bytes, frames[0].bytes);
}

TEST(TunnelMap, NameSizeAndSameBytesOnEveryCall) {
  const DataEntry map = showdata::MakeTunnelMap();
  EXPECT_EQ(map.name, g_txt2Entry);
  EXPECT_EQ(map.bytes.size(), size_t(g_txt2Bytes));
  EXPECT_EQ(showdata::MakeTunnelMap().bytes, map.bytes);
}

// The tunnel looks the map up with both coordinates wrapped mod 256: the seams across u = 255 -> 0
// and v = 255 -> 0 must be no rougher than the map's own neighbouring steps.
TEST(TunnelMap, TilesSeamlesslyInBothDirections) {
  const auto& m = showdata::MakeTunnelMap().bytes;
  auto at = [&](int u, int v) { return int(m[((v + 256) % 256) * 256 + (u + 256) % 256]); };
  int interiorU = 0, interiorV = 0, seamU = 0, seamV = 0;
  for (int v = 0; v < 256; ++v) {
    for (int u = 0; u < 255; ++u) interiorU = std::max(interiorU, std::abs(at(u + 1, v) - at(u, v)));
    seamU = std::max(seamU, std::abs(at(0, v) - at(255, v)));
  }
  for (int u = 0; u < 256; ++u) {
    for (int v = 0; v < 255; ++v) interiorV = std::max(interiorV, std::abs(at(u, v + 1) - at(u, v)));
    seamV = std::max(seamV, std::abs(at(u, 0) - at(u, 255)));
  }
  EXPECT_LE(seamU, interiorU);
  EXPECT_LE(seamV, interiorV);
  // Second differences too: a pattern that merely matches at the edge but changes slope there
  // would show a kink.
  auto kink = [&](int u, int v, int du, int dv) {
    return std::abs(at(u - du, v - dv) + at(u + du, v + dv) - 2 * at(u, v));
  };
  int interiorKink = 0, seamKink = 0;
  for (int a = 0; a < 256; ++a) {
    for (int b = 1; b < 255; ++b) interiorKink = std::max({interiorKink, kink(b, a, 1, 0), kink(a, b, 0, 1)});
    seamKink = std::max({seamKink, kink(0, a, 1, 0), kink(255, a, 1, 0), kink(a, 0, 0, 1), kink(a, 255, 0, 1)});
  }
  EXPECT_LE(seamKink, interiorKink);
}

// Dim floor, bright lines, and headroom left for the full-opacity text written over the tunnel.
TEST(TunnelMap, LeavesRoomForTheTextOnTop) {
  const auto& m = showdata::MakeTunnelMap().bytes;
  const auto [lowest, highest] = std::minmax_element(m.begin(), m.end());
  EXPECT_LE(*lowest, 20);
  EXPECT_GE(*highest, 160);
  EXPECT_LE(*highest, 215);
  const long dark = std::count_if(m.begin(), m.end(), [](std::uint8_t v) { return v < 64; });
  EXPECT_GT(dark, long(m.size()) / 3);
}

TEST(DotCanvas, StrokesHaveAOnePixelSoftEdge) {
  showdata::DotCanvas canvas(20, 10);
  canvas.Capsule({4.0f, 5.0f}, {18.0f, 5.0f}, 1.5f, 1.0f);  // covers rows 3.5 .. 6.5
  EXPECT_FLOAT_EQ(canvas.At(10, 4), 1.0f);                 // centre 4.5: 0.5 from the axis
  EXPECT_FLOAT_EQ(canvas.At(10, 6), 0.5f);                 // centre 6.5: on the edge
  EXPECT_FLOAT_EQ(canvas.At(10, 7), 0.0f);                 // centre 7.5: a pixel outside
  EXPECT_FLOAT_EQ(canvas.At(0, 4), 0.0f);                  // beyond the round end
  const auto bytes = canvas.ToBytes();
  EXPECT_EQ(bytes[4 * 20 + 10], 255);
  EXPECT_EQ(bytes[6 * 20 + 10], 128);  // 0.5 * 255 rounds up
  // Max: a dimmer shape on top leaves the brighter pixel alone.
  canvas.Disc({10.5f, 4.5f}, 3.5f, 0.3f);
  EXPECT_FLOAT_EQ(canvas.At(10, 4), 1.0f);
  EXPECT_FLOAT_EQ(canvas.At(10, 7), 0.3f);
}

}  // namespace
