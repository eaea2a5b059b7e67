// The choice of the rasterizer's row-loop path: what the processor offers, and what the
// environment asks for.
#include "platform/d3d8/ref/ref_raster_path.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace d3d8::ref {

const char* RasterPathName(RasterPath path) {
  switch (path) {
    case RasterPath::kSse2:
      return "sse2";
    case RasterPath::kAvx2:
      return "avx2";
    default:
      return "scalar";
  }
}

RasterPath BestRasterPath() {
#if defined(VORNHOLD_RASTER_LANES)
  // __builtin_cpu_supports also checks that the operating system saves the wide registers.
  static const RasterPath best = __builtin_cpu_supports("avx2") ? RasterPath::kAvx2 : RasterPath::kSse2;
  return best;
#elif defined(VORNHOLD_RASTER_LANES_SIMD128)
  return RasterPath::kSse2;  // WebAssembly SIMD128's four lanes (ref_lanes_simd128.cpp)
#else
  return RasterPath::kScalar;
#endif
}

bool RasterPathAvailable(RasterPath path) { return static_cast<int>(path) <= static_cast<int>(BestRasterPath()); }

RasterPath ChooseRasterPath(const char* requested, RasterPath best, std::string* message) {
  message->clear();
  if (!requested || !*requested) return best;
  for (RasterPath path : {RasterPath::kScalar, RasterPath::kSse2, RasterPath::kAvx2}) {
    if (std::strcmp(requested, RasterPathName(path)) != 0) continue;
    if (static_cast<int>(path) <= static_cast<int>(best)) return path;
    *message = std::string("VORNHOLD_RASTER_PATH=") + requested + ": this processor lacks it; drawing with " +
               RasterPathName(best);
    return best;
  }
  *message = std::string("VORNHOLD_RASTER_PATH=") + requested + " is not one of scalar, sse2, avx2; drawing with " +
             RasterPathName(best);
  return best;
}

RasterPath DefaultRasterPath() {
  static const RasterPath path = [] {
    std::string message;
    const RasterPath chosen = ChooseRasterPath(std::getenv("VORNHOLD_RASTER_PATH"), BestRasterPath(), &message);
    if (!message.empty()) std::fprintf(stderr, "warning: %s\n", message.c_str());
    return chosen;
  }();
  return path;
}

}  // namespace d3d8::ref
