// The lane row loops eight pixels at a time with AVX2. This file is compiled with -mavx2; its loops
// are only chosen after the processor has been found to have AVX2 (ref_raster_path.cpp).
#include <immintrin.h>

#include <cstdint>

#include "platform/d3d8/ref/ref_lane_kernel.h"
#include "platform/d3d8/ref/ref_lane_rows.h"

namespace d3d8::ref::raster {
namespace {

struct Avx2Lanes {
  static constexpr int kCount = 8;
  static constexpr bool kMinUnsigned = true;
  using F = __m256;
  using I = __m256i;

  static F SplatF(float value) { return _mm256_set1_ps(value); }
  static F AddF(F a, F b) { return _mm256_add_ps(a, b); }
  static F SubF(F a, F b) { return _mm256_sub_ps(a, b); }
  static F MulF(F a, F b) { return _mm256_mul_ps(a, b); }
  static F DivF(F a, F b) { return _mm256_div_ps(a, b); }
  static F ToFloat(I a) { return _mm256_cvtepi32_ps(a); }
  static I Truncate(F a) { return _mm256_cvttps_epi32(a); }
  // Ordered, non-signalling comparisons: false for NaN, as the one-pixel loop's.
  static I GreaterF(F a, F b) { return _mm256_castps_si256(_mm256_cmp_ps(a, b, _CMP_GT_OQ)); }
  static I GreaterEqualF(F a, F b) { return _mm256_castps_si256(_mm256_cmp_ps(a, b, _CMP_GE_OQ)); }
  static I LessF(F a, F b) { return _mm256_castps_si256(_mm256_cmp_ps(a, b, _CMP_LT_OQ)); }

  static I Splat(int value) { return _mm256_set1_epi32(value); }
  static I Zero() { return _mm256_setzero_si256(); }
  static I Ones() { return _mm256_set1_epi32(-1); }
  static I Iota() { return _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7); }
  static I Add(I a, I b) { return _mm256_add_epi32(a, b); }
  static I Sub(I a, I b) { return _mm256_sub_epi32(a, b); }
  static I And(I a, I b) { return _mm256_and_si256(a, b); }
  static I Or(I a, I b) { return _mm256_or_si256(a, b); }
  static I Not(I a) { return _mm256_xor_si256(a, Ones()); }
  static I Select(I mask, I a, I b) { return _mm256_blendv_epi8(b, a, mask); }
  static I Greater(I a, I b) { return _mm256_cmpgt_epi32(a, b); }
  static I MinUnsigned(I a, I b) { return _mm256_min_epu32(a, b); }
  static I Equal(I a, I b) { return _mm256_cmpeq_epi32(a, b); }
  template <int kBits>
  static I ShiftRight(I a) { return _mm256_srli_epi32(a, kBits); }
  template <int kBits>
  static I ShiftLeft(I a) { return _mm256_slli_epi32(a, kBits); }
  // a * b for lanes whose product stays below 65536: the high halves multiply 0 by 0.
  static I Mul16(I a, I b) { return _mm256_mullo_epi16(a, b); }
  static bool Any(I mask) { return _mm256_movemask_epi8(mask) != 0; }

  static I Load(const std::uint8_t* pixels) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels)); }
  static void Store(std::uint8_t* pixels, I value) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(pixels), value);
  }
  static I LoadInts(const std::int32_t* lanes) { return _mm256_load_si256(reinterpret_cast<const __m256i*>(lanes)); }
  static void StoreInts(std::int32_t* lanes, I value) { _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), value); }
  static I LoadDepths(const std::uint16_t* depths) {
    return _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(depths)));
  }
  static void StoreDepths(std::uint16_t* depths, I value) {
    const __m128i packed = _mm_packus_epi32(_mm256_castsi256_si128(value), _mm256_extracti128_si256(value, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(depths), packed);
  }
  // SRCALPHA / INVSRCALPHA of packed colours: per channel round((s * a + d * (255 - a)) / 255), where
  // the sum plus 128 and the rounding step stay below 65536 in 16-bit lanes.
  static I BlendAlpha(I s, I d) {
    const __m256i zero = _mm256_setzero_si256(), full = _mm256_set1_epi16(255), half = _mm256_set1_epi16(128);
    const auto pair = [&](__m256i s16, __m256i d16) {
      // Each pixel's alpha (its fourth 16-bit lane) into all four of its lanes.
      __m256i alpha = _mm256_shufflelo_epi16(s16, _MM_SHUFFLE(3, 3, 3, 3));
      alpha = _mm256_shufflehi_epi16(alpha, _MM_SHUFFLE(3, 3, 3, 3));
      __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(s16, alpha),
                                   _mm256_mullo_epi16(d16, _mm256_sub_epi16(full, alpha)));
      t = _mm256_add_epi16(t, half);
      return _mm256_srli_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), 8);
    };
    // Unpacking and packing both work within 128-bit halves, so the pixels keep their places.
    return _mm256_packus_epi16(pair(_mm256_unpacklo_epi8(s, zero), _mm256_unpacklo_epi8(d, zero)),
                               pair(_mm256_unpackhi_epi8(s, zero), _mm256_unpackhi_epi8(d, zero)));
  }
  // SRCALPHA / ONE: per channel d + round(s * a / 255), saturated; (s * a + d * 255 + 127) / 255
  // is that, d * 255 dividing exactly.
  static I BlendAdditive(I s, I d) {
    const __m256i zero = _mm256_setzero_si256(), half = _mm256_set1_epi16(128);
    const auto scale = [&](__m256i s16) {
      __m256i alpha = _mm256_shufflelo_epi16(s16, _MM_SHUFFLE(3, 3, 3, 3));
      alpha = _mm256_shufflehi_epi16(alpha, _MM_SHUFFLE(3, 3, 3, 3));
      const __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(s16, alpha), half);
      return _mm256_srli_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), 8);
    };
    const __m256i scaled =
        _mm256_packus_epi16(scale(_mm256_unpacklo_epi8(s, zero)), scale(_mm256_unpackhi_epi8(s, zero)));
    return _mm256_adds_epu8(d, scaled);
  }
  // Texture sizes stay far below 2^15 x 2^16 texels, so ty * width + tx fits a lane.
  static I GatherTexels(const std::uint32_t* texels, I tx, I ty, int width) {
    const __m256i index = _mm256_add_epi32(_mm256_mullo_epi32(ty, _mm256_set1_epi32(width)), tx);
    return _mm256_i32gather_epi32(reinterpret_cast<const int*>(texels), index, 4);
  }
};

}  // namespace

LaneRowsFunction Avx2LaneRows(StageKind stage, BlendKind blend) { return SelectLaneRows<Avx2Lanes>(stage, blend); }

}  // namespace d3d8::ref::raster
