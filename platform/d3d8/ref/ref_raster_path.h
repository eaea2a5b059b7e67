// Which row loops the software rasterizer draws with: one pixel at a time, or several pixels at once
// in SIMD lanes (4 with SSE2, 8 with AVX2). Every path leaves exactly the same pixels; they differ
// only in speed. The widest path the processor offers is the default.
//
// The environment variable VORNHOLD_RASTER_PATH=scalar|sse2|avx2 forces a path, for tests and
// speed comparisons. Asking for a path the processor lacks (or for an unknown one) prints one line
// on stderr and draws with the best available.
#pragma once

#include <string>

namespace d3d8::ref {

enum class RasterPath { kScalar, kSse2, kAvx2 };

const char* RasterPathName(RasterPath path);

// The widest path this processor runs (checked at run time, so one binary serves any x86-64).
RasterPath BestRasterPath();

bool RasterPathAvailable(RasterPath path);

// The path for a request (the variable's value, or null when unset) on a processor whose best path
// is `best`. A request that cannot be honoured leaves a one-line explanation in `message`.
RasterPath ChooseRasterPath(const char* requested, RasterPath best, std::string* message);

// The path draws use unless told otherwise: VORNHOLD_RASTER_PATH as read at the first call.
RasterPath DefaultRasterPath();

}  // namespace d3d8::ref
