// The row loops: for each row of a triangle, the run of pixels inside it shaded one pixel at a
// time, with the draw's stage and blend set-up fixed at compile time for the common ones; rows of
// the set-ups that have a packed loop go there instead.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "platform/d3d8/ref/ref_packed_rows.h"
#include "platform/d3d8/ref/ref_raster_shade.h"
#include "platform/d3d8/ref/ref_raster_triangle.h"

namespace d3d8::ref::raster {
namespace {

// Shades rows firstRow, firstRow + rowStep, ... up to lastRow.
template <bool kWords, int kStage, int kBlend>
void DrawRows(const PixelSetup& shared, const Spans& t, int firstRow, int lastRow, int rowStep) {
  // A private copy: the pixel writes go through byte pointers, which could alias the shared set-up
  // and would make the compiler reload every field at every pixel.
  const PixelSetup setup = shared;
  const bool needDepth = setup.depthTest || setup.depthWrite;
  // Screen quads: textured, white, one alpha, no depth, no perspective. Their rows take the
  // packed loop, which computes the same values as the general one.
  const bool packedRows = !needDepth && !setup.alphaTest && !t.perspective && t.flatColor &&
                          t.constant.r == 255 && t.constant.g == 255 && t.constant.b == 255;
  ColorSurface& surface = *setup.target;
  const bool keepAlpha = surface.format == D3DFMT_A8R8G8B8;
  const std::uint32_t constantBits = ToColor(t.constant);
#if defined(__SSE2__)
  // Diffuse-only, unblended rows with the usual depth test (or none) shade four pixels at a time.
  // They may read and rewrite (unchanged) pixels past the run up to fourLimit.
  [[maybe_unused]] bool fourAtOnce = false;
  [[maybe_unused]] DiffuseFours fours;
  [[maybe_unused]] const int fourLimit = static_cast<int>(
      std::min(surface.width, setup.depth ? setup.depth->width : surface.width));
  if constexpr (kWords && kStage == kStageDiffuse && kBlend == kBlendNone) {
    fourAtOnce = !setup.depthTest || setup.depthFunc == D3DCMP_LESSEQUAL;
    if (fourAtOnce) fours = MakeDiffuseFours(setup, t, constantBits, keepAlpha);
  }
#endif
  ForEachRun(t, firstRow, lastRow, rowStep, [&](int y, int lo, int hi) {
    const float fy = static_cast<float>(y);
#if defined(__SSE2__)
    if constexpr (kWords && kStage == kStageDiffuse && kBlend == kBlendNone) {
      if (fourAtOnce) {
        DiffuseRun(fours, t, fy, surface.bytes.data() + static_cast<std::size_t>(y) * surface.pitch,
                   fours.depth ? setup.depth->values.data() + static_cast<std::size_t>(y) * setup.depth->width
                               : nullptr,
                   lo, hi, fourLimit);
        return;
      }
    }
#endif
    // Row bases: value(x) = base + dx * x for each plane.
    const float zRow = t.z.base + t.z.dy * fy, wRow = t.w.base + t.w.dy * fy;
    const float rRow = t.r.base + t.r.dy * fy, gRow = t.g.base + t.g.dy * fy;
    const float bRow = t.b.base + t.b.dy * fy, aRow = t.a.base + t.a.dy * fy;
    const float uRow = t.u.base + t.u.dy * fy, vRow = t.v.base + t.v.dy * fy;
    const TargetRow<kWords> target{surface.bytes.data() + static_cast<std::size_t>(y) * surface.pitch,
                                   surface.format};
    std::uint16_t* depthRow =
        setup.depth ? setup.depth->values.data() + static_cast<std::size_t>(y) * setup.depth->width
                    : nullptr;
    if constexpr (kWords && (kBlend == kBlendAlpha || kBlend == kBlendAdditive) &&
                  (kStage == kStageModulateTextureAlpha || kStage == kStageModulateBoth)) {
      if (packedRows) {
        // texel alpha * 255 rounds back to the texel alpha: an opaque vertex changes nothing.
        if (kStage == kStageModulateTextureAlpha || t.constant.a == 255) {
          PackedRow<kStageModulateTextureAlpha, kBlend>(setup, t, target.row, lo, hi, uRow, vRow);
        } else {
          PackedRow<kStageModulateBoth, kBlend>(setup, t, target.row, lo, hi, uRow, vRow);
        }
        return;
      }
    }
    const ColorRow diffuseRow(rRow, gRow, bRow, aRow, t.r.dx, t.g.dx, t.b.dx, t.a.dx);
    const ColorRow specularRow(t.sr.base + t.sr.dy * fy, t.sg.base + t.sg.dy * fy,
                               t.sb.base + t.sb.dy * fy, 0.0f, t.sr.dx, t.sg.dx, t.sb.dx, 0.0f);
    // The pixels of the run; kLessEqual: the depth test is D3DCMP_LESSEQUAL, the usual one.
    const auto run = [&](auto lessEqual) {
      constexpr bool kLessEqual = decltype(lessEqual)::value;
      for (int x = lo; x <= hi; ++x) {
        const float fx = static_cast<float>(x);
        std::uint16_t depth = 0;
        if (needDepth) {
          depth = setup.wBuffer
                      ? ToDepth((setup.wScale / (wRow + t.w.dx * fx) - setup.wNear) * setup.wInvRange)
                      : ToDepth(zRow + t.z.dx * fx);
          if (setup.depthTest) {
            const bool pass = kLessEqual ? depth <= depthRow[x] : Compare(setup.depthFunc, depth, depthRow[x]);
            if (!pass) continue;
          }
        }
        const float w = t.perspective ? 1.0f / (wRow + t.w.dx * fx) : 1.0f;
        if constexpr (kWords && kStage == kStageDiffuse && kBlend == kBlendNone) {
          // The diffuse colour as it is written (the stage passes it, no alpha test, no blend).
          std::uint32_t bits = t.flatColor ? constantBits : diffuseRow.ColorAt(fx, w);
          if (!keepAlpha) bits &= 0x00FFFFFFu;
          std::memcpy(target.row + 4 * x, &bits, 4);
          if (setup.depthWrite) depthRow[x] = depth;
          continue;
        }
        const Rgba diffuse = t.flatColor ? t.constant : diffuseRow.At(fx, w);
        Rgba specular{};
        if constexpr (kStage == kStageGeneral) {
          if (setup.specular) specular = specularRow.At(fx, w);
        }
        ShadePixel<kWords, kStage, kBlend>(setup, target, depthRow, x, depth, diffuse, specular,
                                           (uRow + t.u.dx * fx) * w, (vRow + t.v.dx * fx) * w);
      }
    };
    if (setup.depthTest && setup.depthFunc == D3DCMP_LESSEQUAL) {
      run(std::true_type{});
    } else {
      run(std::false_type{});
    }
  });
}

template <bool kWords, int kStage>
RowsFunction SelectBlend(const PixelSetup& setup) {
  switch (ClassifyBlend(setup)) {
    case kBlendNone: return DrawRows<kWords, kStage, kBlendNone>;
    case kBlendAlpha: return DrawRows<kWords, kStage, kBlendAlpha>;
    case kBlendAdditive: return DrawRows<kWords, kStage, kBlendAdditive>;
    default: return DrawRows<kWords, kStage, kBlendGeneral>;
  }
}

template <bool kWords>
RowsFunction SelectStage(const PixelSetup& setup) {
  switch (ClassifyStage(setup)) {
    case kStageModulateTextureAlpha: return SelectBlend<kWords, kStageModulateTextureAlpha>(setup);
    case kStageModulateBoth: return SelectBlend<kWords, kStageModulateBoth>(setup);
    case kStageDiffuse: return SelectBlend<kWords, kStageDiffuse>(setup);
    default: return SelectBlend<kWords, kStageGeneral>(setup);
  }
}

}  // namespace

RowsFunction SelectRows(const PixelSetup& setup) {
  return BytesPerPixel(setup.target->format) == 4 ? SelectStage<true>(setup)
                                                  : SelectStage<false>(setup);
}

}  // namespace d3d8::ref::raster
