// Processors other than x86-64 have no lane row loops: every row is drawn one pixel at a time.
#include "platform/d3d8/ref/ref_lane_rows.h"

namespace d3d8::ref::raster {

LaneRunFunction Sse2LaneRun(StageKind, BlendKind) { return nullptr; }
LaneRunFunction Avx2LaneRun(StageKind, BlendKind) { return nullptr; }

}  // namespace d3d8::ref::raster
