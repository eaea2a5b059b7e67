// The row loops: for each row of a triangle, the run of pixels inside it shaded one pixel at a time,
// with the draw's stage and blend set-up fixed at compile time for the common ones; or, on 32-bit
// targets with a lane path, several pixels at a time (ref_lane_rows.h), screen-quad rows in their
// packed loop (ref_packed_rows.h). The choice is made once per draw.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "platform/d3d8/ref/ref_lane_rows.h"
#include "platform/d3d8/ref/ref_packed_rows.h"
#include "platform/d3d8/ref/ref_raster_path.h"
#include "platform/d3d8/ref/ref_raster_shade.h"
#include "platform/d3d8/ref/ref_raster_triangle.h"

namespace d3d8::ref::raster {
namespace {

// Four colour channels along a row, value(x) = (base + dx * x) * w, each through ToChannel: the
// same float operations as one channel at a time, four lanes at once.
struct ColorRow {
#if defined(__SSE2__)
  ColorRow(float r, float g, float b, float a, float rdx, float gdx, float bdx, float adx)
      : base(_mm_setr_ps(r, g, b, a)), dx(_mm_setr_ps(rdx, gdx, bdx, adx)) {}
  Rgba At(float x, float w) const {
    Rgba out;
    static_assert(sizeof(Rgba) == 16);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&out), Channels(x, w));
    return out;
  }
  // ToColor(At(x, w)).
  D3DCOLOR ColorAt(float x, float w) const {
    const __m128i bgra = _mm_shuffle_epi32(Channels(x, w), _MM_SHUFFLE(3, 0, 1, 2));
    const __m128i words = _mm_packs_epi32(bgra, bgra);
    return static_cast<D3DCOLOR>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
  }

 private:
  __m128 base, dx;
  __m128i Channels(float x, float w) const {
    const __m128 value = _mm_mul_ps(_mm_add_ps(base, _mm_mul_ps(dx, _mm_set1_ps(x))), _mm_set1_ps(w));
    const __m128 positive = _mm_cmpgt_ps(value, _mm_setzero_ps());  // false for NaN
    const __m128 top = _mm_cmpge_ps(value, _mm_set1_ps(255.0f));
    __m128i channel = TruncateToInt(_mm_add_ps(value, _mm_set1_ps(0.5f)));
    channel = _mm_and_si128(channel, _mm_castps_si128(positive));
    return _mm_or_si128(_mm_and_si128(_mm_castps_si128(top), _mm_set1_epi32(255)),
                        _mm_andnot_si128(_mm_castps_si128(top), channel));
  }
#else
  float base[4], dx[4];
  ColorRow(float r, float g, float b, float a, float rdx, float gdx, float bdx, float adx)
      : base{r, g, b, a}, dx{rdx, gdx, bdx, adx} {}
  Rgba At(float x, float w) const {
    return {ToChannel((base[0] + dx[0] * x) * w), ToChannel((base[1] + dx[1] * x) * w),
            ToChannel((base[2] + dx[2] * x) * w), ToChannel((base[3] + dx[3] * x) * w)};
  }
  D3DCOLOR ColorAt(float x, float w) const { return ToColor(At(x, w)); }
#endif
};

// Shades rows firstRow, firstRow + rowStep, ... up to lastRow.
template <bool kWords, int kStage, int kBlend>
void DrawRows(const PixelSetup& shared, const Spans& t, int firstRow, int lastRow, int rowStep) {
  // A private copy: the pixel writes go through byte pointers, which could alias the shared set-up
  // and would make the compiler reload every field at every pixel.
  const PixelSetup setup = shared;
  const bool needDepth = setup.depthTest || setup.depthWrite;
  ColorSurface& surface = *setup.target;
  const bool keepAlpha = surface.format == D3DFMT_A8R8G8B8;
  const std::uint32_t constantBits = ToColor(t.constant);
  ForEachRun(t, firstRow, lastRow, rowStep, [&](int y, int lo, int hi) {
    const float fy = static_cast<float>(y);
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

// The path asked for, or the best there is when the processor lacks it.
RasterPath UsablePath(RasterPath path) { return RasterPathAvailable(path) ? path : BestRasterPath(); }

// Rows of a 32-bit target through the lane loop for the set-up; on the SSE2 path, screen-quad rows
// through their packed loop.
// kPath: the usable path, fixed once per draw (triangles come by the thousand).
template <int kStage, int kBlend, RasterPath kPath>
void DrawLaneRows(const PixelSetup& setup, const Spans& t, int firstRow, int lastRow, int rowStep) {
  constexpr auto kStageKind = static_cast<StageKind>(kStage);
  constexpr auto kBlendKind = static_cast<BlendKind>(kBlend);
  // Screen quads: textured, white, one alpha, no depth, no perspective. Four pixels at a time in
  // the packed loop beat four lanes, but not eight.
  if constexpr ((kBlend == kBlendAlpha || kBlend == kBlendAdditive) && kStage != kStageDiffuse) {
    if (kPath == RasterPath::kSse2 && !setup.depthTest && !setup.depthWrite && !setup.alphaTest && !t.perspective &&
        t.flatColor && t.constant.r == 255 && t.constant.g == 255 && t.constant.b == 255) {
      const PixelSetup copy = setup;  // a private copy, as in DrawRows
      ColorSurface& surface = *copy.target;
      ForEachRun(t, firstRow, lastRow, rowStep, [&](int y, int lo, int hi) {
        const float fy = static_cast<float>(y);
        std::uint8_t* row = surface.bytes.data() + static_cast<std::size_t>(y) * surface.pitch;
        const float uRow = t.u.base + t.u.dy * fy, vRow = t.v.base + t.v.dy * fy;
        // texel alpha * 255 rounds back to the texel alpha: an opaque vertex changes nothing.
        if (kStage == kStageModulateTextureAlpha || t.constant.a == 255) {
          PackedRow<kStageModulateTextureAlpha, kBlend>(copy, t, row, lo, hi, uRow, vRow);
        } else {
          PackedRow<kStageModulateBoth, kBlend>(copy, t, row, lo, hi, uRow, vRow);
        }
      });
      return;
    }
  }
  ColorSurface& surface = *setup.target;
  LaneDraw d;
  d.pixels = surface.bytes.data();
  d.pitch = surface.pitch;
  if (setup.depth && (setup.depthTest || setup.depthWrite)) {
    d.depths = setup.depth->values.data();
    d.depthPitch = setup.depth->width;
  }
  d.texels = setup.texels;
  d.texWidth = setup.texWidth;
  d.texHeight = setup.texHeight;
  d.clampU = setup.clampU;
  d.clampV = setup.clampV;
  d.depthTest = setup.depthTest;
  d.depthWrite = setup.depthWrite;
  d.depthFunc = setup.depthFunc;
  d.wBuffer = setup.wBuffer;
  d.wScale = setup.wScale;
  d.wNear = setup.wNear;
  d.wInvRange = setup.wInvRange;
  d.alphaTest = setup.alphaTest;
  d.alphaFunc = setup.alphaFunc;
  d.alphaRef = static_cast<int>(setup.alphaRef);
  d.keepAlpha = surface.format == D3DFMT_A8R8G8B8;
  d.limit = static_cast<int>(setup.depth ? std::min(surface.width, setup.depth->width) : surface.width);
  static const LaneRowsFunction lanes =
      kPath == RasterPath::kAvx2 ? Avx2LaneRows(kStageKind, kBlendKind) : Sse2LaneRows(kStageKind, kBlendKind);
  lanes(d, t, firstRow, lastRow, rowStep);
}

template <int kStage, RasterPath kPath>
RowsFunction SelectLaneBlend(BlendKind blend) {
  switch (blend) {
    case kBlendNone: return DrawLaneRows<kStage, kBlendNone, kPath>;
    case kBlendAlpha: return DrawLaneRows<kStage, kBlendAlpha, kPath>;
    case kBlendAdditive: return DrawLaneRows<kStage, kBlendAdditive, kPath>;
    default: return nullptr;
  }
}

template <RasterPath kPath>
RowsFunction SelectLaneStage(const PixelSetup& setup) {
  const BlendKind blend = ClassifyBlend(setup);
  switch (ClassifyStage(setup)) {
    case kStageModulateTextureAlpha: return SelectLaneBlend<kStageModulateTextureAlpha, kPath>(blend);
    case kStageModulateBoth: return SelectLaneBlend<kStageModulateBoth, kPath>(blend);
    case kStageDiffuse: return SelectLaneBlend<kStageDiffuse, kPath>(blend);
    default: return nullptr;
  }
}

// The lane rows for the set-up; null where the lanes do not take it.
RowsFunction SelectLaneRows(const PixelSetup& setup) {
  switch (UsablePath(setup.path)) {
    case RasterPath::kAvx2: return SelectLaneStage<RasterPath::kAvx2>(setup);
    case RasterPath::kSse2: return SelectLaneStage<RasterPath::kSse2>(setup);
    default: return nullptr;
  }
}

}  // namespace

RowsFunction SelectRows(const PixelSetup& setup) {
  if (BytesPerPixel(setup.target->format) != 4) return SelectStage<false>(setup);
  if (const RowsFunction lanes = SelectLaneRows(setup)) return lanes;
  return SelectStage<true>(setup);
}

}  // namespace d3d8::ref::raster

namespace d3d8::ref {

RasterPath PathFor(const PixelSetup& setup) {
  if (BytesPerPixel(setup.target->format) != 4 || !raster::SelectLaneRows(setup)) return RasterPath::kScalar;
  return raster::UsablePath(setup.path);
}

}  // namespace d3d8::ref
