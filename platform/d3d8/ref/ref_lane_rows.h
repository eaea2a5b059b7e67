// The lane row loops' interface: the rows of a triangle on a 32-bit target, each row's run shaded
// several pixels at a time (4 lanes with SSE2, 8 with AVX2), for the set-ups the show draws most: stage 0
// passing the diffuse colour or modulating a texture by it (texture alpha, or texture alpha times
// diffuse alpha), no blending, SRCALPHA / INVSRCALPHA or SRCALPHA / ONE; with or without a texture
// clamped or wrapped, an alpha test, a depth test of any function, a depth write, z or w buffering,
// perspective or affine, flat or interpolated colour.
//
// Each lane performs the float operations of the one-pixel loop in the same order (the rasterizer
// is compiled with -ffp-contract=off, so none is fused) and the same integer rounding, so the
// pixels are those of the one-pixel loop, bit for bit.
//
// The AVX2 loops are compiled for a processor the rest of the program may not assume and are only
// called once the processor has been checked, so what they read is plain values and the triangle
// record; of the code they share with other files (the row walk) every function is always inlined,
// so no copy compiled for AVX2 can stand in for another file's (the test RasterAvx2FileStandsAlone
// checks the object file).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/d3d8/ref/ref_raster_kinds.h"
#include "platform/d3d8/ref/ref_raster_triangle.h"

namespace d3d8::ref::raster {

// The draw's set-up as the lane loops read it.
struct LaneDraw {
  std::uint8_t* pixels = nullptr;  // the target's first row
  std::size_t pitch = 0;           // bytes from one row to the next
  std::uint16_t* depths = nullptr;  // the depth buffer's first row; null without depth test or write
  std::size_t depthPitch = 0;       // depth values from one row to the next
  const std::uint32_t* texels = nullptr;  // A8R8G8B8; null for the diffuse stage
  int texWidth = 0, texHeight = 0;        // texels
  bool clampU = false, clampV = false;    // otherwise wrap
  bool depthTest = false, depthWrite = false;
  std::uint32_t depthFunc = 0;  // D3DCMP_*
  bool wBuffer = false;
  float wScale = 1, wNear = 0, wInvRange = 1;
  bool alphaTest = false;
  std::uint32_t alphaFunc = 0;  // D3DCMP_*
  int alphaRef = 0;             // 0..255
  bool keepAlpha = false;       // A8R8G8B8 target; other 32-bit formats write their top byte as 0
  // A row may be read and rewritten unchanged up to this pixel (exclusive): the narrower of the
  // target and the depth buffer.
  int limit = 0;
};

// Draws rows firstRow, firstRow + rowStep, ... up to lastRow of the triangle.
using LaneRowsFunction = void (*)(const LaneDraw&, const Spans&, int firstRow, int lastRow, int rowStep);

// The loop for a kind of stage and blend; null for the general kinds, which the lanes do not take.
LaneRowsFunction Sse2LaneRows(StageKind stage, BlendKind blend);
LaneRowsFunction Avx2LaneRows(StageKind stage, BlendKind blend);

}  // namespace d3d8::ref::raster
