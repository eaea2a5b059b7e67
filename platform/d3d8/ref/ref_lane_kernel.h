// The lane row loop, written once over a set of lane operations `V` (V::kCount pixels at a time)
// and compiled by each lane file with its own instructions: ref_lanes_sse2.cpp, ref_lanes_avx2.cpp.
// Included by those files only; everything here has internal linkage, so that no function compiled
// for AVX2 can stand in for one that another file calls on a processor without it.
//
// Every lane computes what the one-pixel loop (ref_row_loops.cpp, ref_raster_shade.h) computes for
// its pixel, operation for operation: the same float additions, multiplications and divisions in
// the same order, the same comparisons before each conversion, the same integer rounding. Channel
// values sit in 32-bit lanes, one channel per vector; products of two 8-bit values are formed with
// 16-bit multiplies, exact because they stay below 65536.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/ref/ref_lane_rows.h"
#include "platform/d3d8/ref/ref_raster_triangle.h"

namespace d3d8::ref::raster {
namespace {

// Compare(func, value, reference) of ref_pixel.h, for lanes holding values in 0 .. 65535.
template <class V>
[[gnu::always_inline]] inline typename V::I CompareLanes(std::uint32_t func, typename V::I value,
                                                         typename V::I reference) {
  switch (func) {
    case D3DCMP_NEVER:
      return V::Zero();
    case D3DCMP_LESS:
      return V::Greater(reference, value);
    case D3DCMP_EQUAL:
      return V::Equal(value, reference);
    case D3DCMP_LESSEQUAL:
      return V::Not(V::Greater(value, reference));
    case D3DCMP_GREATER:
      return V::Greater(value, reference);
    case D3DCMP_NOTEQUAL:
      return V::Not(V::Equal(value, reference));
    case D3DCMP_GREATEREQUAL:
      return V::Not(V::Greater(reference, value));
    default:
      return V::Ones();
  }
}

// ToChannel: NaN and values up to 0 give 0, 255 and above 255, others round half up.
// With an unsigned minimum (V::kMinUnsigned) the top is a minimum: from 254.5 up truncation gives at
// least 255, and values past 2^31 (infinity included) convert to 0x80000000, above it unsigned.
template <class V>
[[gnu::always_inline]] inline typename V::I ToChannelLanes(typename V::F value) {
  const auto positive = V::GreaterF(value, V::SplatF(0.0f));  // false for NaN
  const auto channel = V::And(V::Truncate(V::AddF(value, V::SplatF(0.5f))), positive);
  if constexpr (V::kMinUnsigned) {
    return V::MinUnsigned(channel, V::Splat(255));
  } else {
    return V::Select(V::GreaterEqualF(value, V::SplatF(255.0f)), V::Splat(255), channel);
  }
}

// ToDepth: z in [0, 1] to a 16-bit fraction.
// The top as in ToChannelLanes: below 1, z * 65535 + 0.5 truncates to at most 65535.
template <class V>
[[gnu::always_inline]] inline typename V::I ToDepthLanes(typename V::F z) {
  const auto positive = V::GreaterF(z, V::SplatF(0.0f));
  const auto depth = V::And(V::Truncate(V::AddF(V::MulF(z, V::SplatF(65535.0f)), V::SplatF(0.5f))), positive);
  if constexpr (V::kMinUnsigned) {
    return V::MinUnsigned(depth, V::Splat(65535));
  } else {
    return V::Select(V::GreaterEqualF(z, V::SplatF(1.0f)), V::Splat(65535), depth);
  }
}

// TexelIndex: floor(coord * size), texel 0 for NaN and far-off values, then clamped or wrapped.
template <class V>
[[gnu::always_inline]] inline typename V::I TexelIndexLanes(typename V::F coord, int size, bool clamp) {
  using I = typename V::I;
  const auto scaled = V::MulF(coord, V::SplatF(static_cast<float>(size)));
  const I truncated = V::Truncate(scaled);
  // One less where truncation went up (negative non-integers): the mask is -1 there.
  I index = V::Add(truncated, V::GreaterF(V::ToFloat(truncated), scaled));
  index = V::And(index, V::And(V::GreaterF(scaled, V::SplatF(-2.0e9f)), V::LessF(scaled, V::SplatF(2.0e9f))));
  const I top = V::Splat(size - 1);
  if (clamp) {
    index = V::Select(V::Greater(V::Zero(), index), V::Zero(), index);
    return V::Select(V::Greater(index, top), top, index);
  }
  if ((size & (size - 1)) == 0) return V::And(index, top);
  alignas(32) std::int32_t lanes[V::kCount];
  V::StoreInts(lanes, index);
  for (std::int32_t& lane : lanes) {
    lane %= size;
    if (lane < 0) lane += size;
  }
  return V::LoadInts(lanes);
}

// round(x / 255) for the x = a * b (+ c * d) of two 8-bit channels, below 65536: (x + 127) / 255.
template <class V>
[[gnu::always_inline]] inline typename V::I Div255Lanes(typename V::I x) {
  const auto t = V::Add(x, V::Splat(128));
  return V::template ShiftRight<8>(V::Add(t, V::template ShiftRight<8>(t)));
}

// Mul8: round(a * b / 255).
template <class V>
[[gnu::always_inline]] inline typename V::I Mul8Lanes(typename V::I a, typename V::I b) {
  return Div255Lanes<V>(V::Mul16(a, b));
}

// One 8-bit channel of packed colours.
template <class V, int kShift>
[[gnu::always_inline]] inline typename V::I Channel(typename V::I color) {
  return V::And(V::template ShiftRight<kShift>(color), V::Splat(255));
}

// The row values, broadcast: the steps once per triangle, the values at pixel 0 once per row.
template <class V>
struct LaneRowValues {
  typename V::F z, w, r, g, b, a, u, v;
  typename V::F zdx, wdx, rdx, gdx, bdx, adx, udx, vdx;
};

// Pixels x .. x + kCount - 1 of a run ending at `hi`, at `pixels` and `depths`: lanes past `hi`,
// failing the depth test or failing the alpha test keep the pixel and depth they had.
// `white`: the colour is flat white, which leaves texels unchanged.
template <class V, int kStage, int kBlend>
[[gnu::always_inline]] inline void ShadeLanes(const LaneDraw& d, const Spans& t, const LaneRowValues<V>& row,
                                              bool white, int x, int hi, std::uint8_t* pixels,
                                              std::uint16_t* depths) {
  using F = typename V::F;
  using I = typename V::I;
  const I xs = V::Add(V::Splat(x), V::Iota());
  const F fx = V::ToFloat(xs);
  I active = V::Greater(V::Splat(hi + 1), xs);
  F reciprocal = V::SplatF(1.0f);  // 1 / (wRow + w.dx * x), once computed
  bool haveReciprocal = false;
  I depth = V::Zero(), oldDepth = V::Zero();
  if (d.depthTest || d.depthWrite) {
    F z;
    if (d.wBuffer) {
      const F den = V::AddF(row.w, V::MulF(row.wdx, fx));
      F q;
      if (d.wScale == 1.0f) {  // wScale / den is 1 / den: one division serves depth and colour
        reciprocal = V::DivF(V::SplatF(1.0f), den);
        haveReciprocal = true;
        q = reciprocal;
      } else {
        q = V::DivF(V::SplatF(d.wScale), den);
      }
      z = V::MulF(V::SubF(q, V::SplatF(d.wNear)), V::SplatF(d.wInvRange));
    } else {
      z = V::AddF(row.z, V::MulF(row.zdx, fx));
    }
    depth = ToDepthLanes<V>(z);
    oldDepth = V::LoadDepths(depths);
    if (d.depthTest) {
      active = V::And(active, CompareLanes<V>(d.depthFunc, depth, oldDepth));
      if (!V::Any(active)) return;
    }
  }
  if (t.perspective && !haveReciprocal) {
    reciprocal = V::DivF(V::SplatF(1.0f), V::AddF(row.w, V::MulF(row.wdx, fx)));
  }
  // A channel or coordinate along the row; without perspective the one-pixel loop multiplies by
  // 1.0, which changes nothing.
  const auto along = [&](F base, F dx) {
    const F value = V::AddF(base, V::MulF(dx, fx));
    return t.perspective ? V::MulF(value, reciprocal) : value;
  };
  constexpr bool kDiffuseAlpha = kStage != kStageModulateTextureAlpha;
  I dr, dg, db, da = V::Zero();
  if (t.flatColor) {
    dr = V::Splat(t.constant.r);
    dg = V::Splat(t.constant.g);
    db = V::Splat(t.constant.b);
    if (kDiffuseAlpha) da = V::Splat(t.constant.a);
  } else {
    dr = ToChannelLanes<V>(along(row.r, row.rdx));
    dg = ToChannelLanes<V>(along(row.g, row.gdx));
    db = ToChannelLanes<V>(along(row.b, row.bdx));
    if (kDiffuseAlpha) da = ToChannelLanes<V>(along(row.a, row.adx));
  }
  I r, g, b, a;
  if constexpr (kStage == kStageDiffuse) {
    r = dr;
    g = dg;
    b = db;
    a = da;
  } else {
    const I tx = TexelIndexLanes<V>(along(row.u, row.udx), d.texWidth, d.clampU);
    const I ty = TexelIndexLanes<V>(along(row.v, row.vdx), d.texHeight, d.clampV);
    const I texel = V::GatherTexels(d.texels, tx, ty, d.texWidth);
    a = V::template ShiftRight<24>(texel);
    if (white) {  // texel x 255 rounds back to the texel
      r = Channel<V, 16>(texel);
      g = Channel<V, 8>(texel);
      b = Channel<V, 0>(texel);
    } else {
      r = Mul8Lanes<V>(Channel<V, 16>(texel), dr);
      g = Mul8Lanes<V>(Channel<V, 8>(texel), dg);
      b = Mul8Lanes<V>(Channel<V, 0>(texel), db);
    }
    if constexpr (kStage == kStageModulateBoth) {
      if (!white || t.constant.a != 255) a = Mul8Lanes<V>(a, da);
    }
  }
  if (d.alphaTest) {
    active = V::And(active, CompareLanes<V>(d.alphaFunc, a, V::Splat(d.alphaRef)));
    if (!V::Any(active)) return;
  }
  const I oldColor = V::Load(pixels);
  I bits = V::Or(V::Or(V::template ShiftLeft<24>(a), V::template ShiftLeft<16>(r)),
                 V::Or(V::template ShiftLeft<8>(g), b));
  if constexpr (kBlend != kBlendNone) {
    // Blended with all four channels of each pixel side by side in 16-bit lanes (V::BlendAlpha,
    // V::BlendAdditive), as BlendChannel rounds them.
    const I target = d.keepAlpha ? oldColor : V::Or(oldColor, V::Splat(static_cast<int>(0xFF000000u)));
    bits = kBlend == kBlendAlpha ? V::BlendAlpha(bits, target) : V::BlendAdditive(bits, target);
  }
  if (!d.keepAlpha) bits = V::And(bits, V::Splat(0x00FFFFFF));
  V::Store(pixels, V::Select(active, bits, oldColor));
  if (d.depthWrite) V::StoreDepths(depths, V::Select(active, depth, oldDepth));
}

// The run lo .. hi of one row. Whole groups read and rewrite (unchanged) pixels past the run up to
// d.limit; the last pixels before it go through a copy.
template <class V, int kStage, int kBlend>
[[gnu::always_inline]] inline void RunLanes(const LaneDraw& d, const Spans& t, const LaneRowValues<V>& row,
                                            bool white, int lo, int hi, std::uint8_t* rowPixels,
                                            std::uint16_t* rowDepths) {
  constexpr int kCount = V::kCount;
  int x = lo;
  for (; x <= hi && x + kCount <= d.limit; x += kCount) {
    ShadeLanes<V, kStage, kBlend>(d, t, row, white, x, hi, rowPixels + 4 * static_cast<std::ptrdiff_t>(x),
                                  rowDepths ? rowDepths + x : nullptr);
  }
  for (; x <= hi; x += kCount) {
    const int count = hi - x + 1 < kCount ? hi - x + 1 : kCount;
    alignas(32) std::uint8_t pixels[4 * kCount] = {};
    alignas(32) std::uint16_t depths[kCount] = {};
    std::uint8_t* at = rowPixels + 4 * static_cast<std::ptrdiff_t>(x);
    std::memcpy(pixels, at, 4 * static_cast<std::size_t>(count));
    if (rowDepths) std::memcpy(depths, rowDepths + x, 2 * static_cast<std::size_t>(count));
    ShadeLanes<V, kStage, kBlend>(d, t, row, white, x, hi, pixels, rowDepths ? depths : nullptr);
    std::memcpy(at, pixels, 4 * static_cast<std::size_t>(count));
    if (rowDepths) std::memcpy(rowDepths + x, depths, 2 * static_cast<std::size_t>(count));
  }
}

// Rows firstRow, firstRow + rowStep, ... up to lastRow of the triangle, each row's values at pixel
// 0 computed as the one-pixel loop computes them.
template <class V, int kStage, int kBlend>
void ShadeTriangleLanes(const LaneDraw& draw, const Spans& spans, int firstRow, int lastRow, int rowStep) {
  // Copies the pixel stores cannot alias: their fields stay in registers across the row loop.
  const LaneDraw d = draw;
  const Spans t = spans;
  LaneRowValues<V> row;
  row.zdx = V::SplatF(t.z.dx);
  row.wdx = V::SplatF(t.w.dx);
  row.rdx = V::SplatF(t.r.dx);
  row.gdx = V::SplatF(t.g.dx);
  row.bdx = V::SplatF(t.b.dx);
  row.adx = V::SplatF(t.a.dx);
  row.udx = V::SplatF(t.u.dx);
  row.vdx = V::SplatF(t.v.dx);
  const bool white = t.flatColor && t.constant.r == 255 && t.constant.g == 255 && t.constant.b == 255;
  ForEachRun(t, firstRow, lastRow, rowStep, [&](int y, int lo, int hi) {
    const float fy = static_cast<float>(y);
    row.z = V::SplatF(t.z.base + t.z.dy * fy);
    row.w = V::SplatF(t.w.base + t.w.dy * fy);
    row.r = V::SplatF(t.r.base + t.r.dy * fy);
    row.g = V::SplatF(t.g.base + t.g.dy * fy);
    row.b = V::SplatF(t.b.base + t.b.dy * fy);
    row.a = V::SplatF(t.a.base + t.a.dy * fy);
    row.u = V::SplatF(t.u.base + t.u.dy * fy);
    row.v = V::SplatF(t.v.base + t.v.dy * fy);
    std::uint16_t* depths = d.depths ? d.depths + static_cast<std::size_t>(y) * d.depthPitch : nullptr;
    RunLanes<V, kStage, kBlend>(d, t, row, white, lo, hi, d.pixels + static_cast<std::size_t>(y) * d.pitch, depths);
  });
}

// The loops for the kinds the lanes take.
template <class V>
LaneRowsFunction SelectLaneRows(StageKind stage, BlendKind blend) {
  const auto forBlend = [blend](auto stageConstant) -> LaneRowsFunction {
    constexpr int kStage = decltype(stageConstant)::value;
    switch (blend) {
      case kBlendNone:
        return ShadeTriangleLanes<V, kStage, kBlendNone>;
      case kBlendAlpha:
        return ShadeTriangleLanes<V, kStage, kBlendAlpha>;
      case kBlendAdditive:
        return ShadeTriangleLanes<V, kStage, kBlendAdditive>;
      default:
        return nullptr;
    }
  };
  switch (stage) {
    case kStageModulateTextureAlpha:
      return forBlend(std::integral_constant<int, kStageModulateTextureAlpha>{});
    case kStageModulateBoth:
      return forBlend(std::integral_constant<int, kStageModulateBoth>{});
    case kStageDiffuse:
      return forBlend(std::integral_constant<int, kStageDiffuse>{});
    default:
      return nullptr;
  }
}

}  // namespace
}  // namespace d3d8::ref::raster
