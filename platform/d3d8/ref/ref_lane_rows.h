// The lane row loops' interface: a run of one row of a triangle on a 32-bit target, shaded several
// pixels at a time (4 lanes with SSE2, 8 with AVX2), for the set-ups the show draws most: stage 0
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
// called once the processor has been checked, so what they read is plain values: they call nothing
// they share with other files.
#pragma once

#include <cstdint>

#include "platform/d3d8/ref/ref_raster_kinds.h"

namespace d3d8::ref::raster {

// A triangle's values under the draw's set-up, fixed for all its rows.
struct LaneDraw {
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
  bool perspective = false;  // colour and texture coordinates divide by interpolated rhw
  bool flat = false;         // `constant` is the colour of every pixel
  int constant[4] = {};      // r, g, b, a; 0..255
  float zdx = 0, wdx = 0, rdx = 0, gdx = 0, bdx = 0, adx = 0, udx = 0, vdx = 0;  // per pixel
};

// One row's run lo .. hi and the attribute values at pixel 0 of the row.
struct LaneRun {
  std::uint8_t* pixels = nullptr;   // the row's first pixel
  std::uint16_t* depths = nullptr;  // the row's first depth; null without depth test or write
  float z = 0, w = 0, r = 0, g = 0, b = 0, a = 0, u = 0, v = 0;
  int lo = 0, hi = 0;
};

using LaneRunFunction = void (*)(const LaneDraw&, const LaneRun&);

// The loop for a kind of stage and blend; null for the general kinds, which the lanes do not take.
LaneRunFunction Sse2LaneRun(StageKind stage, BlendKind blend);
LaneRunFunction Avx2LaneRun(StageKind stage, BlendKind blend);

}  // namespace d3d8::ref::raster
