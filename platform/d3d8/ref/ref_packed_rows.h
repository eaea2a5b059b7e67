// The packed row loop of the SSE2 path: textured, flat white, affine triangles blended SRCALPHA with
// INVSRCALPHA or ONE on 32-bit targets without depth (screen quads, additive glows), four pixels at
// a time with all their channels in one vector, each the same operations as the one-pixel loop so
// the same pixels. Faster than four lanes of the general lane loop, slower than eight.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/d3d8/ref/ref_raster_shade.h"
#include "platform/d3d8/ref/ref_raster_triangle.h"
#if defined(__SSE2__)
#include "platform/d3d8/ref/ref_truncate.h"
#endif

namespace d3d8::ref::raster {


// Four 8-bit channels spread into 16-bit lanes of a 64-bit word, and back.
inline std::uint64_t Spread(std::uint32_t c) {
  return (c & 0x00FF00FFu) | (static_cast<std::uint64_t>(c & 0xFF00FF00u) << 24);
}
inline std::uint32_t Gather(std::uint64_t lanes) {
  return static_cast<std::uint32_t>((lanes & 0x00FF00FFu) | ((lanes >> 24) & 0xFF00FF00u));
}

// SRCALPHA / INVSRCALPHA on all four channels at once. Each lane holds s * a + d * (255 - a),
// at most 255 * 255, where ((t + 128) + ((t + 128) >> 8)) >> 8 equals round(t / 255) exactly:
// the same result as BlendChannel.
inline std::uint32_t BlendAlphaPacked(std::uint32_t src, std::uint32_t dst) {
  const std::uint32_t a = src >> 24;
  std::uint64_t t = Spread(src) * a + Spread(dst) * (255u - a) + 0x0080008000800080ull;
  t = ((t + ((t >> 8) & 0x00FF00FF00FF00FFull)) >> 8) & 0x00FF00FF00FF00FFull;
  return Gather(t);
}

// BlendAlphaPacked of four source colours onto four pixels of a 32-bit row, in place; with SSE2
// all sixteen channels at once in 16-bit lanes, where s * a + d * (255 - a) + 128 and the rounding
// step stay below 65536.
#if defined(__SSE2__)
inline void BlendAlphaFour(__m128i s, std::uint8_t* pixels, bool keepAlpha) {
  const __m128i zero = _mm_setzero_si128();
  __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
  const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  if (!keepAlpha) d = _mm_or_si128(d, opaque);
  const __m128i full = _mm_set1_epi16(255), half = _mm_set1_epi16(128);
  const auto blendPair = [&](__m128i s16, __m128i d16) {
    // Alpha of each pixel into all four of its lanes (lane 3 holds A in B, G, R, A order).
    __m128i a = _mm_shufflelo_epi16(s16, _MM_SHUFFLE(3, 3, 3, 3));
    a = _mm_shufflehi_epi16(a, _MM_SHUFFLE(3, 3, 3, 3));
    __m128i t = _mm_add_epi16(_mm_mullo_epi16(s16, a),
                              _mm_mullo_epi16(d16, _mm_sub_epi16(full, a)));
    t = _mm_add_epi16(t, half);
    return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
  };
  const __m128i low = blendPair(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
  const __m128i high = blendPair(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero));
  __m128i out = _mm_packus_epi16(low, high);
  if (!keepAlpha) out = _mm_andnot_si128(opaque, out);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels), out);
}
#endif

// SRCALPHA / ONE: d + round(s * a / 255) per channel, saturated (the destination term d * 255 / 255
// is exact, so BlendChannel reduces to this).
inline std::uint32_t BlendAddPacked(std::uint32_t src, std::uint32_t dst) {
  const std::uint32_t a = src >> 24;
  std::uint64_t t = Spread(src) * a + 0x0080008000800080ull;
  t = ((t + ((t >> 8) & 0x00FF00FF00FF00FFull)) >> 8) & 0x00FF00FF00FF00FFull;
  t += Spread(dst);
  // A lane above 255 saturates.
  const std::uint64_t over = (t >> 8) & 0x0001000100010001ull;
  t |= over * 0xFF;
  return Gather(t & 0x00FF00FF00FF00FFull);
}

// BlendAddPacked of four source colours onto four pixels of a 32-bit row, in place.
#if defined(__SSE2__)
inline void BlendAddFour(__m128i s, std::uint8_t* pixels, bool keepAlpha) {
  const __m128i zero = _mm_setzero_si128();
  __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
  if (!keepAlpha) d = _mm_or_si128(d, _mm_set1_epi32(static_cast<int>(0xFF000000u)));
  const __m128i ones = _mm_set1_epi32(-1);
  if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_or_si128(s, _mm_set1_epi32(0x00FFFFFF)), ones)) == 0xFFFF) {
    // Four opaque sources: s * 255 / 255 is s, a saturating add of bytes.
    __m128i out = _mm_adds_epu8(d, s);
    if (!keepAlpha) out = _mm_and_si128(out, _mm_set1_epi32(0x00FFFFFF));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels), out);
    return;
  }
  const __m128i half = _mm_set1_epi16(128);
  const auto scale = [&](__m128i s16) {  // round(s * a / 255) in each lane
    __m128i a = _mm_shufflelo_epi16(s16, _MM_SHUFFLE(3, 3, 3, 3));
    a = _mm_shufflehi_epi16(a, _MM_SHUFFLE(3, 3, 3, 3));
    const __m128i t = _mm_add_epi16(_mm_mullo_epi16(s16, a), half);
    return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
  };
  const __m128i scaled =
      _mm_packus_epi16(scale(_mm_unpacklo_epi8(s, zero)), scale(_mm_unpackhi_epi8(s, zero)));
  __m128i out = _mm_adds_epu8(d, scaled);
  if (!keepAlpha) out = _mm_and_si128(out, _mm_set1_epi32(0x00FFFFFF));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels), out);
}
#endif

// The packed blend (BlendAlphaPacked or BlendAddPacked) of `count` source colours onto as many
// pixels of a 32-bit row, one at a time: the ends of runs, and every group without SSE2.
template <int kBlend>
inline void BlendPackedPixels(const std::uint32_t* src, std::uint8_t* pixels, int count, bool keepAlpha) {
  for (int i = 0; i < count; ++i) {
    std::uint32_t dst;
    std::memcpy(&dst, pixels + 4 * i, 4);
    if (!keepAlpha) dst |= 0xFF000000u;
    std::uint32_t out = kBlend == kBlendAdditive ? BlendAddPacked(src[i], dst) : BlendAlphaPacked(src[i], dst);
    if (!keepAlpha) out &= 0x00FFFFFFu;
    std::memcpy(pixels + 4 * i, &out, 4);
  }
}

// Four source colours blended onto four pixels. The sources arrive in registers: building them in
// memory and loading them as one vector would stall on store forwarding.
template <int kBlend>
inline void BlendPackedFour(std::uint32_t s0, std::uint32_t s1, std::uint32_t s2, std::uint32_t s3,
                            std::uint8_t* pixels, bool keepAlpha) {
#if defined(__SSE2__)
  const __m128i s = _mm_setr_epi32(static_cast<int>(s0), static_cast<int>(s1), static_cast<int>(s2),
                                   static_cast<int>(s3));
  if constexpr (kBlend == kBlendAdditive) {
    BlendAddFour(s, pixels, keepAlpha);
  } else {
    BlendAlphaFour(s, pixels, keepAlpha);
  }
#else
  const std::uint32_t src[4] = {s0, s1, s2, s3};
  BlendPackedPixels<kBlend>(src, pixels, 4, keepAlpha);
#endif
}

#if defined(__SSE2__)
// TexelIndex for four coordinates base + step * x: the same float operations in the same order,
// so the same texels. Wrapping needs a power-of-two size (a mask); clamping takes any size.
inline __m128i TexelIndexFour(__m128 base, __m128 step, __m128 fx, __m128 size, int sizeInt,
                              bool clamp) {
  const __m128 scaled = _mm_mul_ps(_mm_add_ps(base, _mm_mul_ps(step, fx)), size);
  const __m128i truncated = TruncateToInt(scaled);
  // floor: one less where truncation went up (negative non-integers)
  const __m128i down = _mm_castps_si128(_mm_cmpgt_ps(_mm_cvtepi32_ps(truncated), scaled));
  __m128i index = _mm_add_epi32(truncated, down);
  // NaN or far outside: texel 0, as the scalar rule
  const __m128 inRange = _mm_and_ps(_mm_cmpgt_ps(scaled, _mm_set1_ps(-2.0e9f)),
                                    _mm_cmplt_ps(scaled, _mm_set1_ps(2.0e9f)));
  index = _mm_and_si128(index, _mm_castps_si128(inRange));
  if (!clamp) return _mm_and_si128(index, _mm_set1_epi32(sizeInt - 1));
  const __m128i top = _mm_set1_epi32(sizeInt - 1);
  index = _mm_andnot_si128(_mm_cmplt_epi32(index, _mm_setzero_si128()), index);  // below 0: 0
  const __m128i above = _mm_cmpgt_epi32(index, top);
  return _mm_or_si128(_mm_and_si128(above, top), _mm_andnot_si128(above, index));
}
#endif

// One row of a textured white, flat, affine triangle blended onto a 32-bit target, SRCALPHA with
// INVSRCALPHA (screen quads) or with ONE (additive glows): colour is the texel (texel * 255 rounds
// back to the texel), alpha the texel's or texel * vertex alpha.
template <int kStage, int kBlend>
void PackedRow(const PixelSetup& setup, const Spans& t, std::uint8_t* row, int lo, int hi,
               float uRow, float vRow) {
  const int vertexAlpha = t.constant.a;
  const bool keepAlpha = setup.target->format == D3DFMT_A8R8G8B8;
  const auto withAlpha = [&](std::uint32_t texel) {
    if constexpr (kStage == kStageModulateBoth) {
      texel = (texel & 0x00FFFFFFu) |
              static_cast<std::uint32_t>(Mul8(static_cast<int>(texel >> 24), vertexAlpha)) << 24;
    }
    return texel;
  };
  // Axis-aligned quads keep v along a row (vRow + 0 * x is vRow): one texel row serves the run.
  const bool rowOfTexels = t.v.dx == 0.0f;
  const std::uint32_t* texelRow =
      setup.texels + static_cast<std::size_t>(TexelIndex(vRow, setup.texHeight, setup.clampV)) *
                         setup.texWidth;
  std::uint32_t src[4];
#if defined(__SSE2__)
  const auto pow2 = [](int size) { return (size & (size - 1)) == 0; };
  const bool vectorU = setup.clampU || pow2(setup.texWidth);
  // The row offset below multiplies in 16-bit halves.
  const bool vectorV = rowOfTexels || ((setup.clampV || pow2(setup.texHeight)) &&
                                       setup.texWidth < 32768 && setup.texHeight < 32768);
  const __m128 uBase = _mm_set1_ps(uRow), uStep = _mm_set1_ps(t.u.dx);
  const __m128 vBase = _mm_set1_ps(vRow), vStep = _mm_set1_ps(t.v.dx);
  const __m128 width = _mm_set1_ps(static_cast<float>(setup.texWidth));
  const __m128 height = _mm_set1_ps(static_cast<float>(setup.texHeight));
#endif
  for (int x = lo; x <= hi; x += 4) {
    const int count = std::min(4, hi - x + 1);
#if defined(__SSE2__)
    if (count == 4 && vectorU && vectorV) {
      const __m128 fx = _mm_cvtepi32_ps(_mm_setr_epi32(x, x + 1, x + 2, x + 3));
      __m128i index = TexelIndexFour(uBase, uStep, fx, width, setup.texWidth, setup.clampU);
      if (!rowOfTexels) {
        const __m128i ty = TexelIndexFour(vBase, vStep, fx, height, setup.texHeight, setup.clampV);
        // ty * width + tx
        index = _mm_add_epi32(index, _mm_madd_epi16(ty, _mm_set1_epi32(setup.texWidth)));
      }
      alignas(16) std::int32_t tx[4];
      _mm_store_si128(reinterpret_cast<__m128i*>(tx), index);
      const std::uint32_t* base = rowOfTexels ? texelRow : setup.texels;
      __m128i texels = _mm_setr_epi32(static_cast<int>(base[tx[0]]), static_cast<int>(base[tx[1]]),
                                      static_cast<int>(base[tx[2]]), static_cast<int>(base[tx[3]]));
      if constexpr (kStage == kStageModulateBoth) {
        // withAlpha in four lanes: Mul8(texel alpha, vertex alpha), (x + 1 + (x >> 8)) >> 8 being
        // x / 255 for x = a * b + 127 <= 65152.
        const __m128i product = _mm_mullo_epi16(_mm_srli_epi32(texels, 24), _mm_set1_epi32(vertexAlpha));
        const __m128i x127 = _mm_add_epi32(product, _mm_set1_epi32(127));
        const __m128i alpha = _mm_srli_epi32(
            _mm_add_epi32(_mm_add_epi32(x127, _mm_set1_epi32(1)), _mm_srli_epi32(x127, 8)), 8);
        texels = _mm_or_si128(_mm_and_si128(texels, _mm_set1_epi32(0x00FFFFFF)), _mm_slli_epi32(alpha, 24));
      }
      if constexpr (kBlend == kBlendAdditive) {
        BlendAddFour(texels, row + 4 * x, keepAlpha);
      } else {
        BlendAlphaFour(texels, row + 4 * x, keepAlpha);
      }
      continue;
    }
#endif
    for (int i = 0; i < count; ++i) {
      const float fx = static_cast<float>(x + i);
      const int tx = TexelIndex(uRow + t.u.dx * fx, setup.texWidth, setup.clampU);
      const std::uint32_t* texels =
          rowOfTexels ? texelRow
                      : setup.texels + static_cast<std::size_t>(TexelIndex(
                                           vRow + t.v.dx * fx, setup.texHeight, setup.clampV)) *
                                           setup.texWidth;
      src[i] = withAlpha(texels[tx]);
    }
    if (count == 4) {
      BlendPackedFour<kBlend>(src[0], src[1], src[2], src[3], row + 4 * x, keepAlpha);
      continue;
    }
    BlendPackedPixels<kBlend>(src, row + 4 * x, count, keepAlpha);
  }
}


}  // namespace d3d8::ref::raster
