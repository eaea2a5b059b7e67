// The three video-frame sets and the tunnel map, named from the catalogue's patterns.
//
// Loop lengths follow how the show steps through each set: the tunnel scene plays video01 (120
// frames) and video02 (86 frames) at 20 frames per second and wraps from the last frame to frame 0,
// so their loops are exactly the set's length. The finale plays video03 at 12 frames per second and
// wraps to 0 once the position passes 180, so frames 0..179 form its loop and frame 180, which
// shows only in the rare case of landing exactly on it, repeats frame 0.
#include "tools/showdata/frames.h"

#include <cstdio>
#include <string>

#include "demo/asset_catalogue.h"
#include "tools/showdata/frames/motifs.h"

namespace showdata {
namespace {

std::string EntryName(const char* pattern, int number) {
  char name[64];
  std::snprintf(name, sizeof name, pattern, number);
  return name;
}

template <typename Draw>
void AppendSet(std::vector<DataEntry>& out, const char* pattern, int count, int period, Draw draw) {
  for (int k = 0; k < count; ++k) out.push_back({EntryName(pattern, k + 1), draw(k % period, period)});
}

}  // namespace

std::vector<DataEntry> MakeVideoFrames() {
  std::vector<DataEntry> frames;
  frames.reserve(g_video01FrameCount + g_video02FrameCount + g_video03FrameCount);
  AppendSet(frames, g_video01Pattern, g_video01FrameCount, g_video01FrameCount, DancersFrame);
  AppendSet(frames, g_video02Pattern, g_video02FrameCount, g_video02FrameCount, WireSolidFrame);
  AppendSet(frames, g_video03Pattern, g_video03FrameCount, g_video03FrameCount - 1, MetaballsFrame);
  return frames;
}

DataEntry MakeTunnelMap() { return {g_txt2Entry, TunnelMapBytes()}; }

}  // namespace showdata
