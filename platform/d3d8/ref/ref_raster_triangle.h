// A triangle as the rasterizer keeps it between set-up and drawing: pixel bounds, exact integer edge
// functions and attribute planes; the walk over its rows, which finds each row's run of pixels from
// the edges alone; and the row loop chosen for a draw's set-up.
//
// The lane loops compiled for AVX2 walk rows with this code too, so its functions are always
// inlined and call nothing else: no out-of-line copy exists that the linker could share between a
// file compiled for AVX2 and one that is not.
#pragma once

#include <cstdint>

#include "platform/d3d8/ref/ref_pixel.h"
#include "platform/d3d8/ref/ref_rasterizer.h"

namespace d3d8::ref::raster {

constexpr int kSubBits = 8;  // sub-pixel precision of snapped vertices
constexpr float kSubScale = 1 << kSubBits;

// An attribute as a plane over the screen: value(x, y) = base + dx * (x - x0) + dy * (y - y0).
struct Plane {
  float base = 0, dx = 0, dy = 0;
  float At(float x, float y) const { return base + dx * x + dy * y; }
};

// E(x, y) = a * (x - xi) + b * (y - yi) - bias in sub-pixel units, kept as a * x + b * y + c: the
// same integers (|a|, |b|, |xi|, |yi| < 2^29, far from overflowing), in a smaller triangle record.
// bias is 0 on top and left edges, 1 elsewhere: E >= 0 means inside.
struct Edge {
  std::int64_t a = 0, b = 0, c = 0;
  [[gnu::always_inline]] std::int64_t At(std::int64_t x, std::int64_t y) const { return a * x + b * y + c; }
};

// The triangle after set-up: pixel bounds, edges and attribute planes.
struct Spans {
  int minX, maxX, minY, maxY;
  Edge edges[3];
  bool perspective;  // colour and texture coordinates divide by interpolated rhw
  bool flatColor;    // all three colours equal: `constant` is used
  Rgba constant;
  Plane z, w, r, g, b, a, u, v;
  Plane sr, sg, sb;  // specular, with D3DRS_SPECULARENABLE
};

// n / d for n >= 0, d > 0; in 32 bits when both fit, a much faster division than 64 bits.
[[gnu::always_inline]] inline std::int64_t Quotient(std::int64_t n, std::int64_t d) {
  if (((n | d) >> 32) == 0) return static_cast<std::uint32_t>(n) / static_cast<std::uint32_t>(d);
  return n / d;
}

// Calls run(y, lo, hi) for rows firstRow, firstRow + rowStep, ... up to lastRow, where lo .. hi is
// the row's run of pixels inside all three edges, found exactly from the edge values; rows without
// pixels are skipped.
template <typename Run>
[[gnu::always_inline]] inline void ForEachRun(const Spans& t, int firstRow, int lastRow, int rowStep, Run&& run) {
  constexpr std::int64_t kStep = 1 << kSubBits;
  const Edge* edges = t.edges;
  const std::int64_t s0 = edges[0].a * kStep, s1 = edges[1].a * kStep, s2 = edges[2].a * kStep;
  // Edge values at the row's first pixel centre, stepped exactly from row to row.
  const std::int64_t cx0 = static_cast<std::int64_t>(t.minX) * kStep;
  const std::int64_t cyFirst = static_cast<std::int64_t>(firstRow) * kStep;
  std::int64_t e0 = edges[0].At(cx0, cyFirst), e1 = edges[1].At(cx0, cyFirst),
               e2 = edges[2].At(cx0, cyFirst);
  const std::int64_t down0 = edges[0].b * kStep * rowStep, down1 = edges[1].b * kStep * rowStep,
                     down2 = edges[2].b * kStep * rowStep;
  for (int y = firstRow; y <= lastRow; y += rowStep, e0 += down0, e1 += down1, e2 += down2) {
    int lo = t.minX, hi = t.maxX;
    const auto clip = [&](std::int64_t e, std::int64_t step) [[gnu::always_inline]] {
      if (step > 0) {
        if (e < 0) {
          const std::int64_t first = t.minX + Quotient(-e + step - 1, step);
          if (first > lo) lo = static_cast<int>(first);
        }
      } else if (step < 0) {
        if (e < 0) {
          hi = lo - 1;
        } else {
          const std::int64_t last = t.minX + Quotient(e, -step);
          if (last < hi) hi = static_cast<int>(last);
        }
      } else if (e < 0) {
        hi = lo - 1;
      }
    };
    clip(e0, s0);
    clip(e1, s1);
    clip(e2, s2);
    if (lo <= hi) run(y, lo, hi);
  }
}

// Draws rows firstRow, firstRow + rowStep, ... up to lastRow of a triangle.
using RowsFunction = void (*)(const PixelSetup&, const Spans&, int firstRow, int lastRow, int rowStep);

// The row loop for the draw's set-up.
RowsFunction SelectRows(const PixelSetup& setup);

}  // namespace d3d8::ref::raster
