// WebAssembly has 128-bit lanes only: the SSE2 row loops (compiled to SIMD128) and no wider ones.
#include "platform/d3d8/ref/ref_lane_rows.h"

namespace d3d8::ref::raster {

LaneRowsFunction Avx2LaneRows(StageKind, BlendKind) { return nullptr; }

}  // namespace d3d8::ref::raster
