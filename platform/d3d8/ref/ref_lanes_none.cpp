// Processors other than x86-64 have no lane row loops: every row is drawn one pixel at a time.
#include "platform/d3d8/ref/ref_lane_rows.h"

namespace d3d8::ref::raster {

LaneRowsFunction Sse2LaneRows(StageKind, BlendKind) { return nullptr; }
LaneRowsFunction Avx2LaneRows(StageKind, BlendKind) { return nullptr; }

}  // namespace d3d8::ref::raster
